// The page "区切り確認": listening around the cuts through the program's
// player, the cut into a chosen folder, and the label file kept beside the
// source so that a review can be taken up again.
#include <QComboBox>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <optional>

#include "app/TReviewPage.h"
#include "app/TWaveView.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/CutPointTargets.h"
#include "jobs/CuttingSettings.h"
#include "jobs/TCutThread.h"
#include "platform/FileSystem.h"
#include "play/TWaveOutPlayer.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

// What "the three seconds around a boundary" means, each side.
constexpr double kAroundSeconds = 1.5;

// "dir/side-001.flac" with title "A/B" gives "dir/side-001 A_B.flac"; no
// title, or one of nothing but blanks, gives "". Slashes and control
// characters would make another path or an awkward name.
std::string TitledName(const std::string& path, const std::string& title) {
    std::string clean;
    for (const char c : title) {
        const auto u = static_cast<unsigned char>(c);
        clean += (c == '/' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    const auto first = clean.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    clean = clean.substr(first, clean.find_last_not_of(' ') - first + 1);
    if (clean == "." || clean == "..") {
        return {};
    }
    const std::string stem = TrackNaming::Stem(path);
    return stem + " " + clean + path.substr(stem.size());
}

}  // namespace

void TReviewPage::PlayRange(std::int64_t from, std::int64_t to) {
    from = std::clamp<std::int64_t>(from, 0, frames_);
    to = std::clamp<std::int64_t>(to, from, frames_);
    if (!LevelsReady() || from >= to) {
        return;
    }
    // One player sounds at a time: the list's playback gives way.
    if (window_.PlayerPlaying()) {
        window_.btnStopPlayClick();
    }
    if (player_ == nullptr) {
        player_ = std::make_unique<TWaveOutPlayer>();
        player_->SetOnPlayEnd([this](TWaveOutPlayer* /*sender*/) {
            // The end of a playback stopped for the next one comes when the
            // next may already play.
            playing_ = !player_->Stopped();
            ShowPlayPosition();
        });
    }
    if (!player_->Stopped()) {
        player_->Stop();
    }
    if (!player_->SetFileName(source_.path.toStdString())) {
        return;
    }
    // The stretch is given as the file's data, so the playback ends by itself
    // at its end; RAW files play as the list read them.
    TWaveOutThread& thread = player_->PlaybackThread();
    thread.SetSamplesPerSec(source_.sampleRate);
    thread.SetChannels(source_.channels);
    thread.SetDataStart(source_.dataOffset + from * FrameBytes());
    thread.SetDataSize((to - from) * FrameBytes());
    playFrom_ = from;
    playing_ = true;
    player_->Play();
    tmrReview->start();
}

void TReviewPage::ShowPlayPosition() {
    const bool playing = playing_ && player_ != nullptr && !player_->Stopped();
    const std::int64_t at = playing ? playFrom_ + player_->SamplePosition() : -1;
    imgZoom->SetPlayPosition(at);
    imgOverview->SetPlayPosition(at);
}

void TReviewPage::btnPlayCursorClick() {
    PlayRange(imgZoom->CursorFrame(), frames_);
}

void TReviewPage::btnPlayAroundClick() {
    const int index = imgZoom->SelectedBoundary();
    const std::int64_t at = index >= 0 && index < static_cast<int>(plan_.Boundaries().size())
                                ? plan_.Boundaries()[static_cast<std::size_t>(index)]
                                : imgZoom->CursorFrame();
    const auto half = static_cast<std::int64_t>(kAroundSeconds * source_.sampleRate);
    PlayRange(at - half, at + half);
}

void TReviewPage::btnPlayPieceClick() {
    const int piece = SelectedPiece();
    if (piece >= 0 && piece < plan_.PieceCount()) {
        const CutPoint p = plan_.Piece(piece);
        PlayRange(p.StartFrame, p.EndFrame);
    }
}

void TReviewPage::btnReviewStopClick() {
    if (player_ != nullptr && !player_->Stopped()) {
        player_->Stop();
    }
}

bool TReviewPage::SaveCutPoints(const std::string& outputBase, int digits) {
    const std::string label = LabelPath();
    CutPointTargets targets;
    targets.AddInput(source_.path.toStdString());
    if (!outputBase.empty()) {
        targets.AddTrackFiles(outputBase, digits);
    }
    if (targets.Check(label) != CutPointTargets::Refusal::None) {
        ShowError(QString::fromStdString(label) +
                  QStringLiteral("\r\nはこのプログラムの区切りのファイルではないので、区切りを保存しません。"));
        return false;
    }
    try {
        CutPointFile::WriteWhole(label, CutPointFile::LabelText(plan_.Pieces(), source_.sampleRate));
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

void TReviewPage::btnSaveCutsClick() {
    if (plan_.PieceCount() > 0 && SaveCutPoints({}, 0)) {
        ShowStatus(QStringLiteral("区切りを保存しました: %1").arg(QString::fromStdString(LabelPath())));
    }
}

void TReviewPage::btnReviewCutClick() {
    if (!LevelsReady() || Busy() || plan_.PieceCount() == 0 || window_.JobRunning()) {
        return;
    }
    WindowDialogs::FileRequest request;
    request.title = QStringLiteral("切り出し先のフォルダ");
    request.initialPath = QFileInfo(source_.path).absolutePath();
    const std::optional<QString> folder = dialogs_.ChooseFolder(this, request);
    if (!folder) {
        return;
    }
    const CuttingSettings settings = window_.ReviewCuttingSettings();
    const std::string path = source_.path.toStdString();
    const std::string base = folder->toStdString() + "/" + FileSystem::NameOf(TrackNaming::Stem(path)) + "-";
    // The cut goes on when the label file may not be written: the pieces
    // are what was asked for, and the message says what was not kept.
    (void)SaveCutPoints(base, settings.digits);

    const std::vector<CutPoint> pieces = plan_.Pieces();
    std::int64_t total = 0;
    for (const CutPoint& p : pieces) {
        total += (p.EndFrame - p.StartFrame) * FrameBytes();
    }
    auto* job = new TCutThread;
    job->SetFileNames({path});
    job->SetSampleRates(0, source_.sampleRate);
    job->SetChannelCounts(0, source_.channels);
    job->SetDataOffsets(0, source_.dataOffset);
    job->SetDataLengths(0, source_.dataSize);
    job->SetTotalBytes(total);
    job->SetDigits(settings.digits);
    job->SetCutRanges(pieces);
    job->SetTitlesFromRanges(true);
    job->SetOutputBase(base);
    const bool flac = cbReviewFormat->currentIndex() == 1;
    job->SetFlacOutput(flac ? std::optional(settings.Flac().value_or(FlacSettings{})) : std::nullopt, settings.tags);
    // FLAC pieces carry their titles in their names too: renamed once the
    // job has ended, as a name freed earlier would be numbered again.
    written_.clear();
    renameWritten_ = flac;
    const auto onPiece = [this](const std::string& piece) {
        if (renameWritten_) {
            written_.push_back(piece);
        } else {
            window_.AddFileToList(QString::fromStdString(piece), -1);
        }
    };
    cutTitles_.clear();
    for (const CutPoint& p : pieces) {
        cutTitles_.push_back(p.Name);
    }
    if (!window_.LaunchReviewJob(*job, onPiece, [this] { CutEnded(); })) {
        delete job;
        return;
    }
    cutRunning_ = true;
    ShowStatus(QStringLiteral("切り出しています..."));
    UpdateButtons();
}

void TReviewPage::CutEnded() {
    cutRunning_ = false;
    // The pieces in the order written: a name taken already keeps the
    // numbered one.
    for (std::size_t i = 0; i < written_.size(); ++i) {
        const std::string named = i < cutTitles_.size() ? TitledName(written_[i], cutTitles_[i]) : std::string();
        const bool renamed = !named.empty() && FileSystem::RenameNoReplace(written_[i], named);
        window_.AddFileToList(QString::fromStdString(renamed ? named : written_[i]), -1);
    }
    written_.clear();
    ShowStatus(QStringLiteral("切り出しを終えました"));
    UpdateButtons();
}

}  // namespace zolvane2
