// The settings file: every setting lives in a control of the window and is
// moved between the controls and an ini file in a fixed order.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "app/TRadioGroup.h"
#include "app/TReviewPage.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/TMyMemIniFile.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"

namespace zolvane2 {

namespace {

constexpr const char* kForm = "frmWaveInSample";
constexpr const char* kList = "lvResult";

constexpr int kDefaultWidth = 423;
constexpr int kDefaultHeight = 463;
constexpr std::array<int, 6> kDefaultColumnWidths{200, 100, 75, 50, 50, 200};
constexpr int kDefaultIntroInterval = 20000;

std::string ColumnKey(int column) {
    return "ColumnsWidth" + std::to_string(column);
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}
QString FromUtf8(const std::string& s) {
    return QString::fromStdString(s);
}

// The dialog of the setting buttons, starting at the default file.
WindowDialogs::FileRequest SettingsFileRequest(const QString& initialPath, bool saving) {
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("プログラムの設定 (*.ini)");
    request.defaultSuffix = QStringLiteral("ini");
    request.initialPath = initialPath;
    request.confirmOverwrite = saving;
    return request;
}

// A file the user chose that cannot be read or written is told, not fatal.
void ShowingFileErrors(const std::function<void()>& work) {
    try {
        work();
    } catch (const Error& e) {
        ShowStandardError(e.what());
    }
}

}  // namespace

int TfrmWaveInSample::SamplingFreqItemIndex() const {
    // A typed text that differs from the picked entry counts as typed.
    const int index = cbSamplingFreq->currentIndex();
    if (index >= 0 && cbSamplingFreq->itemText(index) == cbSamplingFreq->currentText()) {
        return index;
    }
    return -1;
}

std::array<std::pair<QSpinBox*, std::int32_t CuttingSettings::*>, 15> TfrmWaveInSample::SpinSettings() const {
    using S = CuttingSettings;
    return {{{sedtRecordingTimeH, &S::recordingHours},
             {sedtRecordingTimeM, &S::recordingMinutes},
             {sedtRecordingTimeS, &S::recordingSeconds},
             {sedtPrec, &S::digits},
             {sedtTriggerLevel, &S::triggerLevel},
             {sedtTriggerDelay, &S::triggerDelayMs},
             {sedtTrackInterval, &S::trackIntervalMs},
             {sedtLastTimeAfterTrigger, &S::lastTimeAfterTriggerMs},
             {sedtCuttingTimeH, &S::pieceHours},
             {sedtCuttingTimeM, &S::pieceMinutes},
             {sedtCuttingTimeS, &S::pieceSeconds},
             {sedtMinimumTrackLength, &S::minimumTrackLengthMs},
             {sedtGapSensitivity, &S::gapSensitivityDb},
             {sedtMinimumGap, &S::minimumGapMs},
             {sedtTrackCount, &S::trackCount}}};
}

std::array<std::pair<QAbstractButton*, bool CuttingSettings::*>, 6> TfrmWaveInSample::CheckSettings() const {
    using S = CuttingSettings;
    // The radio buttons in file order: checking one clears the others.
    return {{{cbxAbsoluteRecordingTime, &S::netRecordingTime},
             {cbxDisplayWaveForm, &S::displayWaveForm},
             {rbtnUseTrigger, &S::useTrigger},
             {rbtnInterval, &S::cutByInterval},
             {rbtnNoCut, &S::noCut},
             {rbtnGaps, &S::findGaps}}};
}

CuttingSettings TfrmWaveInSample::SettingsFromControls() const {
    // What no control holds (the track times' snap range of zolvane2-cli)
    // is saved as it was loaded.
    CuttingSettings s = shownSettings_;
    s.deviceIndex = cbWaveInDeviceName->currentIndex();
    s.deviceName = Utf8(preferredDeviceName_);
    s.baseFileName = Utf8(edtBaseFileName->text());
    s.rawOutput = cbxRAWSave->isChecked();
    s.flacOutput = cbxFLACSave->isChecked();
    s.recModeIndex = rgRecMode->ItemIndex();
    s.samplingIndex = SamplingFreqItemIndex();
    s.samplingText = Utf8(cbSamplingFreq->currentText());
    for (const auto& [spin, member] : SpinSettings()) {
        s.*member = spin->value();
    }
    for (const auto& [button, member] : CheckSettings()) {
        s.*member = button->isChecked();
    }
    return s;
}

void TfrmWaveInSample::ShowSettings(const CuttingSettings& s) {
    const CuttingSettings defaults;
    shownSettings_ = s;
    cbWaveInDeviceName->setCurrentIndex(
        s.deviceIndex >= 0 && s.deviceIndex < cbWaveInDeviceName->count() ? s.deviceIndex : defaults.deviceIndex);
    // The device's name finds it again when the server lists it elsewhere; a
    // device that is not there now is still wanted when it comes.
    if (!s.deviceName.empty()) {
        SetPreferredDevice(FromUtf8(s.deviceName));
    }
    // The base name goes in before the RAW box, which gives it its extension.
    edtBaseFileName->setText(s.baseFileName.empty() ? DefaultBaseFileName() : FromUtf8(s.baseFileName));
    cbxRAWSave->setChecked(s.rawOutput);
    cbxFLACSave->setChecked(s.flacOutput);
    // Without a chosen mode the channel count would be 0 and every size
    // computed from it a division by zero; such a value takes the default.
    rgRecMode->SetItemIndex(s.recModeIndex >= 0 && s.recModeIndex < rgRecMode->Count() ? s.recModeIndex
                                                                                       : defaults.recModeIndex);
    if (s.samplingIndex >= 0 && s.samplingIndex < cbSamplingFreq->count()) {
        cbSamplingFreq->setCurrentIndex(s.samplingIndex);
    } else {
        {
            // Passing through an empty text is not a change of the rate.
            const QSignalBlocker quiet(cbSamplingFreq);
            cbSamplingFreq->setCurrentIndex(-1);
        }
        cbSamplingFreq->setEditText(FromUtf8(s.samplingText));
    }
    for (const auto& [spin, member] : SpinSettings()) {
        spin->setValue(s.*member);
    }
    for (const auto& [button, member] : CheckSettings()) {
        button->setChecked(s.*member);
    }
}

void TfrmWaveInSample::LoadSettings(const QString& fileName) {
    const TMyMemIniFile ini(Utf8(fileName.isEmpty() ? DefaultSettingsFile() : fileName));

    resize(ini.ReadInteger(kForm, "Width", kDefaultWidth), height());
    resize(width(), ini.ReadInteger(kForm, "Height", kDefaultHeight));
    for (int c = 0; c < 6; ++c) {
        lvResult->setColumnWidth(
            c, ini.ReadInteger(kList, ColumnKey(c), kDefaultColumnWidths.at(static_cast<std::size_t>(c))));
    }
    // An interval of 0 or less would fire without pause and skip every file.
    const int intro = ini.ReadInteger(kList, "tmrIntroPlay.Interval", kDefaultIntroInterval);
    tmrIntroPlay->setInterval(intro > 0 ? intro : kDefaultIntroInterval);

    ShowSettings(CuttingSettings::Load(ini));
    tsReview->LoadChoices(ini);
}

void TfrmWaveInSample::SaveSettings(const QString& fileName) {
    const QString target = fileName.isEmpty() ? DefaultSettingsFile() : fileName;
    if (fileName.isEmpty()) {
        // The per-user folder may not exist yet on a first start.
        QDir().mkpath(QFileInfo(target).absolutePath());
    }
    TMyMemIniFile ini(Utf8(target));

    ini.WriteInteger(kForm, "Width", width());
    ini.WriteInteger(kForm, "Height", height());
    for (int c = 0; c < 6; ++c) {
        ini.WriteInteger(kList, ColumnKey(c), lvResult->columnWidth(c));
    }
    ini.WriteInteger(kList, "tmrIntroPlay.Interval", tmrIntroPlay->interval());

    SettingsFromControls().Save(ini);
    tsReview->SaveChoices(ini);
    if (fileName.isEmpty()) {
        StoreSchedule(ini);
    }
}

void TfrmWaveInSample::btnSaveSettingClick() {
    if (const auto chosen = Dialogs().SaveFile(this, SettingsFileRequest(DefaultSettingsFile(), true))) {
        ShowingFileErrors([&] { SaveSettings(*chosen); });
    }
}

void TfrmWaveInSample::btnLoadSettingClick() {
    if (const auto chosen = Dialogs().OpenFile(this, SettingsFileRequest(DefaultSettingsFile(), false))) {
        ShowingFileErrors([&] { LoadSettings(*chosen); });
    }
}

void TfrmWaveInSample::btnDefaultSettingClick() {
    resize(kDefaultWidth, height());
    resize(width(), kDefaultHeight);
    for (int c = 0; c < 6; ++c) {
        lvResult->setColumnWidth(c, kDefaultColumnWidths.at(static_cast<std::size_t>(c)));
    }
    tmrIntroPlay->setInterval(kDefaultIntroInterval);
    preferredDeviceName_.clear();
    ShowSettings(CuttingSettings());
}

void TfrmWaveInSample::ConnectSettingButtons() {
    connect(btnSaveSetting, &QPushButton::clicked, this, &TfrmWaveInSample::btnSaveSettingClick);
    connect(btnLoadSetting, &QPushButton::clicked, this, &TfrmWaveInSample::btnLoadSettingClick);
    connect(btnDefaultSetting, &QPushButton::clicked, this, &TfrmWaveInSample::btnDefaultSettingClick);
}

}  // namespace zolvane2
