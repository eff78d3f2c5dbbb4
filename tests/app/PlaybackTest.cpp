// Playback from the window over a fake sound output: the checked rows in
// order, Next/Prev/Stop, intro play, seeking, RAW files, failed starts, the
// split at the playing position and closing while playing.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <chrono>
#include <functional>
#include <memory>

#include "app/TRadioGroup.h"
#include "app/TfrmIntroPlay.h"
#include "platform/MainThreadDispatcher.h"
#include "play/TWaveOutPlayer.h"
#include "record/TWaveInThread.h"
#include "support/FakeSoundInput.h"
#include "support/PlayTestSupport.h"
#include "support/SoundTestSupport.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {
namespace {

using namespace std::chrono_literals;

class PlaybackTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        output = std::make_shared<FakeSoundOutput>();
        SetSoundOutputFactory([out = output] { return std::make_unique<test::ForwardingSoundOutput>(out); });
    }
    void TearDown() override {
        WindowTest::TearDown();
        SetSoundOutputFactory(nullptr);
        SetSoundInputFactory(nullptr);
    }
    // Recording beside the playback, from a fake input the test reaches
    // through input once the run has made it.
    static void UseFakeInput(FakeSoundInput*& input) {
        SetSoundInputFactory([&input] {
            auto fake = std::make_unique<FakeSoundInput>();
            input = fake.get();
            return fake;
        });
    }

    TfrmWaveInSample& OpenPlayer() {
        auto& w = Open();
        w.Player().SetStopDrainTime(5ms);
        return w;
    }

    // Rows of files of the given frame counts (stereo, 8192 Hz), checked as
    // told.
    void AddFiles(const std::vector<std::int64_t>& frames, const std::vector<bool>& checked) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const QString path = Path(QStringLiteral("t%1.wav").arg(i + 1));
            WriteWave(path, 2, 8192, frames[i], static_cast<std::int16_t>(i + 1));
            window->AddFileToList(path, -1);
            window->SetRowChecked(static_cast<int>(i), checked.at(i));
        }
    }

    static bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            GetMainThreadDispatcher()->Pump(5ms);
        }
        return true;
    }

    // Plays blocks as the device would until done.
    bool PlayUntil(const std::function<bool()>& done) {
        return PumpUntil([&] {
            (void)output->ReturnNext();
            return done();
        });
    }

    [[nodiscard]] int Opens() const {
        int n = 0;
        for (FakeSoundCall c : output->Calls()) {
            n += c == FakeSoundCall::Open ? 1 : 0;
        }
        return n;
    }

    [[nodiscard]] QString TrackNo() { return Control<QLabel>(*window, "lblTrackNo")->text(); }
    void Click(const char* name) { Control<QToolButton>(*window, name)->click(); }
    [[nodiscard]] bool Playing() const { return window->PlayerPlaying(); }
    // While playing only stopping and seeking are offered, and the player's
    // picture shows.
    void ExpectControlsWhilePlaying(bool playing) {
        EXPECT_EQ(Control<QToolButton>(*window, "btnPlay")->isEnabled(), !playing);
        EXPECT_EQ(Control<QPushButton>(*window, "btnRecord")->isEnabled(), !playing);
        EXPECT_EQ(Control<QToolButton>(*window, "btnDivide")->isEnabled(), !playing);
        EXPECT_EQ(Control<QToolButton>(*window, "btnStopPlay")->isEnabled(), playing);
        EXPECT_EQ(Control<QSlider>(*window, "tbrProgress")->isEnabled(), playing);
        EXPECT_EQ(Control<QLabel>(*window, "imgPlay")->isHidden(), !playing);
    }
    // Open and streaming: the thread has started this playback.
    [[nodiscard]] bool Sounding() { return !window->Player().Stopped() && output->QueuedCount() > 0; }

    std::shared_ptr<FakeSoundOutput> output;
};

