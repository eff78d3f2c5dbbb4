// The window's side of recording over a fake input: the status texts and the
// title through a run, the files listed from the capture thread's reports,
// the settings lock, the recording-time limit, failed starts and closing
// while recording.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TPaintBox.h"
#include "app/TRadioGroup.h"
#include "platform/ErrorDisplay.h"
#include "support/RecordingWindowTestSupport.h"

namespace zolvane2::test {
namespace {

using namespace std::chrono_literals;

class RecordingControlTest : public RecordingWindowTest {
protected:
    // Starts a run and waits until the thread has the device going.
    void Record() {
        Control<QPushButton>(*window, "btnRecord")->click();
        ASSERT_TRUE(PumpUntil([this] { return fake->IsStarted(); }));
    }
    [[nodiscard]] QString Title() const { return window->windowTitle(); }
    [[nodiscard]] QStringList ListedNames() const {
        QStringList names;
        for (int row = 0; row < window->RowCount(); ++row) {
            names << QFileInfo(window->RowPath(row)).fileName();
        }
        return names;
    }
    void ExpectLocked(bool locked) {
        auto& w = *window;
        EXPECT_EQ(Control<QPushButton>(w, "btnRecord")->isEnabled(), !locked);
        EXPECT_EQ(Control<QPushButton>(w, "btnStop")->isEnabled(), locked);
        for (QWidget* control : {static_cast<QWidget*>(Control<QSpinBox>(w, "sedtTriggerLevel")),
                                 static_cast<QWidget*>(Control<QLineEdit>(w, "edtBaseFileName")),
                                 static_cast<QWidget*>(Control<TRadioGroup>(w, "rgRecMode")),
                                 static_cast<QWidget*>(Control<QComboBox>(w, "cbWaveInDeviceName")),
                                 static_cast<QWidget*>(Control<QCheckBox>(w, "cbxRAWSave")),
                                 static_cast<QWidget*>(Control<QPushButton>(w, "btnDefaultSetting"))}) {
            EXPECT_EQ(control->isEnabled(), !locked) << control->objectName().toStdString();
        }
    }
    void SetRecordingTime(int h, int m, int s) {
        Control<QSpinBox>(*window, "sedtRecordingTimeH")->setValue(h);
        Control<QSpinBox>(*window, "sedtRecordingTimeM")->setValue(m);
        Control<QSpinBox>(*window, "sedtRecordingTimeS")->setValue(s);
    }
};

TEST_F(RecordingControlTest, TheDeviceListComesFromTheCaptureThreadAndTheChosenEntryIsOpened) {
    sources = {"Mic", "Line in"};
    auto& w = OpenRecorder();
    ASSERT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 3);
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->itemText(0),
              QStringLiteral("コントロールパネルの設定(WAVE_MAPPER)"));
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->itemText(2), QStringLiteral("Line in"));
    Control<QComboBox>(w, "cbWaveInDeviceName")->setCurrentIndex(2);
    Control<QComboBox>(w, "cbSamplingFreq")->setCurrentText(QStringLiteral("22050"));
    Control<TRadioGroup>(w, "rgRecMode")->SetItemIndex(0);
    Record();
    EXPECT_EQ(fake->OpenedIndex(), 2);
    EXPECT_EQ(fake->OpenedRate(), 22050);
    EXPECT_EQ(fake->OpenedChannels(), 1);
}

