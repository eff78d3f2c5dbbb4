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

#include "app/TRadioGroup.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/SettingsFileValues.h"
#include "jobs/TMyMemIniFile.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"

namespace zolvane2 {

namespace {

constexpr const char* kForm = "frmWaveInSample";
constexpr const char* kList = "lvResult";
constexpr const char* kSetting = "tsSetting";
constexpr const char* kCut = "tsCut";

constexpr int kDefaultWidth = 423;
constexpr int kDefaultHeight = 463;
constexpr std::array<int, 6> kDefaultColumnWidths{200, 100, 75, 50, 50, 200};
constexpr int kDefaultIntroInterval = 20000;
constexpr int kDefaultSamplingIndex = 8;

std::string ColumnKey(int column) {
    return "ColumnsWidth" + std::to_string(column);
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}
QString FromUtf8(const std::string& s) {
    return QString::fromStdString(s);
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

    const int device = ini.ReadInteger(kSetting, "cbWaveInDeviceName.ItemIndex", 0);
    cbWaveInDeviceName->setCurrentIndex(device >= 0 && device < cbWaveInDeviceName->count() ? device : 0);
    // The device's name finds it again when the server lists it elsewhere; a
    // device that is not there now is still wanted when it comes.
    const QString deviceName = FromUtf8(ini.ReadString(kSetting, "cbWaveInDeviceName.Name", ""));
    if (!deviceName.isEmpty()) {
        SetPreferredDevice(deviceName);
    }
    const QString base = FromUtf8(ini.ReadString(kSetting, "edtBaseFileName.Text", Utf8(DefaultBaseFileName())));
    edtBaseFileName->setText(base.isEmpty() ? DefaultBaseFileName() : base);
    cbxRAWSave->setChecked(ini.ReadBool(kSetting, "cbxRAWSave.Checked", false));
    sedtRecordingTimeH->setValue(ini.ReadInteger(kSetting, "sedtRecordingTimeH.Value", 0));
    sedtRecordingTimeM->setValue(ini.ReadInteger(kSetting, "sedtRecordingTimeM.Value", 60));
    sedtRecordingTimeS->setValue(ini.ReadInteger(kSetting, "sedtRecordingTimeS.Value", 0));
    cbxAbsoluteRecordingTime->setChecked(ini.ReadBool(kSetting, "cbxAbsoluteRecordingTime.Checked", false));
    // Without a chosen mode the channel count would be 0 and every size
    // computed from it a division by zero; such a value takes the default.
    const int mode = ini.ReadInteger(kSetting, "rgRecMode.ItemIndex", 1);
    rgRecMode->SetItemIndex(mode >= 0 && mode < rgRecMode->Count() ? mode : 1);
    sedtPrec->setValue(ini.ReadInteger(kSetting, "sedtPrec.Value", 5));

    const int rate = ini.ReadInteger(kSetting, "cbSamplingFreq.ItemIndex", kDefaultSamplingIndex);
    if (rate >= 0 && rate < cbSamplingFreq->count()) {
        cbSamplingFreq->setCurrentIndex(rate);
    } else {
        {
            // Passing through an empty text is not a change of the rate.
            const QSignalBlocker quiet(cbSamplingFreq);
            cbSamplingFreq->setCurrentIndex(-1);
        }
        cbSamplingFreq->setEditText(FromUtf8(ini.ReadString(kSetting, "cbSamplingFreq.Text", "44100")));
    }
    cbxDisplayWaveForm->setChecked(ini.ReadBool(kSetting, "cbxDisplayWaveForm.Checked", true));

    rbtnUseTrigger->setChecked(ini.ReadBool(kCut, "rbtnUseTrigger.Checked", true));
    rbtnInterval->setChecked(ini.ReadBool(kCut, "rbtnInterval.Checked", false));
    rbtnNoCut->setChecked(ini.ReadBool(kCut, "rbtnNoCut.Checked", false));
    sedtTriggerLevel->setValue(ini.ReadInteger(kCut, "sedtTriggerLevel.Value", 300));
    sedtTriggerDelay->setValue(ini.ReadInteger(kCut, "sedtTriggerDelay.Value", 100));
    sedtTrackInterval->setValue(ini.ReadInteger(kCut, "sedtTrackInterval.Value", 3000));
    sedtLastTimeAfterTrigger->setValue(ini.ReadInteger(kCut, "sedtLastTimeAfterTrigger.Value", 1000));
    sedtCuttingTimeH->setValue(ini.ReadInteger(kCut, "sedtCuttingTimeH.Value", 0));
    sedtCuttingTimeM->setValue(ini.ReadInteger(kCut, "sedtCuttingTimeM.Value", 60));
    sedtCuttingTimeS->setValue(ini.ReadInteger(kCut, "sedtCuttingTimeS.Value", 0));
    sedtMinimumTrackLength->setValue(ini.ReadInteger(kCut, kMinimumTrackLengthKey, 0));
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

    ini.WriteInteger(kSetting, "cbWaveInDeviceName.ItemIndex", cbWaveInDeviceName->currentIndex());
    ini.WriteString(kSetting, "edtBaseFileName.Text", Utf8(edtBaseFileName->text()));
    ini.WriteInteger(kSetting, "sedtRecordingTimeH.Value", sedtRecordingTimeH->value());
    ini.WriteInteger(kSetting, "sedtRecordingTimeM.Value", sedtRecordingTimeM->value());
    ini.WriteInteger(kSetting, "sedtRecordingTimeS.Value", sedtRecordingTimeS->value());
    ini.WriteBool(kSetting, "cbxAbsoluteRecordingTime.Checked", cbxAbsoluteRecordingTime->isChecked());
    ini.WriteInteger(kSetting, "rgRecMode.ItemIndex", rgRecMode->ItemIndex());
    ini.WriteInteger(kSetting, "sedtPrec.Value", sedtPrec->value());
    const int rate = SamplingFreqItemIndex();
    ini.WriteInteger(kSetting, "cbSamplingFreq.ItemIndex", rate);
    if (rate == -1) {
        ini.WriteString(kSetting, "cbSamplingFreq.Text", Utf8(cbSamplingFreq->currentText()));
    }
    ini.WriteBool(kSetting, "cbxDisplayWaveForm.Checked", cbxDisplayWaveForm->isChecked());
    ini.WriteBool(kSetting, "cbxRAWSave.Checked", cbxRAWSave->isChecked());
    ini.WriteString(kSetting, "cbWaveInDeviceName.Name", Utf8(preferredDeviceName_));

    ini.WriteBool(kCut, "rbtnUseTrigger.Checked", rbtnUseTrigger->isChecked());
    ini.WriteBool(kCut, "rbtnInterval.Checked", rbtnInterval->isChecked());
    ini.WriteBool(kCut, "rbtnNoCut.Checked", rbtnNoCut->isChecked());
    ini.WriteInteger(kCut, "sedtTriggerLevel.Value", sedtTriggerLevel->value());
    ini.WriteInteger(kCut, "sedtTriggerDelay.Value", sedtTriggerDelay->value());
    ini.WriteInteger(kCut, "sedtTrackInterval.Value", sedtTrackInterval->value());
    ini.WriteInteger(kCut, "sedtLastTimeAfterTrigger.Value", sedtLastTimeAfterTrigger->value());
    ini.WriteInteger(kCut, "sedtCuttingTimeH.Value", sedtCuttingTimeH->value());
    ini.WriteInteger(kCut, "sedtCuttingTimeM.Value", sedtCuttingTimeM->value());
    ini.WriteInteger(kCut, "sedtCuttingTimeS.Value", sedtCuttingTimeS->value());
    ini.WriteInteger(kCut, kMinimumTrackLengthKey, sedtMinimumTrackLength->value());
}

void TfrmWaveInSample::btnSaveSettingClick() {
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("プログラムの設定 (*.ini)");
    request.defaultSuffix = QStringLiteral("ini");
    request.initialPath = DefaultSettingsFile();
    request.confirmOverwrite = true;
    const auto chosen = Dialogs().SaveFile(this, request);
    if (!chosen) {
        return;
    }
    try {
        SaveSettings(*chosen);
    } catch (const Error& e) {
        ShowStandardError(e.what());
    }
}

void TfrmWaveInSample::btnLoadSettingClick() {
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("プログラムの設定 (*.ini)");
    request.defaultSuffix = QStringLiteral("ini");
    request.initialPath = DefaultSettingsFile();
    const auto chosen = Dialogs().OpenFile(this, request);
    if (!chosen) {
        return;
    }
    try {
        LoadSettings(*chosen);
    } catch (const Error& e) {
        ShowStandardError(e.what());
    }
}

void TfrmWaveInSample::btnDefaultSettingClick() {
    resize(kDefaultWidth, height());
    resize(width(), kDefaultHeight);
    for (int c = 0; c < 6; ++c) {
        lvResult->setColumnWidth(c, kDefaultColumnWidths.at(static_cast<std::size_t>(c)));
    }
    tmrIntroPlay->setInterval(kDefaultIntroInterval);
    cbWaveInDeviceName->setCurrentIndex(0);
    preferredDeviceName_.clear();
    edtBaseFileName->setText(DefaultBaseFileName());
    sedtRecordingTimeH->setValue(0);
    sedtRecordingTimeM->setValue(60);
    sedtRecordingTimeS->setValue(0);
    cbxAbsoluteRecordingTime->setChecked(false);
    rgRecMode->SetItemIndex(1);
    sedtPrec->setValue(5);
    cbSamplingFreq->setCurrentIndex(kDefaultSamplingIndex);
    cbxDisplayWaveForm->setChecked(true);
    rbtnUseTrigger->setChecked(true);
    cbxRAWSave->setChecked(false);
    sedtTriggerLevel->setValue(300);
    sedtTriggerDelay->setValue(100);
    sedtTrackInterval->setValue(3000);
    sedtLastTimeAfterTrigger->setValue(1000);
    sedtCuttingTimeH->setValue(0);
    sedtCuttingTimeM->setValue(60);
    sedtCuttingTimeS->setValue(0);
    sedtMinimumTrackLength->setValue(0);
}

void TfrmWaveInSample::ConnectSettingButtons() {
    connect(btnSaveSetting, &QPushButton::clicked, this, &TfrmWaveInSample::btnSaveSettingClick);
    connect(btnLoadSetting, &QPushButton::clicked, this, &TfrmWaveInSample::btnLoadSettingClick);
    connect(btnDefaultSetting, &QPushButton::clicked, this, &TfrmWaveInSample::btnDefaultSettingClick);
}

}  // namespace zolvane2
