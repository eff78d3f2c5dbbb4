// Playback control: the checked rows play one after another through the
// player component fPlayer (TWaveOutPlayer), with intro play, seeking and the
// split of the playing file.
//
// Threads: everything here runs on the main thread. The player's end event
// (fPlayerPlayEnd) and its level data arrive through the main-thread
// dispatcher; every change of file goes through a stop of the player and that
// event, so a new Play is posted only once the previous playback has closed
// its device.
//
// The player is made on first use; until then PlayerPlaying() is false and
// the window has no playback thread.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "app/LocalTime.h"
#include "app/TRadioGroup.h"
#include "app/TfrmIntroPlay.h"
#include "app/TfrmWaveInSample.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/UserMessages.h"
#include "play/TWaveOutPlayer.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {

namespace {

// How long closing the window waits for a playback to end; the player needs
// about a second after the stop request.
constexpr auto kCloseWaitLimit = std::chrono::seconds(10);

QString TrackNumberText(int row) {
    return QStringLiteral("%1").arg(row + 1, 5, 10, QLatin1Char('0'));
}

}  // namespace

TWaveOutPlayer& TfrmWaveInSample::Player() {
    if (fPlayer == nullptr) {
        fPlayer = new TWaveOutPlayer();
        fPlayer->SetOnPlayEnd([this](TWaveOutPlayer* /*Sender*/) { fPlayerPlayEnd(); });
    }
    return *fPlayer;
}

bool TfrmWaveInSample::PlayerPlaying() const {
    return playback_.Active();
}

int TfrmWaveInSample::NextCheckedRow(int after) const {
    for (int r = std::max(after + 1, 0); r < RowCount(); ++r) {
        if (RowChecked(r)) {
            return r;
        }
    }
    return -1;
}

bool TfrmWaveInSample::LoadPlayerFile(const QString& fileName) {
    TWaveOutPlayer& player = Player();
    const std::string file = fileName.toStdString();
    const bool raw = TrackFileReader::IsRawFileName(file);
    // A WAVE file that turned unreadable since it was listed, or is no 16-bit
    // PCM, is reported by the reader and skipped: played with the previous
    // file's layout it would be noise at full volume.
    if (!raw && QFileInfo::exists(fileName) && !TrackFileReader::ReadFileProperties(file, 0, 0, GetUserMessages())) {
        return false;
    }
    const bool taken = player.SetFileName(file);
    // A missing file (the player has said so) leaves the player with the
    // previous one, which must not play again under this row's number.
    if (!taken || player.FileName() != file || !QFileInfo::exists(fileName)) {
        return false;
    }
    if (raw) {
        // A RAW file carries no format: it is taken as recorded with the
        // current settings.
        player.SetChannels(std::clamp(rgRecMode->ItemIndex() + 1, 1, 2));
        try {
            player.SetSamplesPerSec(SamplingFrequency());
        } catch (const Error& e) {
            ShowStandardError(e.what());
        }
    }
    return true;
}

bool TfrmWaveInSample::StartPlayingFrom(int after) {
    for (int row = NextCheckedRow(after); row >= 0; row = NextCheckedRow(row)) {
        if (StartPlayingRow(row)) {
            return true;
        }
    }
    return false;
}

bool TfrmWaveInSample::StartPlayingRow(int row) {
    TWaveOutPlayer& player = Player();
    if (!LoadPlayerFile(RowPath(row))) {
        return false;
    }
    if (QTreeWidgetItem* item = Row(row)) {
        lvResult->setCurrentItem(item);
        lvResult->scrollToItem(item);
    }
    player.Play();
    playback_.SetStartTime(NowDays());

    // A timer started again begins a full interval for this file.
    if (btnIntro->isChecked()) {
        tmrIntroPlay->start();
    } else {
        tmrIntroPlay->stop();
    }

    playback_.SetPlayingIndex(row);
    player.SetTag(row);
    lblTrackNo->setText(TrackNumberText(row));
    // The bar is put back without seeking: a seek to 0 now would play the
    // blocks already queued a second time.
    AcceptSeek = false;
    tbrProgress->setValue(0);
    AcceptSeek = true;
    return true;
}