TEST_F(PlaybackTest, CheckedRowsPlayInListOrderThenTheWindowIsIdleAgain) {
    OpenPlayer();
    AddFiles({1000, 1000, 1000, 1000, 1000, 1000}, {false, true, false, false, true, false});
    Click("btnPlay");
    EXPECT_TRUE(Playing());
    EXPECT_EQ(TrackNo(), QStringLiteral("00002"));
    ExpectControlsWhilePlaying(true);

    ASSERT_TRUE(PlayUntil([&] { return TrackNo() == QStringLiteral("00005"); }));
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 2);
    // Rows 2 and 5 hold samples 2 and 5: both played completely, in order.
    const auto played = output->Played();
    ASSERT_EQ(played.size(), 8000U);
    EXPECT_EQ(played.front(), 2);
    EXPECT_EQ(played.back() | played[played.size() - 2], 5);
    EXPECT_EQ(TrackNo(), QStringLiteral("00000"));
    EXPECT_EQ(Control<QLabel>(*window, "lblTrackTime")->text(), QStringLiteral("00000h00m00s"));
    ExpectControlsWhilePlaying(false);
}

TEST_F(PlaybackTest, PlayWithoutACheckedRowPlaysTheHighlightedOneAloneOrNothing) {
    auto& w = OpenPlayer();
    AddFiles({1000, 1000, 1000}, {false, false, false});
    auto* list = Control<QTreeWidget>(w, "lvResult");
    list->setCurrentItem(nullptr);
    Click("btnPlay");
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Opens(), 0);

    // Space in the list is the play button.
    list->setCurrentItem(list->topLevelItem(1));
    Control<QShortcut>(w, "keyPlay")->activated();
    EXPECT_TRUE(Playing());
    EXPECT_EQ(TrackNo(), QStringLiteral("00002"));
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 1) << "the highlighted row alone";
    EXPECT_EQ(output->Played().front(), 2);
}

TEST_F(PlaybackTest, NextSkipsPrevGoesBackAndOnTheFirstRowPlaysItAgain) {
    OpenPlayer();
    AddFiles({80000, 80000, 80000}, {true, true, true});
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    Click("btnPrev");
    ASSERT_TRUE(PumpUntil([&] { return Opens() == 2 && Sounding(); }));
    EXPECT_EQ(TrackNo(), QStringLiteral("00001"));
    Click("btnNext");
    ASSERT_TRUE(PumpUntil([&] { return Opens() == 3 && Sounding(); }));
    EXPECT_EQ(TrackNo(), QStringLiteral("00002"));
    Click("btnNext");
    ASSERT_TRUE(PumpUntil([&] { return Opens() == 4 && Sounding(); }));
    EXPECT_EQ(TrackNo(), QStringLiteral("00003"));
    Click("btnPrev");
    ASSERT_TRUE(PumpUntil([&] { return Opens() == 5 && Sounding(); }));
    EXPECT_EQ(TrackNo(), QStringLiteral("00002"));
    Click("btnStopPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 5) << "Stop plays nothing after the file";
    EXPECT_FALSE(output->IsOpen());
}

TEST_F(PlaybackTest, TheProgramClosesOnlyAfterTheLastFileEndedByItself) {
    auto& w = OpenPlayer();
    w.show();
    Control<QToolButton>(*window, "btnExitApps")->setChecked(true);
    AddFiles({1000, 80000}, {true, true});
    Click("btnPlay");
    ASSERT_TRUE(PlayUntil([&] { return TrackNo() == QStringLiteral("00002"); }));
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    Click("btnStopPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    EXPECT_TRUE(w.isVisible()) << "a stop keeps the program open";

    // Played through without a request: the window closes.
    Click("btnPlay");
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_FALSE(w.isVisible());
}

TEST_F(PlaybackTest, IntroPlayPlaysTheStartOfEachFileAndKeepsTheProgramOpen) {
    auto& w = OpenPlayer();
    w.show();
    Control<QToolButton>(*window, "btnExitApps")->setChecked(true);
    AddFiles({800000, 800000, 800000}, {true, true, true});
    auto* intro = Control<QToolButton>(*window, "btnIntro");
    intro->setChecked(true);
    auto* timer = w.findChild<QTimer*>(QStringLiteral("tmrIntroPlay"));
    ASSERT_NE(timer, nullptr);
    // Four blocks of sound (2 s at 8192 Hz stereo) per file, counted by the
    // player's position rather than by a clock.
    timer->setInterval(3'600'000);
    Click("btnPlay");
    for (int file = 1; file <= 3; ++file) {
        ASSERT_TRUE(PumpUntil([&] { return Opens() == file && Sounding(); }));
        EXPECT_EQ(TrackNo(), QStringLiteral("0000%1").arg(file));
        EXPECT_TRUE(timer->isActive());
        ASSERT_TRUE(PlayUntil([&] { return w.Player().SamplePosition() >= 4 * 4096; }));
        timer->setInterval(1);  // the interval is over now
        ASSERT_TRUE(PumpUntil([&] { return Opens() > file || !Playing(); }));
        timer->setInterval(3'600'000);
    }
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(Opens(), 3);
    EXPECT_LT(output->Played().size(), 3U * 6 * 16384) << "each file ended after its intro";
    EXPECT_TRUE(w.isVisible()) << "intro steps count as requests";
}

TEST_F(PlaybackTest, TheIntroDialogShowsTheIntervalAndOkTakesTheNewOne) {
    auto& w = OpenPlayer();
    auto* timer = w.findChild<QTimer*>(QStringLiteral("tmrIntroPlay"));
    timer->setInterval(45000);
    auto answer = [](bool ok, int seconds, QString* shown) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<TfrmIntroPlay*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            *shown = dialog->lblIntroSec->text();
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("イントロ再生"));
            dialog->tbrIntroPlay->setValue(seconds);
            EXPECT_EQ(dialog->lblIntroSec->text(), QString::number(seconds));
            (ok ? dialog->btnOk : dialog->btnCancel)->click();
        });
    };
    QString shown;
    answer(false, 100, &shown);
    Click("btnIntro");
    EXPECT_EQ(shown, QStringLiteral("45"));
    EXPECT_EQ(timer->interval(), 45000) << "Cancel keeps the interval";
    EXPECT_TRUE(Control<QToolButton>(*window, "btnIntro")->isChecked()) << "and intro play stays on";

    Click("btnIntro");  // off: no dialog
    EXPECT_FALSE(Control<QToolButton>(*window, "btnIntro")->isChecked());
    answer(true, 7, &shown);
    Click("btnIntro");
    EXPECT_EQ(timer->interval(), 7000);
}