TEST_F(RecordingControlTest, TheChosenDeviceIsKeptByNameAcrossRestartsReorderingAndReplugging) {
    sources = {"Mic", "Line in", "USB"};
    auto& first = OpenRecorder();
    Control<QComboBox>(first, "cbWaveInDeviceName")->setCurrentIndex(2);
    window.reset();
    const QString ini = QString::fromUtf8(ReadAll(ProgramPath() + QStringLiteral(".ini")));
    EXPECT_TRUE(ini.contains(QStringLiteral("cbWaveInDeviceName.ItemIndex=2\r\n")));
    EXPECT_TRUE(ini.contains(QStringLiteral("cbWaveInDeviceName.Name=fake.Line_in\r\n")));

    // Another order at the next start: the name wins over the index.
    sources = {"Line in", "USB", "Mic"};
    auto& w = OpenRecorder();
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->currentText(), QStringLiteral("Line in"));

    // Unplugged, the list loses it; plugged in again, it is chosen again.
    fake->SetSources({"USB", "Mic"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    ASSERT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 3);
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->currentIndex(), 0);
    fake->SetSources({"Mic", "New", "USB", "Line in"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    ASSERT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 5);
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->currentText(), QStringLiteral("Line in"));

    // Moved again just before the start: the device chosen is the one opened.
    fake->SetSources({"Line in", "Mic"});
    Record();
    EXPECT_EQ(fake->OpenedIndex(), 1);
    fake->SetSources({"Mic"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 3) << "the list stays while a recording runs";
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 2) << "and follows the change after it";

    // An open list stays as it is until it closes.
    Control<QComboBox>(w, "cbWaveInDeviceName")->showPopup();
    fake->SetSources({"Mic", "USB"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 2);
    Control<QComboBox>(w, "cbWaveInDeviceName")->hidePopup();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(Control<QComboBox>(w, "cbWaveInDeviceName")->count(), 3);
}

TEST_F(RecordingControlTest, ARunWithoutCuttingShowsItsStatesListsEachTrackAndUnlocksAtTheEnd) {
    auto& w = OpenRecorder();
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    Control<QPushButton>(w, "btnRecord")->click();
    // Waiting until the thread reports the first track.
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2[待機中]"));
    EXPECT_FALSE(Control<QLabel>(w, "lblRecording")->isHidden());
    EXPECT_FALSE(Control<QLabel>(w, "imgPause")->isHidden());
    EXPECT_TRUE(Control<QTimer>(w, "tmrPause")->isActive());
    ExpectLocked(true);

    ASSERT_TRUE(PumpUntil([&] { return Title() == QStringLiteral("Zolvane2[録音中 : Track00001]"); }));
    EXPECT_EQ(ApplicationTitle(), "Zolvane2[録音中 : Track00001]");
    EXPECT_EQ(Control<QLabel>(w, "lblTrackNo")->text(), QStringLiteral("00001"));
    EXPECT_TRUE(Control<QLabel>(w, "imgPause")->isHidden());
    EXPECT_FALSE(Control<QTimer>(w, "tmrPause")->isActive());
    EXPECT_TRUE(Control<QTimer>(w, "tmrTrackTime")->isActive());

    FeedBlocks(4, 1000);
    ASSERT_TRUE(DeliverAll(2));
    Control<QPushButton>(w, "btnNextTrack")->click();
    ASSERT_TRUE(PumpUntil([&] { return w.RowCount() == 1; }));
    EXPECT_EQ(ListedNames(), QStringList{QStringLiteral("Track00001.wav")});
    ASSERT_TRUE(PumpUntil([&] { return Title() == QStringLiteral("Zolvane2[録音中 : Track00002]"); }));
    EXPECT_EQ(Control<QLabel>(w, "lblTrackNo")->text(), QStringLiteral("00002"));
    ASSERT_TRUE(DeliverAll(2));

    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("Track00001.wav"), QStringLiteral("Track00002.wav")}));
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2"));
    EXPECT_EQ(ApplicationTitle(), "Zolvane2");
    EXPECT_TRUE(Control<QLabel>(w, "lblRecording")->isHidden());
    EXPECT_TRUE(Control<QLabel>(w, "imgPause")->isHidden());
    EXPECT_FALSE(Control<QLabel>(w, "lblTrackTime")->isHidden());
    EXPECT_FALSE(Control<QTimer>(w, "tmrPause")->isActive() || Control<QTimer>(w, "tmrTrackTime")->isActive() ||
                 Control<QTimer>(w, "tmrRecordingTime")->isActive());
    ExpectLocked(false);
    EXPECT_EQ(w.SubItem(1, 2), QStringLiteral("Stereo")) << "read back from the file";
    EXPECT_TRUE(Messages().Messages().empty());
}

