// Recording control: the Record, Stop and next-file buttons, the Auto
// indicator, the status panel, the recording-time countdown, the settings
// lock and the capture thread's reports.
//
// Threads: everything here runs on the main thread. The capture thread
// (TWaveInThread) is created with the window and frees itself after it was
// told to quit; the window writes its settings only while it is idle, posts
// requests to its queue and receives its reports through notifyWindow_, which
// the main-thread dispatcher delivers to HandleMessage.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <cmath>

#include "app/TRadioGroup.h"
#include "app/TfrmWaveInSample.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/MainThreadDispatcher.h"
#include "record/TWaveInThread.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

constexpr char16_t kCaption[] = u"Zolvane2";
constexpr char16_t kZeroTrackTime[] = u"00000h00m00s";

QString FiveDigits(std::int64_t number) {
    return QString::fromStdString(TrackNaming::FormatNumber(number, 5));
}

QString FinishedName(const RecordingSettings& run, const TWaveInReport& report) {
    return QString::fromStdString(run.FinishedTrackName(report.finished, report.status));
}

}  // namespace

void TfrmWaveInSample::CreateCaptureThread() {
    auto* thread = new TWaveInThread();
    thread->SetPriority(ThreadPriority::Higher);
    thread->SetFreeOnTerminate(true);
    thread->SetNotifyWindow(notifyWindow_.get());
    // The handle outlives the object, which deletes itself when it ends.
    waveInThreadState_ = thread->Handle();
    thread->Resume();
    fWaveInThread = thread;
}