TEST_F(PlaybackTest, MovingTheBarSeeksAndTheClockOnlyFollows) {
    auto& w = OpenPlayer();
    // 60 s, mono, 8000 Hz.
    const QString path = Path(QStringLiteral("minute.wav"));
    WriteWave(path, 1, 8000, 480000);
    w.AddFileToList(path, -1);
    w.SetRowChecked(0, true);
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    TWaveOutThread& thread = w.Player().PlaybackThread();
    auto* bar = Control<QSlider>(*window, "tbrProgress");
    bar->setValue(50);
    EXPECT_EQ(thread.SeekOffset(), 480000) << "sample 240000 of 1 channel";
    // The next refill reads from there.
    ASSERT_TRUE(output->ReturnNext());
    ASSERT_TRUE(PumpUntil([&] { return w.Player().SamplePosition() == 240000 + 8192; }));

    // The playback clock moves the bar without seeking again.
    auto* clock = w.findChild<QTimer*>(QStringLiteral("tmrPlayTime"));
    ASSERT_TRUE(QMetaObject::invokeMethod(clock, "timeout"));
    EXPECT_EQ(bar->value(), 51);  // 248192 / 480000
    EXPECT_TRUE(Control<QLabel>(*window, "lblTrackTime")->text().startsWith(QStringLiteral("00000h00m3")))
        << "the elapsed time counts on from 30 s: " << Control<QLabel>(*window, "lblTrackTime")->text().toStdString();
    EXPECT_EQ(thread.SeekOffset(), 480000);
    Click("btnStopPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
}

TEST_F(PlaybackTest, AFileWithoutSamplesShowsNoProgressAndEnds) {
    auto& w = OpenPlayer();
    AddFiles({0, 1000}, {true, true});
    Click("btnPlay");
    auto* clock = w.findChild<QTimer*>(QStringLiteral("tmrPlayTime"));
    (void)QMetaObject::invokeMethod(clock, "timeout");
    EXPECT_EQ(Control<QSlider>(*window, "tbrProgress")->value(), 0);
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 2);
    EXPECT_EQ(output->Played().size(), 4000U);
}

