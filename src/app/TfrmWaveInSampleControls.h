#pragma once

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace zolvane2 {

class TPaintBox;
class TPeakMeter;
class TRadioGroup;
class TRecordingSettingImage;
class TReviewPage;

// The main window's controls, as a form holds them: the window makes them
// (the layout files) and owns them through Qt's parent chain; these are the
// window's handles to them. Kept apart from the window's code so that its
// class stays readable.
struct TfrmWaveInSampleControls {
    // ---- by the names the settings and the help use -------------------
    // Tests and the help find them by these object names.
    QTabWidget* PageControl1 = nullptr;
    QWidget* tsMain = nullptr;
    QWidget* tsSetting = nullptr;
    QWidget* tsCut = nullptr;
    TReviewPage* tsReview = nullptr;

    // Button bar.
    QFrame* pnlCtrl = nullptr;
    QToolButton* sbAutoID = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnRecord = nullptr;
    QPushButton* btnNextTrack = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QToolButton* btnHelp = nullptr;
    QMenu* HelpMenu = nullptr;

    // Page "録音表示": tools, status, level display, list.
    QFrame* pnlDisplay = nullptr;
    QToolButton* btnOpenWave = nullptr;
    QToolButton* btnOpenList = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnCopy = nullptr;
    QToolButton* btnCheck = nullptr;
    QToolButton* btnUncheck = nullptr;
    QToolButton* btnInvertCheck = nullptr;
    QToolButton* btnRemove = nullptr;
    QToolButton* btnClear = nullptr;
    QToolButton* btnDelete = nullptr;
    QToolButton* btnRename = nullptr;
    QToolButton* btnCheckFile = nullptr;
    QToolButton* btnCombine = nullptr;
    QToolButton* btnDivide = nullptr;
    QToolButton* btnCancel = nullptr;
    QToolButton* btnReview = nullptr;
    QToolButton* btnPlay = nullptr;
    QToolButton* btnStopPlay = nullptr;
    QToolButton* btnPrev = nullptr;
    QToolButton* btnNext = nullptr;
    QToolButton* btnIntro = nullptr;
    QToolButton* btnExitApps = nullptr;
    QSlider* tbrProgress = nullptr;
    QFrame* pnlStatus = nullptr;
    QLabel* lblTrackNo = nullptr;
    QLabel* lblTrackNoDisp = nullptr;
    QLabel* lblRecording = nullptr;
    QLabel* imgPause = nullptr;
    QLabel* imgPlay = nullptr;
    QLabel* lblTrackTime = nullptr;
    QLabel* lblDropouts = nullptr;
    QStackedWidget* PageControlWave = nullptr;
    QWidget* TabSheetWave = nullptr;
    QWidget* TabSheetValue = nullptr;
    QFrame* pnlWave = nullptr;
    TPaintBox* imgWave = nullptr;
    TPeakMeter* imgPeakMeter = nullptr;
    QLabel* lblClip = nullptr;
    QLabel* lblQuiet = nullptr;
    QLabel* lblch0 = nullptr;
    QLabel* lblch1 = nullptr;
    QLabel* lblMax = nullptr;
    QLabel* lblAvg = nullptr;
    QLabel* lblMax0 = nullptr;
    QLabel* lblMax1 = nullptr;
    QLabel* lblAvg0 = nullptr;
    QLabel* lblAvg1 = nullptr;
    QPushButton* btnReset0 = nullptr;
    QPushButton* btnReset1 = nullptr;
    QToolButton* btnShowWave = nullptr;
    QToolButton* btnShowData = nullptr;
    QTreeWidget* lvResult = nullptr;

    // Page "録音設定".
    QLabel* lblBaseFileName = nullptr;
    QLineEdit* edtBaseFileName = nullptr;
    QPushButton* btnRefFile = nullptr;
    QLabel* lblRecordingTime = nullptr;
    QSpinBox* sedtRecordingTimeH = nullptr;
    QSpinBox* sedtRecordingTimeM = nullptr;
    QSpinBox* sedtRecordingTimeS = nullptr;
    QLabel* lblRecordingTimeH = nullptr;
    QLabel* lblRecordingTimeM = nullptr;
    QLabel* lblRecordingTimeS = nullptr;
    QCheckBox* cbxAbsoluteRecordingTime = nullptr;
    TRadioGroup* rgRecMode = nullptr;
    QLabel* lblPrec = nullptr;
    QSpinBox* sedtPrec = nullptr;
    QLabel* lblPrecUnit = nullptr;
    QCheckBox* cbxDisplayWaveForm = nullptr;
    QLabel* lblSamplingFreq = nullptr;
    QComboBox* cbSamplingFreq = nullptr;
    QLabel* lblSamplingFreqUnit = nullptr;
    QLabel* lblWaveInDeviceName = nullptr;
    QComboBox* cbWaveInDeviceName = nullptr;
    QLabel* lblMaxRecTimeCaption = nullptr;
    QLabel* lblMaxRecTime = nullptr;
    QLabel* lblRecSizeCaption = nullptr;
    QLabel* lblRecSize = nullptr;
    QLabel* lblDiskTimeCaption = nullptr;
    QLabel* lblDiskTime = nullptr;
    QLabel* lblRAW = nullptr;
    QCheckBox* cbxRAWSave = nullptr;
    QCheckBox* cbxFLACSave = nullptr;
    QLabel* pnlSizeWarning = nullptr;

    // Page "切り出し設定".
    TRecordingSettingImage* imgRecordingSetting = nullptr;
    QRadioButton* rbtnUseTrigger = nullptr;
    QSpinBox* sedtTriggerLevel = nullptr;
    QSpinBox* sedtTriggerDelay = nullptr;
    QSpinBox* sedtTrackInterval = nullptr;
    QSpinBox* sedtLastTimeAfterTrigger = nullptr;
    QSpinBox* sedtMinimumTrackLength = nullptr;  // ms; 0 keeps every track
    QLabel* lblMinimumTrackLength = nullptr;
    QLabel* lblRunNote = nullptr;
    QRadioButton* rbtnGaps = nullptr;
    QLabel* lblGapSensitivity = nullptr;
    QSpinBox* sedtGapSensitivity = nullptr;  // dB above the measured noise floor
    QLabel* lblGapSensitivityUnit = nullptr;
    QLabel* lblMinimumGap = nullptr;
    QSpinBox* sedtMinimumGap = nullptr;  // ms
    QLabel* lblMinimumGapUnit = nullptr;
    QLabel* lblTrackCount = nullptr;
    QSpinBox* sedtTrackCount = nullptr;  // re-divide: pieces per file; 0 unknown
    QRadioButton* rbtnInterval = nullptr;
    QLabel* lblCuttingTime = nullptr;
    QSpinBox* sedtCuttingTimeH = nullptr;
    QSpinBox* sedtCuttingTimeM = nullptr;
    QSpinBox* sedtCuttingTimeS = nullptr;
    QLabel* lblCuttingTimeH = nullptr;
    QLabel* lblCuttingTimeM = nullptr;
    QLabel* lblCuttingTimeS = nullptr;
    QRadioButton* rbtnNoCut = nullptr;
    QPushButton* btnSaveSetting = nullptr;
    QPushButton* btnLoadSetting = nullptr;
    QPushButton* btnDefaultSetting = nullptr;

    // Timers.
    QTimer* tmrPause = nullptr;
    QTimer* tmrTrackTime = nullptr;  // the recorded track's time
    QTimer* tmrPlayTime = nullptr;   // the playing file's time and position
    QTimer* tmrRecordingTime = nullptr;
    QTimer* tmrIntroPlay = nullptr;

    // The desk (Desk.cpp).
    QToolButton* sbMonitor = nullptr;
    QPushButton* btnSchedule = nullptr;
    QLabel* lblSchedule = nullptr;
    QTimer* tmrSchedule = nullptr;
};

}  // namespace zolvane2