TEST_F(RecordingControlTest, TheCaptureThreadsReportsNameTheFilesByTheRunsBaseNameAndDigits) {
    auto& w = OpenRecorder();
    Control<QSpinBox>(w, "sedtPrec")->setValue(5);
    Record();  // trigger mode: the thread waits for sound that never comes
    WriteWave(Path(QStringLiteral("Track00004.wav")), 2, 44100, 10);
    WriteWave(Path(QStringLiteral("Track00012_tooLONG.wav")), 2, 44100, 10);
    WriteWave(Path(QStringLiteral("Track00012.wav")), 2, 44100, 10);

    Post("WM_Triggered", 5, 0);
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2[録音中 : Track00005]"));
    // Three numbers on, now at 7: the closed file is number 4.
    Post("WM_RecEnd", MakeWParam(3, 0), 7);
    EXPECT_EQ(ListedNames(), QStringList{QStringLiteral("Track00004.wav")});
    EXPECT_EQ(Control<QLabel>(w, "lblTrackNo")->text(), QStringLiteral("00007"));
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2[待機中 : Track00007]"));
    EXPECT_EQ(Control<QLabel>(w, "lblTrackTime")->text(), QStringLiteral("00000h00m00s"));
    EXPECT_FALSE(Control<QLabel>(w, "imgPause")->isHidden());

    // An empty track adds nothing and leaves the number alone.
    Post("WM_RecEnd", MakeWParam(1, 2), 8);
    EXPECT_EQ(w.RowCount(), 1);
    EXPECT_EQ(Control<QLabel>(w, "lblTrackNo")->text(), QStringLiteral("00007"));
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2[待機中 : Track00008]"));

    Post("WM_RecEnd", MakeWParam(1, 1), 13);
    EXPECT_EQ(ListedNames().last(), QStringLiteral("Track00012_tooLONG.wav"));
    // The last file carries the number itself.
    Post("WM_RecFinish", MakeWParam(0, 0), 12);
    EXPECT_EQ(ListedNames().last(), QStringLiteral("Track00012.wav"));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2"));
}

TEST_F(RecordingControlTest, ARawRunListsRawFilesAndTheTrackLabelKeepsFiveDigits) {
    auto& w = OpenRecorder();
    Control<QCheckBox>(w, "cbxRAWSave")->setChecked(true);
    Control<QSpinBox>(w, "sedtPrec")->setValue(3);
    Record();
    WriteFile(Path(QStringLiteral("Track012.raw")), Bytes(400, 1));
    Post("WM_Triggered", 12, 0);
    EXPECT_EQ(Control<QLabel>(w, "lblTrackNo")->text(), QStringLiteral("00012"));
    Post("WM_RecFinish", MakeWParam(0, 0), 12);
    EXPECT_EQ(ListedNames(), QStringList{QStringLiteral("Track012.raw")});
}