void TfrmWaveInSample::QuitCaptureThread() {
    if (fWaveInThread == nullptr) {
        return;
    }
    // A recording still running is finished by the thread before it ends.
    (void)fWaveInThread->Queue().Post(waveInMessages_.quit);
    fWaveInThread = nullptr;
    WaitForThread(waveInThreadState_);
    waveInThreadState_.reset();
    // Its last reports are queued for this window, which must see them
    // before it goes away (they name the last file of the run).
    if (MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
        dispatcher != nullptr && dispatcher->IsMainThread()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
}

void TfrmWaveInSample::StopRunningWork() {
    StopRecordingAndWait();
    CancelJobAndWait();
    StopPlaybackAndWait();
}

void TfrmWaveInSample::StopRecordingAndWait() {
    if (fWaveInThread == nullptr || (fWaveInThread->Idle() && !RecordingRunning())) {
        return;
    }
    // Stop as the button does, then wait for the thread to end: the last
    // file is finished and listed before the settings are written.
    btnStopClick();
    QuitCaptureThread();
}

bool TfrmWaveInSample::RecordingRunning() const {
    return run_.Running();
}

void TfrmWaveInSample::SetApplicationTitleText(const QString& state) {
    const QString title = QString::fromUtf16(kCaption) + state;
    SetApplicationTitle(title.toStdString());
    // The desktop's task bar shows the window's title, not the program's.
    setWindowTitle(title);
}

void TfrmWaveInSample::HandleMessage(const Message& message) {
    const TWaveInReport report = TWaveInReport::Decode(waveInMessages_, message);
    switch (report.kind) {
        case TWaveInReport::Kind::Triggered:
            OnTriggered(report);
            break;
        case TWaveInReport::Kind::TrackEnded:
            OnRecEnd(report);
            break;
        case TWaveInReport::Kind::Finished:
            OnRecFinish(report);
            break;
        case TWaveInReport::Kind::Lost:
            OnRecLost(report);
            break;
        case TWaveInReport::Kind::None:
            break;
    }
}

void TfrmWaveInSample::OnTriggered(const TWaveInReport& report) {
    const std::int64_t number = report.next;
    lblTrackNo->setText(FiveDigits(number));
    lblTrackTime->show();
    SetApplicationTitleText(QStringLiteral("[録音中 : Track") + FiveDigits(number) + QStringLiteral("]"));
    imgPause->hide();
    tmrPause->stop();
    if (!tmrTrackTime->isActive()) {
        tmrTrackTime->start();
    }

    run_.Triggered();
    // The capture thread counts the time in recorded frames and stops on the
    // limit's frame; the timer only shows how far it is.
    if (run_.LimitSeconds() > 0 && !tmrRecordingTime->isActive()) {
        tmrRecordingTime->start();
    }
}

void TfrmWaveInSample::OnRecEnd(const TWaveInReport& report) {
    const std::int64_t number = report.next;
    const bool netTime = run_.NetTime();
    if (report.status == FinishStatus::Deleted) {
        // The empty track was deleted; with net time it gives its time back.
        run_.EmptyTrackDeleted();
    } else {
        AddFileToList(FinishedName(recordingSettings_, report), -1);
        lblTrackNo->setText(FiveDigits(number));
        // A long unattended run shows its damaged tracks as they close; the
        // label file joins their tooltips at the end.
        if (!run_.Losses().empty()) {
            MarkLossRows(QString());
        }
    }
    SetApplicationTitleText(QStringLiteral("[待機中 : Track") + FiveDigits(number) + QStringLiteral("]"));
    if (netTime) {
        tmrRecordingTime->stop();
    }
    tmrPause->start();
    tmrTrackTime->stop();
    imgPause->show();
    lblTrackTime->setText(QString::fromUtf16(kZeroTrackTime));
    lblTrackTime->show();
}

void TfrmWaveInSample::OnRecFinish(const TWaveInReport& report) {
    if (report.Kept()) {
        AddFileToList(FinishedName(recordingSettings_, report), -1);
    }
    run_.Finish();
    UpdateCommands();
    SetRecordingControlsEnabled(true);
    // Once the window has let its thread go there is no count to read.
    ShowShortTracksDropped(fWaveInThread != nullptr ? fWaveInThread->ShortTracksDropped() : 0);
    ClearWaveDisplay(true);
    SetApplicationTitleText(QString());
    tmrPause->stop();
    tmrTrackTime->stop();
    tmrRecordingTime->stop();
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    imgPause->hide();
    lblRecording->hide();
    RefreshChangedDevices();
    lblTrackTime->show();
    if (fWaveInThread != nullptr && fWaveInThread->TimeLimitReached()) {
        run_.MarkTimeLimitReached();
    }
    if (!run_.Losses().empty() && !destroyed_) {
        ShowRecordingLosses();
    }
    if (run_.TakeRecordingExit() && btnExitApps->isChecked() && !destroyed_) {
        close();
    }
}

void TfrmWaveInSample::btnRecordClick() {
    StartRecording();
}

void TfrmWaveInSample::StartRecording() {
    if (fWaveInThread == nullptr || RecordingRunning() || !fWaveInThread->Idle()) {
        return;
    }
    // The rate is read first: a text that is no number is reported while the
    // window is still idle, instead of leaving it locked in a run that never
    // starts.
    int rate = 0;
    try {
        rate = SamplingFrequency();
    } catch (const Error& e) {
        ShowStandardError(e.what());
        return;
    }

    // The server numbers its sources afresh; the index handed to the thread
    // must be that of the chosen device now.
    RefreshDeviceList();
    SetRecordingControlsEnabled(false);
    tmrPause->start();
    tmrTrackTime->stop();
    imgPause->show();
    SetApplicationTitleText(QStringLiteral("[待機中]"));
    lblRecording->show();

    TWaveInThread& t = *fWaveInThread;
    RecordingSettings& run = recordingSettings_;
    run = SettingsFromControls().Recording();
    ApplyDesk(run);
    t.Configure(run);
    ShowShortTracksDropped(0);
    t.SetNotifyWindow(notifyWindow_.get());

    PrepareLevelDisplay(run.triggerLevel, run.channels, rate);
    if (cbxDisplayWaveForm->isChecked()) {
        t.SetOnLevelData([this](Thread* sender, TMemoryStream& block) { DisplayWaveData(sender, block); });
    } else {
        t.SetOnLevelData(nullptr);
    }
    run_.Begin(static_cast<int>(run.recordingTime), rate, run.netTime);
    UpdateCommands();
    lblDropouts->hide();
    (void)t.Queue().Post(waveInMessages_.start);
}

void TfrmWaveInSample::btnStopClick() {
    if (fWaveInThread != nullptr) {
        (void)fWaveInThread->Queue().Post(waveInMessages_.stop);
    }
}

void TfrmWaveInSample::btnNextTrackClick() {
    if (PlayerPlaying()) {
        // During playback the button splits the playing file (playback control).
        (void)SplitPlayingFile();
        return;
    }
    if (fWaveInThread != nullptr && !fWaveInThread->Idle()) {
        (void)fWaveInThread->Queue().Post(waveInMessages_.trackChange);
    }
}

void TfrmWaveInSample::tmrRecordingTimeTimer() {
    RecordingRun::Countdown shown;
    if (fWaveInThread == nullptr || !run_.CountDown(fWaveInThread->RecordingTimeUsedFrames(), shown)) {
        tmrRecordingTime->stop();
        return;
    }
    SetProgress(shown.percent);
    // The bar says what is left, not only how far it has come.
    const int s = shown.remainingSeconds;
    ProgressBar1->setFormat(QStringLiteral("残り %1h%2m%3s")
                                .arg(s / 3600)
                                .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(s % 60, 2, 10, QLatin1Char('0')));
    ProgressBar1->setTextVisible(true);
}

void TfrmWaveInSample::tmrTrackTimeTimer() {
    // While a file plays, the time shown is the playing file's. A track's
    // time is the audio written to it, not the time since its trigger: after
    // a stall the seconds lost are not shown as recorded.
    if (!PlayerPlaying() && fWaveInThread != nullptr && recordingSettings_.sampleRate > 0) {
        ShowTrackTime(static_cast<double>(fWaveInThread->TrackFrames()) / recordingSettings_.sampleRate);
    }
}

void TfrmWaveInSample::ShowTrackTime(double elapsedSeconds) {
    const auto hours = static_cast<std::int64_t>(std::trunc(elapsedSeconds / 3600.0));
    const auto ms = static_cast<std::int64_t>(std::llround(elapsedSeconds * 1000.0));
    const std::int64_t minutes = ms / 60000 % 60;
    const std::int64_t seconds = ms / 1000 % 60;
    lblTrackTime->setText(FiveDigits(hours) + QStringLiteral("h") +
                          QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0')) + QStringLiteral("m") +
                          QStringLiteral("%1").arg(seconds, 2, 10, QLatin1Char('0')) + QStringLiteral("s"));
}

void TfrmWaveInSample::tmrPauseTimer() {
    lblTrackTime->setVisible(!lblTrackTime->isVisible());
}
void TfrmWaveInSample::sbAutoIDClick() {
    sbAutoID->setText(sbAutoID->isChecked() ? QStringLiteral("Auto") : QStringLiteral("Manual"));
}

void TfrmWaveInSample::rbtnUseTriggerClick() {
    if (!sbAutoID->isChecked()) {
        sbAutoID->setChecked(true);
        sbAutoIDClick();
    }
}

void TfrmWaveInSample::rbtnNoCutClick() {
    if (sbAutoID->isChecked()) {
        sbAutoID->setChecked(false);
        sbAutoIDClick();
    }
}

void TfrmWaveInSample::SetRecordingControlsEnabled(bool enabled) {
    // Record and Stop follow the run itself (UpdateCommands).
    // The boxes of the cutting modes follow the mode too (UpdateCutModeControls).
    QWidget* const controls[] = {
        lblBaseFileName,
        edtBaseFileName,
        cbxAbsoluteRecordingTime,
        btnRefFile,
        lblRecordingTimeH,
        sedtRecordingTimeH,
        lblRecordingTimeM,
        sedtRecordingTimeM,
        lblRecordingTimeS,
        sedtRecordingTimeS,
        lblRecordingTime,
        rgRecMode,
        lblPrec,
        sedtPrec,
        lblPrecUnit,
        lblSamplingFreq,
        cbSamplingFreq,
        lblSamplingFreqUnit,
        cbxDisplayWaveForm,
        cbxRAWSave,
        cbxFLACSave,
        rbtnUseTrigger,
        rbtnGaps,
        rbtnInterval,
        rbtnNoCut,
        cbWaveInDeviceName,
        lblWaveInDeviceName,
        btnSaveSetting,
        btnLoadSetting,
        btnDefaultSetting,
    };
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
    // RAW stays greyed out while FLAC is on.
    cbxRAWSave->setEnabled(enabled && !cbxFLACSave->isChecked());
    settingsEditable_ = enabled;
    UpdateCutModeControls();
}

void TfrmWaveInSample::SetProgress(int percent) {
    ProgressBar1->setValue(percent == 100 ? 0 : percent);
}

void TfrmWaveInSample::ConnectRecordingControls() {
    connect(btnRecord, &QPushButton::clicked, this, &TfrmWaveInSample::btnRecordClick);
    connect(btnStop, &QPushButton::clicked, this, &TfrmWaveInSample::btnStopClick);
    connect(btnNextTrack, &QPushButton::clicked, this, &TfrmWaveInSample::btnNextTrackClick);
    connect(sbAutoID, &QToolButton::clicked, this, &TfrmWaveInSample::sbAutoIDClick);
    connect(tmrPause, &QTimer::timeout, this, &TfrmWaveInSample::tmrPauseTimer);
    connect(tmrTrackTime, &QTimer::timeout, this, &TfrmWaveInSample::tmrTrackTimeTimer);
    connect(tmrRecordingTime, &QTimer::timeout, this, &TfrmWaveInSample::tmrRecordingTimeTimer);
    connect(rbtnUseTrigger, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            rbtnUseTriggerClick();
        }
    });
    // Gap mode finds its pieces itself, as the trigger does.
    connect(rbtnGaps, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            rbtnUseTriggerClick();
        }
    });
    connect(rbtnInterval, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            rbtnNoCutClick();
        }
    });
    connect(rbtnNoCut, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            rbtnNoCutClick();
        }
    });
}

}  // namespace zolvane2