TEST_F(PlaybackTest, ARawFilePlaysWithTheRecordingSettings) {
    auto& w = OpenPlayer();
    Control<TRadioGroup>(w, "rgRecMode")->SetItemIndex(0);
    Control<QComboBox>(w, "cbSamplingFreq")->setCurrentText(QStringLiteral("22050"));
    const QString path = Path(QStringLiteral("take.raw"));
    WriteFile(path, Bytes(4000, 1));
    w.AddFileToList(path, -1);
    w.SetRowChecked(0, true);
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    EXPECT_EQ(output->OpenedRate(), 22050);
    EXPECT_EQ(output->OpenedChannels(), 1);
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_EQ(output->Played().size(), 4000U);
}

TEST_F(PlaybackTest, AStartWithoutDeviceReturnsTheWindowToIdleAndTriesNoFurtherFile) {
    OpenPlayer();
    AddFiles({1000, 1000}, {true, true});
    output->SetDeviceCount(0);
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 0);
    EXPECT_TRUE(Control<QToolButton>(*window, "btnPlay")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(*window, "btnRecord")->isEnabled());
    EXPECT_EQ(TrackNo(), QStringLiteral("00000"));
}

TEST_F(PlaybackTest, ADeviceThatFailsToOpenIsReportedAndTheWindowIsIdleAgain) {
    auto& w = OpenPlayer();
    w.show();
    Control<QToolButton>(*window, "btnExitApps")->setChecked(true);
    AddFiles({1000, 1000}, {true, true});
    output->FailNext(FakeSoundCall::Open, kSoundErrAccess);
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 1);
    ASSERT_FALSE(Messages().Messages().empty());
    EXPECT_EQ(Messages().Messages().back().title, "Error");
    EXPECT_TRUE(w.isVisible()) << "a failed start is no playback that ended by itself";
}

TEST_F(PlaybackTest, AFileGoneOrUnreadableSinceItWasListedIsReportedAndSkipped) {
    OpenPlayer();
    AddFiles({1000, 1000, 1000, 1000}, {true, true, true, true});
    ASSERT_TRUE(QFile::remove(Path(QStringLiteral("t2.wav"))));
    // t3 is 8-bit now: its bytes must not sound with t1's layout.
    WriteWave(Path(QStringLiteral("t3.wav")), 2, 8192, 1000, 3);
    QFile eightBit(Path(QStringLiteral("t3.wav")));
    ASSERT_TRUE(eightBit.open(QIODevice::ReadWrite));
    ASSERT_TRUE(eightBit.seek(34));
    eightBit.write("\x08", 1);
    eightBit.close();
    Click("btnPlay");
    ASSERT_TRUE(PlayUntil([&] { return TrackNo() == QStringLiteral("00004"); }));
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_EQ(Opens(), 2) << "the first file is not played again, the unreadable one not at all";
    const auto played = output->Played();
    ASSERT_EQ(played.size(), 8000U);
    EXPECT_EQ(played[played.size() - 2], 4);
    ASSERT_EQ(Messages().Count(), 2U);
    EXPECT_NE(Messages().Messages().front().text.find("が見つかりません。"), std::string::npos);
    EXPECT_NE(Messages().Messages().back().text.find("は16bitWaveファイルではありません。"), std::string::npos);
}