void TfrmWaveInSample::btnPlayClick() {
    if (playback_.Active()) {
        // A click queued before the button went off.
        return;
    }
    // Nothing ticked: the highlighted row plays alone, rather than nothing.
    QTreeWidgetItem* current = lvResult->currentItem();
    const int highlighted = current != nullptr ? lvResult->indexOfTopLevelItem(current) : -1;
    const bool ticked = NextCheckedRow(-1) >= 0;
    if (!ticked && highlighted < 0) {
        return;
    }
    TWaveOutPlayer& player = Player();
    if (!(ticked ? StartPlayingFrom(-1) : StartPlayingRow(highlighted))) {
        return;
    }
    playback_.Begin();
    tmrPlayTime->start();
    imgPlay->show();
    UpdateCommands();

    PrepareLevelDisplay(sedtTriggerLevel->value(), player.Channels(), player.SamplesPerSec());
    if (cbxDisplayWaveForm->isChecked()) {
        player.SetOnPlayedEvent(
            [this](Thread* Sender, TMemoryStream& ReceivedData) { DisplayWaveData(Sender, ReceivedData); });
    } else {
        player.SetOnPlayedEvent(nullptr);
    }
}

void TfrmWaveInSample::btnStopPlayClick() {
    // Without a playback no end comes that would clear the suppressed exit again.
    if (fPlayer == nullptr || !playback_.Active()) {
        return;
    }
    run_.SuppressAutoExit();
    fPlayer->Stop();
    // The end handler then finds no row after this one.
    playback_.StopAfterThisRow(RowCount());
}

void TfrmWaveInSample::btnNextClick() {
    if (fPlayer == nullptr || !playback_.Active()) {
        return;
    }
    run_.SuppressAutoExit();
    fPlayer->Stop();
}

void TfrmWaveInSample::btnPrevClick() {
    if (fPlayer == nullptr || !playback_.Active()) {
        return;
    }
    int found = -1;
    for (int r = std::min(playback_.PlayingIndex(), RowCount()) - 1; r >= 0; --r) {
        if (RowChecked(r)) {
            found = r;
            break;
        }
    }
    // The end handler plays the first checked row after the playing index:
    // the one found, or the first of the list (which may be the one playing now).
    playback_.BackTo(found);
    run_.SuppressAutoExit();
    fPlayer->Stop();
}

void TfrmWaveInSample::btnIntroClick() {
    if (btnIntro->isChecked()) {
        TfrmIntroPlay dialog(this);
        dialog.SetSeconds(tmrIntroPlay->interval() / 1000);
        if (dialog.exec() == QDialog::Accepted) {
            tmrIntroPlay->setInterval(dialog.Seconds() * 1000);
        }
    }
    if (fPlayer != nullptr && !fPlayer->Stopped()) {
        // On: the count for the file now playing starts now. Off: it plays to
        // its end.
        if (btnIntro->isChecked()) {
            tmrIntroPlay->start();
        } else {
            tmrIntroPlay->stop();
        }
    }
}

void TfrmWaveInSample::tbrProgressChange(int position) {
    if (!AcceptSeek || fPlayer == nullptr || fPlayer->Stopped()) {
        return;
    }
    const std::int64_t target = static_cast<std::int64_t>(
        std::trunc(static_cast<double>(fPlayer->SampleCount() * std::int64_t{position}) / 100.0));
    fPlayer->Seek(target);
    const int rate = fPlayer->SamplesPerSec();
    if (rate > 0) {
        // The elapsed time then shows the new position.
        playback_.SetStartTime(NowDays() - static_cast<double>(target) / rate / 86400.0);
    }
}

void TfrmWaveInSample::tmrPlayTimeTimer() {
    if (!playback_.Active()) {
        return;
    }
    ShowTrackTime((NowDays() - playback_.StartTime()) * 86400.0);
    if (fPlayer == nullptr || fPlayer->Stopped()) {
        return;
    }
    const std::int64_t count = fPlayer->SampleCount();
    int percent = 0;
    if (count > 0) {
        const double part = static_cast<double>(fPlayer->SamplePosition()) / static_cast<double>(count);
        percent = std::clamp(static_cast<int>(std::trunc(part * 100.0)), 0, 100);
    }
    AcceptSeek = false;
    tbrProgress->setValue(percent);
    AcceptSeek = true;
}

bool TfrmWaveInSample::SplitPlayingFile() {
    if (fPlayer == nullptr || !playback_.Active() || fPlayer->Stopped()) {
        return false;
    }
    if (playback_.SplitAsked()) {
        // The stop for the split is on its way.
        return true;
    }
    const int rate = fPlayer->SamplesPerSec();
    playback_.AskSplit(RowPath(playback_.PlayingIndex()).toStdU16String(),
                       rate > 0 ? static_cast<double>(fPlayer->SamplePosition()) / rate : 0.0);
    UpdateCommands();
    run_.SuppressAutoExit();
    fPlayer->Stop();
    return true;
}