// The countdown counts recorded audio (stereo blocks of 4096 frames here),
// from the first track on, and the capture thread ends the run on the frame
// the time runs out.
TEST_F(RecordingControlTest, TheCountdownCountsRecordedAudioFromTheFirstTrackAndItsEndClosesWithExitAfter) {
    auto& w = OpenRecorder({QStringLiteral("/AUTOQUIT")});
    SetRecordingTime(0, 0, 1);
    w.show();
    Record();
    FeedBlocks(4, 0);
    ASSERT_TRUE(DeliverAll(4));
    EXPECT_FALSE(Control<QTimer>(w, "tmrRecordingTime")->isActive()) << "no track yet";
    FeedBlocks(5, -500);
    ASSERT_TRUE(DeliverAll(5));
    ASSERT_TRUE(PumpUntil([&] { return w.WaveInThread()->RecordingTimeUsedFrames() == 5 * 4096; }));
    ASSERT_TRUE(PumpUntil([&] { return Control<QTimer>(w, "tmrRecordingTime")->isActive(); }));
    Tick(Control<QTimer>(w, "tmrRecordingTime"));
    EXPECT_EQ(Control<QProgressBar>(w, "ProgressBar1")->value(), 5 * 4096 * 100 / 44100);
    EXPECT_EQ(Control<QProgressBar>(w, "ProgressBar1")->text(), QStringLiteral("残り 0h00m01s"));
    FeedBlocks(10, -500);
    ASSERT_TRUE(DeliverUntilTheRunEnds());
    ASSERT_TRUE(PumpUntil([&] { return !w.isVisible(); }));
    EXPECT_EQ(w.WaveInThread(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(w.DefaultSettingsFile())) << "settings written after the stop";
    // The 100 ms held ahead of the trigger, then exactly one second.
    EXPECT_EQ(QFileInfo(Path(QStringLiteral("Track00001.wav"))).size(), 44 + (4410 + 44100) * 4);
}

TEST_F(RecordingControlTest, NetTimeStandsStillWhileWaiting) {
    auto& w = OpenRecorder();
    SetRecordingTime(0, 0, 1);
    Control<QCheckBox>(w, "cbxAbsoluteRecordingTime")->setChecked(true);
    Control<QSpinBox>(w, "sedtTrackInterval")->setValue(100);
    Control<QSpinBox>(w, "sedtLastTimeAfterTrigger")->setValue(0);
    Record();
    // Two loud blocks, then quiet: the track ends after 4411 quiet frames.
    FeedBlocks(2, -500);
    FeedBlocks(12, 0);
    ASSERT_TRUE(DeliverAll(14));
    ASSERT_TRUE(PumpUntil([&] { return fake->QueuedCount() == 2 && w.RowCount() == 1; }));
    Tick(Control<QTimer>(w, "tmrRecordingTime"));
    EXPECT_EQ(Control<QProgressBar>(w, "ProgressBar1")->value(), (2 * 4096 + 4411) * 100 / 44100);
    EXPECT_TRUE(w.RecordingRunning());
}

TEST_F(RecordingControlTest, LostAudioShowsAtOnceAndTheEndOfTheRunSaysHowMuchAndWhere) {
    auto& w = OpenRecorder();
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    Record();
    EXPECT_TRUE(Control<QLabel>(w, "lblDropouts")->isHidden());
    FeedBlocks(11, -500);
    ASSERT_TRUE(DeliverAll(11));
    // Noticed after all eleven blocks: one gap before them, one after ten.
    fake->LoseData(44100 * 4, 0);
    fake->LoseData(22050 * 4, 16384 * 10);
    ASSERT_TRUE(PumpUntil([&] { return w.RecordingLosses().size() == 2; }));
    EXPECT_FALSE(Control<QLabel>(w, "lblDropouts")->isHidden());
    EXPECT_EQ(Control<QLabel>(w, "lblDropouts")->text(), QStringLiteral("欠落 2回"));
    // The damaged track's row is marked as soon as the track closes.
    Control<QPushButton>(w, "btnNextTrack")->click();
    ASSERT_TRUE(PumpUntil([&] { return w.RowCount() == 1; }));
    EXPECT_FALSE(Control<QTreeWidget>(w, "lvResult")->topLevelItem(0)->icon(0).isNull());
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    ASSERT_EQ(Messages().Messages().size(), 1U);
    EXPECT_EQ(Messages().Messages()[0].title, "音声の欠落");
    const QString labels = Path(QStringLiteral("Tracklosses.txt"));
    EXPECT_EQ(Messages().Messages()[0].text,
              "録音中に音声が2回途切れ、合計1.5秒の音声が失われました。\r\n該当トラック: 00001\r\n"
              "欠落の位置: 00001 の 0:00:00.00 (1.0秒), 00001 の 0:00:00.92 (0.5秒)\r\n"
              "欠落の位置をラベルファイル " +
                  labels.toStdString() + " に書きました。");
    EXPECT_EQ(ReadAll(labels), QByteArray("0.000000\t0.000000\tTrack00001.wav の音声の欠落 (1.00 秒)\n"
                                          "0.928798\t0.928798\tTrack00001.wav の音声の欠落 (0.50 秒)\n"));
    const QTreeWidgetItem* row = Control<QTreeWidget>(w, "lvResult")->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->toolTip(0).contains(QStringLiteral("00001 の 0:00:00.92 (0.5秒)")))
        << row->toolTip(0).toStdString();
    EXPECT_TRUE(dialogs.notices.empty()) << "a window someone watches asks to be read";
    EXPECT_FALSE(Control<QLabel>(w, "lblDropouts")->isHidden()) << "stays until the next recording";
    Record();
    EXPECT_TRUE(Control<QLabel>(w, "lblDropouts")->isHidden());
    EXPECT_TRUE(w.RecordingLosses().empty());
}

