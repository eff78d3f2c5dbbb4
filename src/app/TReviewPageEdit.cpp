// The page "区切り確認": where the pieces come from (the gap finder, the
// trigger rules, a label file or cue sheet), the edits of the plan with undo,
// the piece list and the track list.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/TReviewPage.h"
#include "app/TWaveView.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/CuttingSettings.h"
#include "jobs/GapCutPlan.h"
#include "jobs/TBackgroundTask.h"
#include "jobs/TCutThread.h"
#include "jobs/TrackList.h"
#include "trackfile/TrackAudio.h"

namespace zolvane2 {

struct TReviewPage::GapResult {
    std::optional<GapCutPlan::Outcome> outcome;
};

void TReviewPage::TakeProposal(const std::vector<CutPoint>& ranges) {
    std::vector<CutPoint> named = ranges;
    // Titles of a track list go to the pieces in order, unless the ranges
    // bring their own.
    for (std::size_t i = 0; i < named.size() && i < trackTitles_.size(); ++i) {
        if (named[i].Name.empty()) {
            named[i].Name = trackTitles_[i];
        }
    }
    plan_.Propose(named);
    PlanChanged();
}

void TReviewPage::btnProposeGapsClick() {
    if (!LevelsReady() || Busy()) {
        return;
    }
    StartGapTask();
}

void TReviewPage::StartGapTask() {
    GapCutPlan::Rules rules = window_.ReviewCuttingSettings().GapRules();
    rules.trackCount = sedtReviewTrackCount->value();
    rules.durations = trackSeconds_;
    gapResult_ = std::make_shared<GapResult>();
    const std::string path = source_.path.toStdString();
    const Source s = source_;
    gapTask_ = std::make_unique<TBackgroundTask>([result = gapResult_, path, s, rules](TBackgroundTask& task) {
        auto stream = TrackAudio::Open(path);
        result->outcome = GapCutPlan::Find(*stream, path, s.dataOffset, s.dataSize, s.sampleRate, s.channels, rules,
                                           [&task, &s](std::int64_t done) { return task.Report(done, s.dataSize); });
    });
    gapTask_->Resume();
    tmrReview->start();
    UpdateButtons();
}

void TReviewPage::GapsFound() {
    const std::string error = gapTask_->ErrorText();
    gapTask_.reset();
    ShowStatus(QString());
    if (!error.empty()) {
        ShowError(source_.path + QStringLiteral("\r\n") + QString::fromStdString(error));
    } else if (gapResult_->outcome) {
        TakeProposal(gapResult_->outcome->ranges);
        QStringList warnings;
        for (const UserText& w : gapResult_->outcome->warnings) {
            warnings << QString::fromStdString(w.Japanese());
        }
        ShowStatus(warnings.join(QLatin1Char('\n')));
    }
    gapResult_.reset();
    UpdateButtons();
}

void TReviewPage::btnProposeTriggerClick() {
    if (!LevelsReady() || Busy()) {
        return;
    }
    const CuttingSettings settings = window_.ReviewCuttingSettings();
    auto* job = new TCutThread;
    settings.ApplyTo(*job);
    job->SetUseTrigger(true);
    job->SetCutByInterval(false);
    job->SetDryRun(true);
    job->SetCutPointLog(&triggerLog_);
    job->SetFileNames({source_.path.toStdString()});
    job->SetSampleRates(0, source_.sampleRate);
    job->SetChannelCounts(0, source_.channels);
    job->SetDataOffsets(0, source_.dataOffset);
    job->SetDataLengths(0, source_.dataSize);
    job->SetTotalBytes(source_.dataSize);
    job->SetDigits(settings.digits);
    if (!window_.LaunchReviewJob(*job, {}, [this] { TriggerRunEnded(); })) {
        delete job;
        return;
    }
    triggerRunning_ = true;
    triggerSource_ = source_.path;
    ShowStatus(QStringLiteral("トリガで区切っています..."));
    UpdateButtons();
}

void TReviewPage::TriggerRunEnded() {
    triggerRunning_ = false;
    ShowStatus(QString());
    if (triggerSource_ != source_.path) {
        UpdateButtons();  // another file was opened meanwhile
        return;
    }
    std::vector<CutPoint> ranges = triggerLog_.Points();
    for (CutPoint& r : ranges) {
        r.Name.clear();  // the names of pieces that were never written
    }
    if (!ranges.empty()) {
        TakeProposal(ranges);
    } else {
        ShowStatus(QStringLiteral("トリガレベルを越える音がありませんでした"));
    }
    UpdateButtons();
}

void TReviewPage::btnLoadCutsClick() {
    if (!LevelsReady()) {
        return;
    }
    WindowDialogs::FileRequest request;
    request.title = QStringLiteral("区切りを読み込む");
    request.filter = QStringLiteral("ラベルファイル (*.txt);;キューシート (*.cue);;すべてのファイル (*)");
    request.initialPath = QString::fromStdString(LabelPath());
    const auto chosen = dialogs_.OpenFile(this, request);
    if (!chosen) {
        return;
    }
    const std::string path = chosen->toStdString();
    try {
        const std::string text = CutPointFile::ReadWhole(path);
        if (QFileInfo(*chosen).suffix().compare(QStringLiteral("cue"), Qt::CaseInsensitive) == 0) {
            TakeProposal(CutPointFile::PiecesFromCue(text, source_.sampleRate, frames_, source_.path.toStdString()));
        } else {
            TakeProposal(CutPointFile::PiecesFromLabels(text, source_.sampleRate, frames_));
        }
    } catch (const CutPointFileError& e) {
        ShowError(*chosen + QStringLiteral("\r\n") +
                  (e.Line() > 0 ? QStringLiteral("%1 行目を読めません: ").arg(e.Line()) : QString()) +
                  QString::fromStdString(e.LineText()));
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TReviewPage::MoveBoundary(int index, std::int64_t frame, bool snap) {
    if (snap && overview_ != nullptr) {
        // Near: a dozen columns of the view either side, at least a block.
        const auto reach = std::max<std::int64_t>(static_cast<std::int64_t>(imgZoom->FramesPerPixel() * 12),
                                                  LevelOverview::kBlockFrames[0]);
        frame = overview_->QuietestFrame(frame - reach, frame + reach, frame);
    }
    if (plan_.MoveBoundary(index, frame)) {
        imgZoom->SetSelectedBoundary(index);
        PlanChanged();
    }
}

void TReviewPage::AddBoundary(std::int64_t frame) {
    const int index = plan_.AddBoundary(frame);
    if (index >= 0) {
        imgZoom->SetSelectedBoundary(index);
        PlanChanged();
    }
}

void TReviewPage::DeleteBoundary(int index) {
    if (plan_.DeleteBoundary(index)) {
        imgZoom->SetSelectedBoundary(-1);
        PlanChanged();
    }
}

void TReviewPage::btnReviewUndoClick() {
    if (plan_.Undo()) {
        PlanChanged();
    }
}

void TReviewPage::btnReviewRedoClick() {
    if (plan_.Redo()) {
        PlanChanged();
    }
}

void TReviewPage::btnSplitPieceClick() {
    AddBoundary(imgZoom->CursorFrame());
}

void TReviewPage::btnJoinPiecesClick() {
    const int piece = SelectedPiece();
    if (piece >= 0 && plan_.JoinPieces(piece)) {
        PlanChanged();
    }
}

void TReviewPage::btnDeleteCutClick() {
    int index = imgZoom->SelectedBoundary();
    if (index < 0) {
        index = plan_.BoundaryNear(imgZoom->CursorFrame(), static_cast<std::int64_t>(imgZoom->FramesPerPixel() * 5));
    }
    DeleteBoundary(index);
}

int TReviewPage::SelectedPiece() const {
    QTreeWidgetItem* item = lvPieces->currentItem();
    return item != nullptr ? lvPieces->indexOfTopLevelItem(item) : plan_.PieceAt(imgZoom->CursorFrame());
}

void TReviewPage::btnPasteTrackListClick() {
    (void)TakeTrackList(QApplication::clipboard()->text().toStdString(), QStringLiteral("クリップボード"));
}

void TReviewPage::btnOpenTrackListClick() {
    WindowDialogs::FileRequest request;
    request.title = QStringLiteral("曲目リストを開く");
    request.filter = QStringLiteral("テキストファイル (*.txt);;すべてのファイル (*)");
    request.initialPath = QFileInfo(source_.path).absolutePath();
    const auto chosen = dialogs_.OpenFile(this, request);
    if (!chosen) {
        return;
    }
    try {
        (void)TakeTrackList(CutPointFile::ReadWhole(chosen->toStdString()), *chosen);
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

bool TReviewPage::TakeTrackList(const std::string& text, const QString& origin) {
    std::vector<TrackList::Entry> entries;
    try {
        const TrackList list = TrackList::Parse(text);
        // The page cuts by the times: every line needs one.
        (void)list.Durations();
        entries = list.Entries();
    } catch (const TrackListError& e) {
        ShowError(origin + QStringLiteral("\r\n") +
                  (e.Line() > 0 ? QStringLiteral("%1 行目に時間がありません: %2")
                                      .arg(e.Line())
                                      .arg(QString::fromStdString(e.LineText()))
                                : QStringLiteral("曲目がありません")));
        return false;
    }
    trackTitles_.clear();
    trackSeconds_.clear();
    for (const TrackList::Entry& entry : entries) {
        trackTitles_.push_back(entry.artist.empty() ? entry.title : entry.artist + " - " + entry.title);
        trackSeconds_.push_back(entry.seconds.value_or(0));
    }
    if (plan_.SetTitles(trackTitles_)) {
        PlanChanged();
    }
    ShowStatus(QStringLiteral("曲目 %1 曲: 「曲間で区切る」はこの時間に合わせて区切ります").arg(entries.size()));
    return true;
}

void TReviewPage::lvPiecesChanged(QTreeWidgetItem* item, int column) {
    if (filling_ || column != 1) {
        return;
    }
    if (plan_.SetTitle(lvPieces->indexOfTopLevelItem(item), item->text(1).toStdString())) {
        PlanChanged();
    }
}

void TReviewPage::PlanChanged() {
    FillPieceList();
    UpdateButtons();
    imgOverview->update();
    imgZoom->update();
}

void TReviewPage::FillPieceList() {
    filling_ = true;
    const int current =
        lvPieces->currentItem() != nullptr ? lvPieces->indexOfTopLevelItem(lvPieces->currentItem()) : -1;
    const int count = plan_.PieceCount();
    while (lvPieces->topLevelItemCount() > count) {
        delete lvPieces->takeTopLevelItem(lvPieces->topLevelItemCount() - 1);
    }
    while (lvPieces->topLevelItemCount() < count) {
        auto* item = new QTreeWidgetItem(lvPieces);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setTextAlignment(0, Qt::AlignRight);
        item->setTextAlignment(2, Qt::AlignRight);
        item->setTextAlignment(3, Qt::AlignRight);
    }
    for (int i = 0; i < count; ++i) {
        const CutPoint piece = plan_.Piece(i);
        QTreeWidgetItem* item = lvPieces->topLevelItem(i);
        item->setText(0, QString::number(i + 1));
        item->setText(1, QString::fromStdString(piece.Name));
        item->setText(2, TimeText(piece.StartFrame));
        item->setText(3, TimeText(piece.EndFrame - piece.StartFrame));
    }
    if (current >= 0 && current < count) {
        lvPieces->setCurrentItem(lvPieces->topLevelItem(current));
    }
    filling_ = false;
}

void TReviewPage::UpdateButtons() {
    const bool ready = LevelsReady();
    const bool free = ready && !Busy();
    btnProposeGaps->setEnabled(free);
    btnProposeTrigger->setEnabled(free && !window_.JobRunning());
    btnLoadCuts->setEnabled(free);
    btnReviewUndo->setEnabled(free && plan_.CanUndo());
    btnReviewRedo->setEnabled(free && plan_.CanRedo());
    btnSplitPiece->setEnabled(free);
    btnJoinPieces->setEnabled(free && plan_.PieceCount() > 1);
    btnDeleteCut->setEnabled(free && !plan_.Boundaries().empty());
    // A read of the source holds it; the player could not open it then.
    btnPlayCursor->setEnabled(free);
    btnPlayAround->setEnabled(free);
    btnPlayPiece->setEnabled(free && plan_.PieceCount() > 0);
    btnReviewStop->setEnabled(ready);
    btnSaveCuts->setEnabled(free && plan_.PieceCount() > 0);
    btnReviewCut->setEnabled(free && plan_.PieceCount() > 0 && !window_.JobRunning());
    btnReviewCancel->setEnabled(cutRunning_ || triggerRunning_);
    btnPasteTrackList->setEnabled(true);
    btnOpenTrackList->setEnabled(true);
}

}  // namespace zolvane2