TEST_F(PlaybackTest, SplitCutsThePlayingFileAtTheReadPosition) {
    auto& w = OpenPlayer();
    AddFiles({3 * 8192}, {true});
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    // Two blocks are read at the start: 32768 bytes = 8192 frames = 1 s.
    ASSERT_EQ(w.Player().SamplePosition(), 8192);
    Control<QPushButton>(*window, "btnNextTrack")->click();
    EXPECT_FALSE(Control<QPushButton>(*window, "btnNextTrack")->isEnabled());
    ASSERT_TRUE(PumpUntil([&] { return !Playing() && !w.JobRunning(); }));
    EXPECT_TRUE(Control<QPushButton>(*window, "btnNextTrack")->isEnabled());
    const QStringList pieces = QDir(dir.path()).entryList({QStringLiteral("t1-*.wav")}, QDir::Files, QDir::Name);
    ASSERT_EQ(pieces.size(), 2) << pieces.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(QFileInfo(Path(pieces[0])).size(), 44 + 32768);
    EXPECT_EQ(QFileInfo(Path(pieces[1])).size(), 44 + 2 * 32768);
    EXPECT_EQ(w.RowCount(), 3);
    EXPECT_FALSE(w.SplitPlayingFile()) << "nothing plays: the click is the recorder's";
}

TEST_F(PlaybackTest, ASplitAskedForDuringAJobRunsWhenTheJobHasEnded) {
    auto& w = OpenPlayer();
    AddFiles({3 * 8192, 1000}, {true, true});
    ASSERT_TRUE(w.Jobs().Start(JobSlot::Kind::Redivide));  // a re-divide runs
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    Control<QPushButton>(w, "btnNextTrack")->click();
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    const QDir folder(dir.path());
    EXPECT_TRUE(folder.entryList({QStringLiteral("t1-*.wav")}, QDir::Files).isEmpty());
    w.lvResultColumnClick(0);  // the rows move meanwhile
    w.Jobs().Finish();
    w.JobFinished();
    ASSERT_TRUE(PumpUntil([&] { return folder.entryList({QStringLiteral("t1-*.wav")}, QDir::Files).size() == 2; }));
    ASSERT_TRUE(PumpUntil([&] { return !w.JobRunning(); }));
    EXPECT_EQ(QFileInfo(Path(QStringLiteral("t1-00001.wav"))).size(), 44 + 32768) << "at the position chosen";

    // A file that has left the list by then cannot be split: the user is told.
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    ASSERT_TRUE(w.Jobs().Start(JobSlot::Kind::Redivide));
    Control<QPushButton>(w, "btnNextTrack")->click();
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    w.btnClearClick();
    Messages().Clear();
    w.Jobs().Finish();
    w.JobFinished();
    ASSERT_TRUE(PumpUntil([&] { return Messages().Count() == 1; }));
    EXPECT_NE(Messages().Messages().front().text.find("分割できませんでした"), std::string::npos);
}

TEST_F(PlaybackTest, TheEndOfPlaybackLeavesRecordAndJobsOffWhileTheyStillRun) {
    FakeSoundInput* input = nullptr;
    UseFakeInput(input);
    auto& w = OpenPlayer();
    w.WaveInThread()->SetStopDrainTime(0ms);
    AddFiles({1000}, {true});
    // A recording run and a job going on beside the playback.
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([&] { return input->IsStarted(); }));
    ASSERT_TRUE(w.Jobs().Start(JobSlot::Kind::Redivide));
    Click("btnPlay");
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_FALSE(Control<QPushButton>(w, "btnRecord")->isEnabled()) << "a second start of the running capture thread";
    EXPECT_FALSE(Control<QToolButton>(w, "btnDivide")->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(w, "btnCombine")->isEnabled());
    EXPECT_TRUE(Control<QToolButton>(w, "btnPlay")->isEnabled());
    w.Jobs().Finish();
    w.btnStopClick();
    ASSERT_TRUE(PumpUntil([&] { return !w.RecordingRunning(); }));
}