TEST_F(RecordingControlTest, UnderAutoQuitAWarningOfLostAudioWaitsForNobodyAndTheProgramEnds) {
    auto& w = OpenRecorder({QStringLiteral("/AUTOQUIT")});
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    SetRecordingTime(0, 0, 1);
    w.show();
    Record();
    fake->LoseData(22050 * 4, 0);
    ASSERT_TRUE(PumpUntil([&] { return w.RecordingLosses().size() == 1; }));
    FeedBlocks(11, -500);
    ASSERT_TRUE(DeliverUntilTheRunEnds());
    ASSERT_TRUE(PumpUntil([&] { return !w.isVisible(); }));
    EXPECT_TRUE(Messages().Messages().empty());
    ASSERT_EQ(dialogs.notices.size(), 1U);
    EXPECT_EQ(dialogs.notices[0].first, QStringLiteral("音声の欠落"));
    EXPECT_TRUE(dialogs.notices[0].second.contains(QStringLiteral("00001 の 0:00:00.00 (0.5秒)")));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Tracklosses.txt"))));
}

TEST_F(RecordingControlTest, AStopByTheUserLeavesTheWindowOpenEvenWithExitAfter) {
    auto& w = OpenRecorder({QStringLiteral("/AUTOQUIT")});
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    w.show();
    Record();
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(Control<QToolButton>(w, "btnExitApps")->isChecked());
}

TEST_F(RecordingControlTest, ARecordingTimeOfZeroMeansNoLimit) {
    auto& w = OpenRecorder();
    SetRecordingTime(0, 0, 0);
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    Record();
    FeedBlocks(20, -500);
    ASSERT_TRUE(DeliverAll(20));
    EXPECT_FALSE(Control<QTimer>(w, "tmrRecordingTime")->isActive());
    EXPECT_EQ(Control<QProgressBar>(w, "ProgressBar1")->value(), 0);
    EXPECT_TRUE(w.RecordingRunning());
    EXPECT_TRUE(fake->IsStarted()) << "no stop";
}

TEST_F(RecordingControlTest, AutoStartRecordsAtFirstShowAndTheTimeLimitThenEndsTheProgram) {
    auto& w = OpenRecorder({QStringLiteral("/autostart"), QStringLiteral("/autoquit")});
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    SetRecordingTime(0, 0, 1);
    w.show();
    ASSERT_TRUE(PumpUntil([&] { return Control<QTimer>(w, "tmrRecordingTime")->isActive(); }));
    FeedBlocks(11, -500);
    ASSERT_TRUE(DeliverUntilTheRunEnds());
    ASSERT_TRUE(PumpUntil([&] { return !w.isVisible(); }));
    EXPECT_EQ(ListedNames(), QStringList{QStringLiteral("Track00001.wav")});
}

TEST_F(RecordingControlTest, AFailedDeviceStartReturnsTheWindowToIdle) {
    auto& w = OpenRecorder();
    fake->FailNext(FakeSoundCall::Start, kSoundErrBusy);
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    ExpectLocked(false);
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2"));
    EXPECT_EQ(w.RowCount(), 0);
    ASSERT_EQ(Messages().Messages().size(), 1U);
    EXPECT_EQ(Messages().Messages()[0].title, "Error");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Track00001.wav"))));
}