void TfrmWaveInSample::fPlayerPlayEnd() {
    ClearWaveDisplay(true);
    tmrIntroPlay->stop();
    if (!playback_.Active()) {
        return;
    }
    const TPlayEndReason reason = fPlayer->EndReason();

    if (const std::optional<PlaybackSession::Split> split = playback_.TakeAskedSplit()) {
        FinishPlayback();
        SplitFile(QString::fromStdU16String(split->fileName), split->seconds);
        return;
    }

    if (reason == TPlayEndReason::NoDevice || reason == TPlayEndReason::DeviceFailed) {
        // Nothing could be heard and the next file would fail the same way.
        run_.SuppressAutoExit();
        FinishPlayback();
        return;
    }

    if (!StartPlayingFrom(playback_.PlayingIndex())) {
        FinishPlayback();
    }
}

void TfrmWaveInSample::SplitFile(const QString& fileName, double seconds) {
    if (JobRunning()) {
        // Only one job runs at a time: the split waits for the running one.
        playback_.QueueSplit({fileName.toStdU16String(), seconds});
        return;
    }
    // The list may have changed since the split was asked for: it goes to the
    // file that was playing, wherever its row is now.
    int row = RowPath(playback_.PlayingIndex()) == fileName ? playback_.PlayingIndex() : -1;
    for (int r = 0; row < 0 && r < RowCount(); ++r) {
        if (RowPath(r) == fileName) {
            row = r;
        }
    }
    if (row < 0) {
        ReportError((fileName + QStringLiteral("\r\nはリストにないため、分割できませんでした。")).toStdString(),
                    "Error");
        return;
    }
    (void)RedivideFiles(row, seconds);
}

void TfrmWaveInSample::RunPendingSplit() {
    if (!playback_.SplitsWaiting() || JobRunning() || destroyed_) {
        return;
    }
    if (const std::optional<PlaybackSession::Split> next = playback_.TakeWaitingSplit()) {
        SplitFile(QString::fromStdU16String(next->fileName), next->seconds);
    }
}

void TfrmWaveInSample::FinishPlayback() {
    playback_.Finish();
    imgPlay->hide();
    // The list may have changed under the playback (rows removed, a job
    // started): the commands follow the state as it is now.
    UpdateCommands();

    lblTrackNo->setText(QStringLiteral("00000"));
    lblTrackTime->setText(QStringLiteral("00000h00m00s"));
    AcceptSeek = false;
    tbrProgress->setValue(0);
    AcceptSeek = true;
    tmrPlayTime->stop();

    if (run_.TakePlaybackExit() && btnExitApps->isChecked()) {
        close();
    }
}

void TfrmWaveInSample::StopPlaybackAndWait() {
    if (fPlayer == nullptr) {
        return;
    }
    tmrIntroPlay->stop();
    // From here on an end of playback only ends the wait: no next file starts.
    bool ended = !playback_.Active();
    fPlayer->SetOnPlayEnd([&ended](TWaveOutPlayer* /*Sender*/) { ended = true; });
    fPlayer->SetOnPlayedEvent(nullptr);
    if (!ended) {
        fPlayer->Stop();
        // The playback thread may be waiting for the main thread (level
        // data), so the main thread keeps dispatching while it waits.
        MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
        const auto deadline = std::chrono::steady_clock::now() + kCloseWaitLimit;
        while (!ended && dispatcher != nullptr && std::chrono::steady_clock::now() < deadline) {
            dispatcher->Pump(std::chrono::milliseconds(20));
        }
    }
    playback_.Finish();
    (void)playback_.TakeAskedSplit();
    tmrPlayTime->stop();
    delete fPlayer;
    fPlayer = nullptr;
    UpdateCommands();
}

void TfrmWaveInSample::ConnectPlaybackControls() {
    connect(btnPlay, &QToolButton::clicked, this, &TfrmWaveInSample::btnPlayClick);
    connect(btnStopPlay, &QToolButton::clicked, this, &TfrmWaveInSample::btnStopPlayClick);
    connect(btnNext, &QToolButton::clicked, this, &TfrmWaveInSample::btnNextClick);
    connect(btnPrev, &QToolButton::clicked, this, &TfrmWaveInSample::btnPrevClick);
    connect(btnIntro, &QToolButton::clicked, this, &TfrmWaveInSample::btnIntroClick);
    connect(tbrProgress, &QSlider::valueChanged, this, &TfrmWaveInSample::tbrProgressChange);
    connect(tmrIntroPlay, &QTimer::timeout, this, &TfrmWaveInSample::btnNextClick);
    connect(tmrPlayTime, &QTimer::timeout, this, &TfrmWaveInSample::tmrPlayTimeTimer);
}

}  // namespace zolvane2
