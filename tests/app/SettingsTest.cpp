#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <map>

#include "app/TRadioGroup.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {
namespace {

using SettingsTest = WindowTest;

void WriteText(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

TEST_F(SettingsTest, FirstStartWithoutAFileUsesTheDefaultsAndWritesEverySectionAtExit) {
    const QString iniPath = ProgramPath() + QStringLiteral(".ini");
    auto& w = Open();
    EXPECT_EQ(w.DefaultSettingsFile(), iniPath);
    EXPECT_EQ(w.width(), 423);
    EXPECT_EQ(w.height(), 463);
    EXPECT_EQ(Control<QLineEdit>(*window, "edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.wav"));
    EXPECT_FALSE(QFile::exists(iniPath));
    w.close();
    const QString text = QString::fromUtf8(ReadAll(iniPath));
    const QString expected =
        QStringLiteral(
            "[frmWaveInSample]\r\nWidth=423\r\nHeight=463\r\n\r\n"
            "[lvResult]\r\nColumnsWidth0=200\r\nColumnsWidth1=100\r\nColumnsWidth2=75\r\n"
            "ColumnsWidth3=50\r\nColumnsWidth4=50\r\nColumnsWidth5=200\r\n"
            "tmrIntroPlay.Interval=20000\r\n\r\n"
            "[tsSetting]\r\ncbWaveInDeviceName.ItemIndex=0\r\nedtBaseFileName.Text=") +
        dir.path() +
        QStringLiteral(
            "/Track.wav\r\n"
            "sedtRecordingTimeH.Value=0\r\nsedtRecordingTimeM.Value=60\r\nsedtRecordingTimeS.Value=0\r\n"
            "cbxAbsoluteRecordingTime.Checked=0\r\nrgRecMode.ItemIndex=1\r\nsedtPrec.Value=5\r\n"
            "cbSamplingFreq.ItemIndex=8\r\ncbxDisplayWaveForm.Checked=1\r\ncbxRAWSave.Checked=0\r\n"
            "cbWaveInDeviceName.Name=\r\ncbxFLACSave.Checked=0\r\n\r\n"
            "[tsCut]\r\nrbtnUseTrigger.Checked=1\r\nrbtnInterval.Checked=0\r\nrbtnNoCut.Checked=0\r\n"
            "sedtTriggerLevel.Value=300\r\nsedtTriggerDelay.Value=100\r\nsedtTrackInterval.Value=3000\r\n"
            "sedtLastTimeAfterTrigger.Value=1000\r\nsedtCuttingTimeH.Value=0\r\n"
            "sedtCuttingTimeM.Value=60\r\nsedtCuttingTimeS.Value=0\r\nsedtMinimumTrackLength.Value=0\r\n"
            "rbtnGaps.Checked=0\r\nsedtGapSensitivity.Value=6\r\nsedtMinimumGap.Value=800\r\n"
            "sedtTrackCount.Value=0\r\nsedtSnapRange.Value=15\r\n\r\n"
            "[tsReview]\r\ncbxReviewDb.Checked=0\r\ncbReviewFormat.ItemIndex=0\r\n\r\n");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(SettingsTest, ValuesComeBackAfterARestart) {
    auto& w = Open();
    w.resize(600, 500);
    Control<QSpinBox>(*window, "sedtTriggerLevel")->setValue(1234);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);
    Control<TRadioGroup>(*window, "rgRecMode")->SetItemIndex(0);
    Control<QCheckBox>(*window, "cbxRAWSave")->setChecked(true);
    Control<QTreeWidget>(*window, "lvResult")->setColumnWidth(3, 77);
    Control<QCheckBox>(*window, "cbxReviewDb")->setChecked(true);
    Control<QComboBox>(*window, "cbReviewFormat")->setCurrentIndex(1);
    w.close();
    auto& again = Open();
    EXPECT_EQ(again.width(), 600);
    EXPECT_EQ(again.height(), 500);
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtTriggerLevel")->value(), 1234);
    EXPECT_TRUE(Control<QRadioButton>(*window, "rbtnNoCut")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(*window, "rbtnUseTrigger")->isChecked());
    EXPECT_EQ(Control<TRadioGroup>(*window, "rgRecMode")->ItemIndex(), 0);
    EXPECT_TRUE(Control<QCheckBox>(*window, "cbxRAWSave")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(*window, "cbxReviewDb")->isChecked());
    EXPECT_EQ(Control<QComboBox>(*window, "cbReviewFormat")->currentIndex(), 1);
    EXPECT_EQ(Control<QLineEdit>(*window, "edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.raw"));
    EXPECT_EQ(Control<QTreeWidget>(*window, "lvResult")->columnWidth(3), 77);
    // The cutting radio buttons set the Auto indicator as they load.
    EXPECT_EQ(Control<QToolButton>(*window, "sbAutoID")->text(), QStringLiteral("Manual"));
}

TEST_F(SettingsTest, EmptyBaseNameLoadsAsTheDefaultAndDigitsAreClamped) {
    WriteText(ProgramPath() + QStringLiteral(".ini"),
              QStringLiteral(
                  "[tsSetting]\nedtBaseFileName.Text=\nsedtPrec.Value=0\n[tsCut]\nsedtTriggerLevel.Value=40000\n"));
    Open();
    EXPECT_EQ(Control<QLineEdit>(*window, "edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.wav"));
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtPrec")->value(), 1);
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtTriggerLevel")->value(), 32767);
    window.reset();  // writes its settings; the file is replaced below
    WriteText(ProgramPath() + QStringLiteral(".ini"), QStringLiteral("[tsSetting]\nsedtPrec.Value=12\n"));
    Open();
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtPrec")->value(), 10);
}

TEST_F(SettingsTest, ATypedSamplingRateIsSavedAsIndexMinusOneWithItsText) {
    auto& w = Open();
    auto* rate = Control<QComboBox>(*window, "cbSamplingFreq");
    rate->setEditText(QStringLiteral("12000"));
    EXPECT_EQ(w.SamplingFreqItemIndex(), -1);
    const QString saved = Path(QStringLiteral("typed.ini"));
    w.SaveSettings(saved);
    const QString text = QString::fromUtf8(ReadAll(saved));
    EXPECT_TRUE(text.contains(QStringLiteral("cbSamplingFreq.ItemIndex=-1\r\ncbSamplingFreq.Text=12000\r\n")))
        << text.toStdString();

    rate->setCurrentIndex(9);
    w.LoadSettings(saved);
    EXPECT_EQ(rate->currentText(), QStringLiteral("12000"));
    EXPECT_EQ(w.SamplingFreqItemIndex(), -1);
    EXPECT_EQ(Messages().Count(), 0U) << "an empty text on the way is no conversion error";

    // Picking from the list again saves the index; the old text stays in the file.
    rate->setCurrentIndex(9);
    w.SaveSettings(saved);
    const QString after = QString::fromUtf8(ReadAll(saved));
    EXPECT_TRUE(after.contains(QStringLiteral("cbSamplingFreq.ItemIndex=9\r\ncbSamplingFreq.Text=12000\r\n")));
}

TEST_F(SettingsTest, OutOfRangeIndexesFallBack) {
    WriteText(ProgramPath() + QStringLiteral(".ini"),
              QStringLiteral("[tsSetting]\ncbWaveInDeviceName.ItemIndex=5\ncbSamplingFreq.ItemIndex=40\n"
                             "rgRecMode.ItemIndex=7\n[lvResult]\ntmrIntroPlay.Interval=0\n"));
    Open();
    EXPECT_EQ(Control<QComboBox>(*window, "cbWaveInDeviceName")->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(*window, "cbSamplingFreq")->currentText(), QStringLiteral("44100"));
    EXPECT_EQ(Control<TRadioGroup>(*window, "rgRecMode")->ItemIndex(), 1);
    EXPECT_EQ(Control<QTimer>(*window, "tmrIntroPlay")->interval(), 20000);
}

TEST_F(SettingsTest, SavingIntoAChosenFileKeepsItsOtherSectionsAndKeys) {
    auto& w = Open();
    const QString chosen = Path(QStringLiteral("chosen.ini"));
    WriteText(chosen, QStringLiteral("[Foreign]\nx=1\n[tsCut]\nmyOwnKey=keep\nsedtTriggerLevel.Value=5\n"));
    dialogs.files.push_back(chosen);
    Control<QPushButton>(*window, "btnSaveSetting")->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1U);
    EXPECT_TRUE(dialogs.fileRequests[0].confirmOverwrite);
    EXPECT_EQ(dialogs.fileRequests[0].initialPath, w.DefaultSettingsFile());
    EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, QStringLiteral("ini"));
    const QString text = QString::fromUtf8(ReadAll(chosen));
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("[Foreign]\r\nx=1\r\n\r\n[tsCut]\r\nmyOwnKey=keep\r\nsedtTriggerLevel.Value=300\r\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("[frmWaveInSample]")));
}

TEST_F(SettingsTest, LoadingAPartialFileResetsTheMissingSettingsAndCancelChangesNothing) {
    Open();
    Control<QSpinBox>(*window, "sedtTrackInterval")->setValue(9999);
    Control<QSpinBox>(*window, "sedtTriggerDelay")->setValue(777);
    Control<QPushButton>(*window, "btnLoadSetting")->click();  // cancelled
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtTrackInterval")->value(), 9999);
    const QString partial = Path(QStringLiteral("partial.ini"));
    WriteText(partial, QStringLiteral("[TSCUT]\nSEDTTRIGGERDELAY.VALUE=$20\n"));
    dialogs.files.push_back(partial);
    Control<QPushButton>(*window, "btnLoadSetting")->click();
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtTriggerDelay")->value(), 32);
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtTrackInterval")->value(), 3000);
}

// What every named setting control shows, by name.
std::map<QString, QString> ControlValues(const QWidget& w) {
    std::map<QString, QString> values;
    const auto named = [](const QObject* o) {
        return !o->objectName().isEmpty() && !o->objectName().startsWith(QStringLiteral("qt_"));
    };
    for (const auto* c : w.findChildren<QSpinBox*>()) {
        if (named(c)) {
            values[c->objectName()] = QString::number(c->value());
        }
    }
    for (const auto* c : w.findChildren<QAbstractButton*>()) {
        if (named(c) && c->isCheckable()) {
            values[c->objectName()] = c->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        }
    }
    for (const auto* c : w.findChildren<QComboBox*>()) {
        if (named(c)) {
            values[c->objectName()] = c->currentText();
        }
    }
    for (const auto* c : w.findChildren<QLineEdit*>()) {
        if (named(c)) {
            values[c->objectName()] = c->text();
        }
    }
    return values;
}

// Without a settings file every control starts at its default; the button
// brings each one back there.
TEST_F(SettingsTest, DefaultButtonRestoresEveryControlWithoutWriting) {
    auto& w = Open();
    const auto defaults = ControlValues(w);
    const QSize size = w.size();
    const int rateIndex = w.SamplingFreqItemIndex();
    w.resize(700, 600);
    Control<QComboBox>(*window, "cbSamplingFreq")->setEditText(QStringLiteral("12000"));
    Control<QSpinBox>(*window, "sedtCuttingTimeM")->setValue(5);
    Control<QCheckBox>(*window, "cbxRAWSave")->setChecked(true);
    Control<QRadioButton>(*window, "rbtnInterval")->setChecked(true);
    Control<QCheckBox>(*window, "cbxDisplayWaveForm")->setChecked(false);
    ASSERT_NE(ControlValues(w), defaults);
    Control<QPushButton>(*window, "btnDefaultSetting")->click();
    EXPECT_EQ(w.size(), size);
    EXPECT_EQ(w.SamplingFreqItemIndex(), rateIndex);
    EXPECT_EQ(ControlValues(w), defaults);
    EXPECT_FALSE(QFile::exists(w.DefaultSettingsFile()));
}

// An installed program's folder is not writable: the settings go to the
// user's configuration folder and recordings to the music folder.
TEST_F(SettingsTest, ReadOnlyProgramFolderFallsBackToTheUsersFolders) {
    TWindowOptions options;
    options.programPath = QStringLiteral("/proc/1/zolvane2");
    options.dialogs = &dialogs;
    window = std::make_unique<TfrmWaveInSample>(options);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(window->DefaultSettingsFile(), config + QStringLiteral("/Zolvane2/Zolvane2.ini"));
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!QFileInfo(music).isDir()) {
        music = QDir::homePath();
    }
    EXPECT_EQ(Control<QLineEdit>(*window, "edtBaseFileName")->text(), music + QStringLiteral("/Track.wav"));
    QFile::remove(window->DefaultSettingsFile());
    window->close();
    EXPECT_TRUE(QFile::exists(config + QStringLiteral("/Zolvane2/Zolvane2.ini")));
    window.reset();
    QFile::remove(config + QStringLiteral("/Zolvane2/Zolvane2.ini"));
}

}  // namespace
}  // namespace zolvane2::test