TEST_F(RecordingControlTest, ARateThatIsNoNumberIsReportedAndTheWindowStaysIdle) {
    auto& w = OpenRecorder();
    Control<QComboBox>(w, "cbSamplingFreq")->setCurrentText(QStringLiteral("44k"));
    Messages().Clear();
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_EQ(Messages().Messages().size(), 1U);
    EXPECT_EQ(Messages().Messages()[0].title, "Zolvane2");
    ExpectLocked(false);
    EXPECT_FALSE(w.RecordingRunning());
    EXPECT_EQ(Title(), QStringLiteral("Zolvane2"));
    EXPECT_FALSE(fake->IsOpen());
}

TEST_F(RecordingControlTest, ClosingWhileRecordingFinishesAndListsTheLastFileBeforeTheSettingsAreSaved) {
    auto& w = OpenRecorder();
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    w.show();
    Record();
    FeedBlocks(2, 2000);
    ASSERT_TRUE(DeliverAll(2));
    dialogs.answers.push_back(true);
    w.close();
    EXPECT_EQ(dialogs.questions, std::vector<QString>{QStringLiteral("録音中です。録音を終了して閉じますか?")});
    EXPECT_EQ(w.WaveInThread(), nullptr) << "the thread ended before close returned";
    EXPECT_EQ(ListedNames(), QStringList{QStringLiteral("Track00001.wav")});
    EXPECT_EQ(w.SubItem(0, 6), QStringLiteral("32768")) << "two full blocks with a finished header";
    EXPECT_TRUE(QFileInfo::exists(w.DefaultSettingsFile()));
}

TEST_F(RecordingControlTest, TheNextFileButtonDoesNothingWhileIdleAndSbAutoIDOnlyChangesItsCaption) {
    auto& w = OpenRecorder();
    Control<QPushButton>(w, "btnNextTrack")->click();
    EXPECT_EQ(w.RowCount(), 0);
    EXPECT_FALSE(fake->IsOpen());
    const bool trigger = Control<QRadioButton>(w, "rbtnUseTrigger")->isChecked();
    Control<QToolButton>(w, "sbAutoID")->click();
    EXPECT_EQ(Control<QToolButton>(w, "sbAutoID")->text(), QStringLiteral("Manual"));
    EXPECT_EQ(Control<QRadioButton>(w, "rbtnUseTrigger")->isChecked(), trigger);
    Control<QRadioButton>(w, "rbtnInterval")->setChecked(true);
    Control<QRadioButton>(w, "rbtnUseTrigger")->setChecked(true);
    EXPECT_EQ(Control<QToolButton>(w, "sbAutoID")->text(), QStringLiteral("Auto"));
}

TEST_F(RecordingControlTest, TheLevelDisplayIsFedOnlyWhenChosen) {
    auto& w = OpenRecorder();
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    Control<QCheckBox>(w, "cbxDisplayWaveForm")->setChecked(false);
    Record();
    FeedBlocks(1, 3000);
    ASSERT_TRUE(DeliverAll(1));
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("0"));

    Control<QCheckBox>(w, "cbxDisplayWaveForm")->setChecked(true);
    Record();
    FeedBlocks(1, 3000);
    ASSERT_TRUE(DeliverAll(1));
    ASSERT_TRUE(PumpUntil([&] { return Control<QLabel>(w, "lblMax0")->text() == QStringLiteral("3000"); }));
    EXPECT_EQ(Control<QLabel>(w, "lblAvg1")->text(), QStringLiteral("300"));
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(Control<TPaintBox>(w, "imgWave")->Canvas().pixelColor(0, 0), w.palette().color(QPalette::Button));
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("3000")) << "the numbers keep their last values";
}

}  // namespace
}  // namespace zolvane2::test