TEST_F(PlaybackTest, ClearingTheListDuringPlaybackLeavesTheRowCommandsOffAfterTheStop) {
    auto& w = OpenPlayer();
    AddFiles({80000}, {true});
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    Click("btnClear");
    Click("btnStopPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }));
    for (const char* name : {"btnPlay", "btnDelete", "btnRename", "btnCombine", "btnDivide"}) {
        EXPECT_FALSE(Control<QToolButton>(w, name)->isEnabled()) << name << " on an empty list";
    }
    EXPECT_TRUE(Control<QPushButton>(w, "btnRecord")->isEnabled());
}

TEST_F(PlaybackTest, TheRecordedTracksClockRunsOnWhenAPlaybackBesideItEnds) {
    FakeSoundInput* input = nullptr;
    UseFakeInput(input);
    auto& w = OpenPlayer();
    w.WaveInThread()->SetStopDrainTime(0ms);
    AddFiles({1000}, {true});
    // Without cutting the first track starts at once.
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    Control<QPushButton>(w, "btnRecord")->click();
    auto* trackClock = Control<QTimer>(w, "tmrTrackTime");
    ASSERT_TRUE(PumpUntil([&] { return trackClock->isActive(); }));
    Click("btnPlay");
    EXPECT_TRUE(Control<QTimer>(w, "tmrPlayTime")->isActive());
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
    EXPECT_FALSE(Control<QTimer>(w, "tmrPlayTime")->isActive());
    EXPECT_TRUE(trackClock->isActive()) << "the track is still being recorded";
    w.btnStopClick();
    ASSERT_TRUE(PumpUntil([&] { return !w.RecordingRunning(); }));
}

TEST_F(PlaybackTest, AFilePlaysThroughTheSoundServer) {
    if (!test::ServerAvailable()) {
        GTEST_SKIP() << "no private sound server";
    }
    SetSoundOutputFactory(nullptr);
    auto& w = Open();
    const QString path = Path(QStringLiteral("short.wav"));
    WriteWave(path, 2, 44100, 8820, 1000);  // 0.2 s
    w.AddFileToList(path, -1);
    w.SetRowChecked(0, true);
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }, 20s));
    EXPECT_EQ(w.Player().SamplePosition(), 8820);
    EXPECT_TRUE(Messages().Messages().empty());
}

TEST_F(PlaybackTest, TheSplitGoesToThePlayingFileWhereverItsRowHasMoved) {
    auto& w = OpenPlayer();
    w.Player().SetStopDrainTime(300ms);
    AddFiles({3 * 8192, 3 * 8192}, {true, true});
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    Control<QPushButton>(w, "btnNextTrack")->click();
    // Sorted the other way round while the player stops: t1 is row 1 now.
    w.lvResultColumnClick(0);
    ASSERT_TRUE(w.RowPath(1).endsWith(QStringLiteral("t1.wav"))) << w.RowPath(1).toStdString();
    ASSERT_TRUE(PumpUntil([&] { return !Playing() && !w.JobRunning(); }));
    const QDir folder(dir.path());
    EXPECT_EQ(folder.entryList({QStringLiteral("t1-*.wav")}, QDir::Files).size(), 2);
    EXPECT_TRUE(folder.entryList({QStringLiteral("t2-*.wav")}, QDir::Files).isEmpty());
}

TEST_F(PlaybackTest, TheLevelDisplayShowsWhatPlays) {
    auto& w = OpenPlayer();
    AddFiles({20000}, {true});
    ASSERT_TRUE(Control<QCheckBox>(w, "cbxDisplayWaveForm")->isChecked());
    Click("btnPlay");
    ASSERT_TRUE(PlayUntil([&] { return Control<QLabel>(w, "lblMax0")->text() == QStringLiteral("1"); }))
        << Control<QLabel>(w, "lblMax0")->text().toStdString();
    ASSERT_TRUE(PlayUntil([&] { return !Playing(); }));
}

TEST_F(PlaybackTest, ClosingWhilePlayingStopsThePlayerFirst) {
    auto& w = OpenPlayer();
    AddFiles({80000, 80000}, {true, true});
    Click("btnPlay");
    ASSERT_TRUE(PumpUntil([&] { return Sounding(); }));
    w.close();
    EXPECT_FALSE(output->IsOpen());
    EXPECT_EQ(Opens(), 1) << "no next file starts while the window closes";
    EXPECT_FALSE(w.PlayerPlaying());
    EXPECT_TRUE(QFileInfo::exists(ProgramPath() + QStringLiteral(".ini")));
}

}  // namespace
}  // namespace zolvane2::test
