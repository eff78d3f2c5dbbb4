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

#include "AppTestSupport.h"
#include "app/TRadioGroup.h"

namespace zolvane2::apptest {
namespace {

using SettingsTest = WindowTest;

void WriteText(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

TEST_F(SettingsTest, FirstStartWithoutAFileUsesTheDefaultsAndWritesAllFourSectionsAtExit) {
    const QString iniPath = ProgramPath() + QStringLiteral(".ini");
    auto& w = Open();
    EXPECT_EQ(w.DefaultSettingsFile(), iniPath);
    EXPECT_EQ(w.width(), 423);
    EXPECT_EQ(w.height(), 463);
    EXPECT_EQ(Find<QLineEdit>("edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.wav"));
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
            "sedtCuttingTimeM.Value=60\r\nsedtCuttingTimeS.Value=0\r\nsedtMinimumTrackLength.Value=0\r\n\r\n");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(SettingsTest, ValuesComeBackAfterARestart) {
    auto& w = Open();
    w.resize(600, 500);
    Find<QSpinBox>("sedtTriggerLevel")->setValue(1234);
    Find<QRadioButton>("rbtnNoCut")->setChecked(true);
    Find<TRadioGroup>("rgRecMode")->SetItemIndex(0);
    Find<QCheckBox>("cbxRAWSave")->setChecked(true);
    Find<QTreeWidget>("lvResult")->setColumnWidth(3, 77);
    w.close();
    auto& again = Open();
    EXPECT_EQ(again.width(), 600);
    EXPECT_EQ(again.height(), 500);
    EXPECT_EQ(Find<QSpinBox>("sedtTriggerLevel")->value(), 1234);
    EXPECT_TRUE(Find<QRadioButton>("rbtnNoCut")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>("rbtnUseTrigger")->isChecked());
    EXPECT_EQ(Find<TRadioGroup>("rgRecMode")->ItemIndex(), 0);
    EXPECT_TRUE(Find<QCheckBox>("cbxRAWSave")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.raw"));
    EXPECT_EQ(Find<QTreeWidget>("lvResult")->columnWidth(3), 77);
    // The cutting radio buttons set the Auto indicator as they load.
    EXPECT_EQ(Find<QToolButton>("sbAutoID")->text(), QStringLiteral("Manual"));
}

TEST_F(SettingsTest, EmptyBaseNameLoadsAsTheDefaultAndDigitsAreClamped) {
    WriteText(ProgramPath() + QStringLiteral(".ini"),
              QStringLiteral(
                  "[tsSetting]\nedtBaseFileName.Text=\nsedtPrec.Value=0\n[tsCut]\nsedtTriggerLevel.Value=40000\n"));
    Open();
    EXPECT_EQ(Find<QLineEdit>("edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.wav"));
    EXPECT_EQ(Find<QSpinBox>("sedtPrec")->value(), 1);
    EXPECT_EQ(Find<QSpinBox>("sedtTriggerLevel")->value(), 32767);
    window.reset();  // writes its settings; the file is replaced below
    WriteText(ProgramPath() + QStringLiteral(".ini"), QStringLiteral("[tsSetting]\nsedtPrec.Value=12\n"));
    Open();
    EXPECT_EQ(Find<QSpinBox>("sedtPrec")->value(), 10);
}

TEST_F(SettingsTest, ATypedSamplingRateIsSavedAsIndexMinusOneWithItsText) {
    auto& w = Open();
    auto* rate = Find<QComboBox>("cbSamplingFreq");
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
    EXPECT_EQ(Find<QComboBox>("cbWaveInDeviceName")->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>("cbSamplingFreq")->currentText(), QStringLiteral("44100"));
    EXPECT_EQ(Find<TRadioGroup>("rgRecMode")->ItemIndex(), 1);
    EXPECT_EQ(Find<QTimer>("tmrIntroPlay")->interval(), 20000);
}

TEST_F(SettingsTest, SavingIntoAChosenFileKeepsItsOtherSectionsAndKeys) {
    auto& w = Open();
    const QString chosen = Path(QStringLiteral("chosen.ini"));
    WriteText(chosen, QStringLiteral("[Foreign]\nx=1\n[tsCut]\nmyOwnKey=keep\nsedtTriggerLevel.Value=5\n"));
    dialogs.files.push_back(chosen);
    Find<QPushButton>("btnSaveSetting")->click();
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
    Find<QSpinBox>("sedtTrackInterval")->setValue(9999);
    Find<QSpinBox>("sedtTriggerDelay")->setValue(777);
    Find<QPushButton>("btnLoadSetting")->click();  // cancelled
    EXPECT_EQ(Find<QSpinBox>("sedtTrackInterval")->value(), 9999);
    const QString partial = Path(QStringLiteral("partial.ini"));
    WriteText(partial, QStringLiteral("[TSCUT]\nSEDTTRIGGERDELAY.VALUE=$20\n"));
    dialogs.files.push_back(partial);
    Find<QPushButton>("btnLoadSetting")->click();
    EXPECT_EQ(Find<QSpinBox>("sedtTriggerDelay")->value(), 32);
    EXPECT_EQ(Find<QSpinBox>("sedtTrackInterval")->value(), 3000);
}

TEST_F(SettingsTest, DefaultButtonRestoresEveryControlWithoutWriting) {
    auto& w = Open();
    w.resize(700, 600);
    Find<QComboBox>("cbSamplingFreq")->setEditText(QStringLiteral("12000"));
    Find<QSpinBox>("sedtCuttingTimeM")->setValue(5);
    Find<QCheckBox>("cbxRAWSave")->setChecked(true);
    Find<QRadioButton>("rbtnInterval")->setChecked(true);
    Find<QCheckBox>("cbxDisplayWaveForm")->setChecked(false);
    Find<QPushButton>("btnDefaultSetting")->click();
    EXPECT_EQ(w.width(), 423);
    EXPECT_EQ(w.height(), 463);
    EXPECT_EQ(Find<QComboBox>("cbSamplingFreq")->currentText(), QStringLiteral("44100"));
    EXPECT_EQ(w.SamplingFreqItemIndex(), 8);
    EXPECT_EQ(Find<QSpinBox>("sedtCuttingTimeM")->value(), 60);
    EXPECT_FALSE(Find<QCheckBox>("cbxRAWSave")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>("rbtnUseTrigger")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("cbxDisplayWaveForm")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("edtBaseFileName")->text(), dir.path() + QStringLiteral("/Track.wav"));
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
    EXPECT_EQ(Find<QLineEdit>("edtBaseFileName")->text(), music + QStringLiteral("/Track.wav"));
    QFile::remove(window->DefaultSettingsFile());
    window->close();
    EXPECT_TRUE(QFile::exists(config + QStringLiteral("/Zolvane2/Zolvane2.ini")));
    window.reset();
    QFile::remove(config + QStringLiteral("/Zolvane2/Zolvane2.ini"));
}

}  // namespace
}  // namespace zolvane2::apptest
