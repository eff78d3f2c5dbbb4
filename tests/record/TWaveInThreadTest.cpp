#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "platform/Errors.h"
#include "platform/NotifyWindow.h"
#include "platform/QueuedDispatcher.h"
#include "record/TWaveInThread.h"
#include "support/CaptureTestSupport.h"
#include "support/CountingBusyIndicator.h"
#include "support/FakeSoundInput.h"
#include "support/RecordingUserMessages.h"

namespace zolvane2 {
namespace {

using test::FakeSoundCall;
using test::FakeSoundInput;
using test::RecordingUserMessages;
using namespace std::chrono_literals;
using test::Signal;

struct Report {
    MsgId msg;
    WParam wParam;
    LParam lParam;
    bool operator==(const Report&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Report& r) {
    return os << "{" << r.msg << ", low " << LowWord(r.wParam) << " high " << HighWord(r.wParam) << ", " << r.lParam
              << "}";
}

class TWaveInThreadTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainThreadDispatcher(&dispatcher_); }

    void TearDown() override {
        if (thread_) {
            thread_->Queue().Post(thread_->Messages().quit);
            thread_->WaitFor();
            thread_.reset();
        }
        ThreadRegistry::JoinAll();
        SetMainThreadDispatcher(nullptr);
    }

    // Mono RAW pieces of 10000 frames: every frame lands in a file whose
    // name the test knows.
    void MakeMonoRawPiecesOf10000() {
        Make();
        thread_->SetChannels(1);
        thread_->SetUseTrigger(false);
        thread_->SetCutByInterval(true);
        thread_->SetIntervalFrames(10000);
        thread_->SetRawOutput(true);
    }
    void Make(std::vector<std::string> sources = {"Fake source"}) {
        auto input = std::make_unique<FakeSoundInput>(std::move(sources));
        fake_ = input.get();
        thread_ = std::make_unique<TWaveInThread>(std::move(input), &boxes_);
        thread_->SetNotifyWindow(&window_);
        thread_->SetStopDrainTime(10ms);
        thread_->SetBaseFileName(dir_.File("Track.wav"));
        thread_->SetOnLevelData([this](Thread* sender, TMemoryStream& data) {
            EXPECT_EQ(sender, thread_.get());
            levelBlocks_.emplace_back(data.Data(), data.Data() + data.Size());
            levelIndexes_.push_back(thread_->LevelIndex());
        });
        m_ = thread_->Messages();
        thread_->Resume();
    }

    // Trigger mode with delay 0.1 s, interval 0.5 s and tail 0.2 s at 44.1 kHz.
    void Trigger(int channels) {
        thread_->SetSampleRate(44100);
        thread_->SetChannels(channels);
        thread_->SetTriggerLevel(300);
        thread_->SetTriggerDelay(0.1);
        thread_->SetTrackInterval(0.5);
        thread_->SetLastTimeAfterTrigger(0.2);
    }

    void Start() {
        thread_->Queue().Post(m_.start);
        ASSERT_TRUE(dispatcher_.PumpUntil([&] { return !thread_->Idle(); }, 10s));
    }

    // Feeds pcm and waits until every whole block is through the thread.
    void Record(const Signal& pcm) {
        fake_->Feed(pcm.Bytes());
        ASSERT_TRUE(dispatcher_.PumpUntil(
            [&] {
                fake_->DeliverAll();
                return thread_->Idle() || (fake_->FedRemaining() < kSoundBufferBytes && fake_->QueuedCount() == 2);
            },
            10s));
    }

    void Post(MsgId msg) { thread_->Queue().Post(msg); }

    // Waits for the report that ends the run and for the thread to be idle.
    void WaitFinish() {
        ASSERT_TRUE(dispatcher_.PumpUntil(
            [&] {
                fake_->DeliverAll();
                return thread_->Idle() && !reports_.empty() && reports_.back().msg == m_.recFinish;
            },
            10s));
    }

    Report Triggered(std::int64_t track, std::int64_t preRoll) const {
        return {m_.triggered, static_cast<WParam>(track), static_cast<LParam>(preRoll)};
    }
    Report RecEnd(int advance, int status, std::int64_t next) const {
        return {m_.recEnd, MakeWParam(static_cast<std::uint16_t>(advance), static_cast<std::uint16_t>(status)),
                static_cast<LParam>(next)};
    }
    Report RecFinish(int status, std::int64_t track) const {
        return {m_.recFinish, MakeWParam(0, static_cast<std::uint16_t>(status)), static_cast<LParam>(track)};
    }

    test::TempDir dir_;
    QueuedDispatcher dispatcher_;
    RecordingUserMessages boxes_;
    std::vector<Report> reports_;
    DispatchedNotifyWindow window_{dispatcher_, [this](const Message& m) {
                                       reports_.push_back({m.msg, m.wParam, m.lParam});
                                   }};
    std::unique_ptr<TWaveInThread> thread_;
    FakeSoundInput* fake_ = nullptr;
    TWaveInMessages m_{};
    std::vector<std::vector<std::uint8_t>> levelBlocks_;
    std::vector<int> levelIndexes_;
};

TEST_F(TWaveInThreadTest, ListsTheDefaultEntryAndTheDevicesAndOpensTheChosenOne) {
    Make({"Mic", "Line"});
    EXPECT_EQ(thread_->DeviceNames(),
              (std::vector<std::string>{"コントロールパネルの設定(WAVE_MAPPER)", "Mic", "Line"}));
    EXPECT_EQ(thread_->DeviceCount(), 2);
    EXPECT_EQ(boxes_.Count(), 0U);
    thread_->SetDeviceIndex(2);
    thread_->SetSampleRate(22050);
    thread_->SetChannels(2);
    thread_->SetUseTrigger(false);
    Start();
    EXPECT_EQ(fake_->OpenedIndex(), 2);
    EXPECT_EQ(fake_->OpenedRate(), 22050);
    EXPECT_EQ(fake_->OpenedChannels(), 2);
}

TEST_F(TWaveInThreadTest, ConfigureHandsOverAWholeRunAndCorrectsAsTheSettersDo) {
    Make();
    RecordingSettings run;
    run.sampleRate = 48000;
    run.channels = 2;
    run.triggerLevel = 500;
    run.triggerDelay = 0.1;
    run.trackInterval = 0.5;
    run.lastTimeAfterTrigger = 0.8;  // longer than the interval: corrected
    run.minimumTrackLength = 1;
    run.baseFileName = dir_.File("Run.wav");
    run.digits = 3;
    run.useTrigger = false;
    run.cutByInterval = true;
    run.intervalSeconds = 10;
    run.rawOutput = true;
    thread_->Configure(run);
    const CuttingConditions& c = thread_->Conditions();
    EXPECT_EQ(c.SampleRate, 48000);
    EXPECT_EQ(c.Channels, 2);
    EXPECT_EQ(c.TriggerLevel, 500);
    EXPECT_EQ(c.DelayFrames, 4800);
    EXPECT_EQ(c.SilenceFrames, 24000);
    EXPECT_EQ(c.TailFrames, 24000);
    EXPECT_EQ(c.MinimumFrames, 48000);
    EXPECT_EQ(c.MaxTrackNumber, 999);
    EXPECT_EQ(c.Mode(), CutMode::FixedLength);
    EXPECT_EQ(c.IntervalFrames, 480000);
    EXPECT_EQ(thread_->BaseFileName(), run.baseFileName);
    EXPECT_TRUE(thread_->RawOutput());
    ASSERT_EQ(boxes_.Count(), 1U);
    EXPECT_EQ(boxes_.Messages()[0].text,
              "残す時間0.8(sec)が指定されましたが、\r\n"
              "この時間はトラック間隔よりも長すぎます。\r\n"
              "残す時間をトラック間隔と同じ長さに修正します。");
}

TEST_F(TWaveInThreadTest, WithoutAnyInputDeviceItSaysSoAndStartsFailQuietly) {
    Make({});
    ASSERT_EQ(boxes_.Count(), 1U);
    const auto shown = boxes_.Messages()[0];
    EXPECT_EQ(shown.text, "録音デバイスが見つかりません。録音はできません。");
    EXPECT_EQ(shown.title, "デバイスエラー");
    EXPECT_EQ(shown.icon, MsgIcon::Error);
    EXPECT_EQ(thread_->DeviceNames().size(), 1U);
    Post(m_.start);
    // The window still learns that nothing runs.
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{RecFinish(2, 0)}));
    EXPECT_EQ(boxes_.Count(), 1U);
    EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(TWaveInThreadTest, NoCutWritesEveryBlockAndHandsEachToTheLevelDisplay) {
    Make();
    thread_->SetChannels(2);
    thread_->SetUseTrigger(false);
    thread_->SetCutByInterval(false);
    Start();
    // The track starts before any audio.
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return !reports_.empty(); }, 10s));
    EXPECT_EQ(reports_[0], Triggered(1, 0));
    Signal pcm(2);
    pcm.Loud(3000).Quiet(6000).Loud(100).PadTo(kSoundBufferBytes);  // three blocks
    Record(pcm);
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(1, 0), RecFinish(0, 1)}));
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00001.wav"), 2, 44100), pcm.Bytes());
    ASSERT_EQ(levelBlocks_.size(), 3U);
    EXPECT_EQ(levelIndexes_, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(levelBlocks_[1], pcm.Slice(4096, 8192));
    EXPECT_FALSE(fake_->IsOpen());
}

// Trigger mode end to end on exact frames: pre-roll, tail, the cut, the next
// trigger and the quiet run that a stop discards.
class TWaveInTriggerTest : public TWaveInThreadTest, public ::testing::WithParamInterface<int> {};

TEST_P(TWaveInTriggerTest, CutsTracksByTheRulesFrameExact) {
    const int channels = GetParam();
    Make();
    Trigger(channels);
    Start();
    const std::int64_t delay = 4410;
    const std::int64_t tail = 8820;
    Signal pcm(channels);
    pcm.Quiet(10000).Loud(30000, 1).Quiet(40000).Loud(20000, 2);
    const std::int64_t aStart = 10000;
    const std::int64_t aEnd = 40000;
    const std::int64_t bStart = 80000;
    const std::int64_t bEnd = 100000;
    pcm.Quiet(1).PadTo(kSoundBufferBytes);
    Record(pcm);
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_,
              (std::vector<Report>{Triggered(1, delay), RecEnd(1, 0, 2), Triggered(2, delay), RecFinish(0, 2)}));
    // The track keeps the quiet run's first frame plus the tail.
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00001.wav"), channels, 44100),
              pcm.Slice(aStart - delay, aEnd + tail + 1));
    // The stop drops the quiet run held after the last loud frame.
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00002.wav"), channels, 44100), pcm.Slice(bStart - delay, bEnd));
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Track00001.wav", "Track00002.wav"}));
}

INSTANTIATE_TEST_SUITE_P(StereoAndMono, TWaveInTriggerTest, ::testing::Values(2, 1));

// A click between two pieces makes a track shorter than the minimum length:
// it goes like an empty one and the next piece takes its number.
TEST_F(TWaveInThreadTest, ATrackBelowTheMinimumLengthIsDeletedAndItsNumberUsedAgain) {
    Make();
    Trigger(2);
    thread_->SetMinimumTrackLength(0.4);
    Start();
    Signal pcm(2);
    pcm.Quiet(10000).Loud(30000, 1).Quiet(40000).Loud(10, 3).Quiet(40000).Loud(20000, 2).Quiet(1).PadTo(
        kSoundBufferBytes);
    Record(pcm);
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(1, 4410), RecEnd(1, 0, 2), Triggered(2, 4410), RecEnd(0, 2, 2),
                                             Triggered(2, 4410), RecFinish(0, 2)}));
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00002.wav"), 2, 44100), pcm.Slice(120010 - 4410, 140010));
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"Track00001.wav", "Track00002.wav"}));
    EXPECT_EQ(thread_->ShortTracksDropped(), 1);
}

TEST_F(TWaveInThreadTest, StopWhileWaitingDeletesTheEmptyFileAndReportsStatus2) {
    Make();
    Trigger(2);
    Start();
    EXPECT_TRUE(std::filesystem::exists(dir_.File("Track00001.wav")));
    Signal pcm(2);
    pcm.Quiet(8192);
    Record(pcm);
    const test::CountingBusyIndicator busy;
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{RecFinish(2, 0)}));
    EXPECT_TRUE(dir_.Names().empty());
    EXPECT_EQ(busy.begins, 1) << "the pointer shows that the settling stop is busy";
    EXPECT_EQ(busy.ends, 1);
}

TEST_F(TWaveInThreadTest, NumbersSkipExistingFilesAndReportHowFarTheyAdvanced) {
    dir_.Touch("Track00001.wav");
    dir_.Touch("Track00002.raw");
    dir_.Touch("Track00003_tooLONG.wav");
    dir_.Touch("Track00005.wav");
    Make();
    Trigger(2);
    Start();
    Signal pcm(2);
    pcm.Quiet(5000).Loud(5000).Quiet(30000).Loud(5000).Quiet(1).PadTo(kSoundBufferBytes);
    Record(pcm);
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_,
              (std::vector<Report>{Triggered(4, 4410), RecEnd(2, 0, 6), Triggered(6, 4410), RecFinish(0, 6)}));
    EXPECT_FALSE(test::WaveSamples(dir_.File("Track00004.wav"), 2, 44100).empty());
    EXPECT_FALSE(test::WaveSamples(dir_.File("Track00006.wav"), 2, 44100).empty());
}

TEST_F(TWaveInThreadTest, TheLastFreeNumberEndsTheRunWithoutARecEnd) {
    for (int i = 1; i <= 98; ++i) {
        dir_.Touch("Track" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".wav");
    }
    Make();
    Trigger(2);
    thread_->SetDigits(2);
    Start();
    Signal pcm(2);
    pcm.Quiet(5000).Loud(5000).Quiet(30000).Loud(5000).Quiet(1).PadTo(kSoundBufferBytes);
    fake_->Feed(pcm.Bytes());
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(99, 4410), RecFinish(0, 99)}));
    EXPECT_EQ(test::WaveSamples(dir_.File("Track99.wav"), 2, 44100), pcm.Slice(5000 - 4410, 10000 + 8820 + 1));
    EXPECT_FALSE(fake_->IsOpen());
}

TEST_F(TWaveInThreadTest, ManualChangeWhileWaitingKeepsThePreRollInTheOldFile) {
    Make();
    Trigger(2);
    Start();
    Signal pcm(2);
    pcm.Quiet(8192);
    Record(pcm);
    Post(m_.trackChange);
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{RecEnd(1, 0, 2), RecFinish(2, 0)}));
    // The pre-roll held while waiting: the last delay's worth of frames.
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00001.wav"), 2, 44100), pcm.Slice(8192 - 4410, 8192));
}

TEST_F(TWaveInThreadTest, FixedLengthCutsEqualPiecesAndReportsEachStart) {
    MakeMonoRawPiecesOf10000();
    Start();
    Signal pcm(1);
    pcm.Loud(25000).PadTo(kSoundBufferBytes);  // four blocks of 8192 frames
    Record(pcm);
    Post(m_.trackChange);  // a manual change starts the next piece at once
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(1, 0), RecEnd(1, 0, 2), Triggered(2, 0), RecEnd(1, 0, 3),
                                             Triggered(3, 0), RecEnd(1, 0, 4), Triggered(4, 0), RecEnd(1, 0, 5),
                                             Triggered(5, 0), RecFinish(2, 0)}));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00001.raw")), pcm.Slice(0, 10000));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00002.raw")), pcm.Slice(10000, 20000));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00003.raw")), pcm.Slice(20000, 30000));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00004.raw")), pcm.Slice(30000, 32768));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("Track00005.raw")));
}

// Another program (or a second run into the same base) creates the name a
// track was about to get: the track goes to the next free number, the window
// learns the real numbers, and no audio is lost.
TEST_F(TWaveInThreadTest, ANameTakenJustBeforeTheCreateSendsTheTrackToTheNextNumber) {
    MakeMonoRawPiecesOf10000();
    std::vector<std::string> toTake{dir_.File("Track00001.raw"), dir_.File("Track00003.raw")};
    thread_->SetBeforeCreate([&](const std::string& name) {
        if (const auto it = std::find(toTake.begin(), toTake.end(), name); it != toTake.end()) {
            toTake.erase(it);
            std::ofstream(name) << 'x';
        }
    });
    Start();
    Signal pcm(1);
    pcm.Loud(25000).PadTo(kSoundBufferBytes);  // four blocks of 8192 frames
    Record(pcm);
    Post(m_.stop);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(2, 0), RecEnd(2, 0, 4), Triggered(4, 0), RecEnd(1, 0, 5),
                                             Triggered(5, 0), RecEnd(1, 0, 6), Triggered(6, 0), RecFinish(0, 6)}));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00001.raw")), (std::vector<std::uint8_t>{'x'}));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00002.raw")), pcm.Slice(0, 10000));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00003.raw")), (std::vector<std::uint8_t>{'x'}));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00004.raw")), pcm.Slice(10000, 20000));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00005.raw")), pcm.Slice(20000, 30000));
    EXPECT_EQ(test::ReadAll(dir_.File("Track00006.raw")), pcm.Slice(30000, 32768));
    EXPECT_EQ(boxes_.Count(), 0U);
}

TEST_F(TWaveInThreadTest, DeviceErrorsAreShownWithTheServersTextAndTheStartIsUndone) {
    Make();
    thread_->SetUseTrigger(false);
    fake_->FailNext(FakeSoundCall::Open, kSoundErrNoEntity);
    Post(m_.start);
    WaitFinish();
    ASSERT_EQ(boxes_.Count(), 1U);
    EXPECT_EQ(boxes_.Messages()[0].title, "Error");
    EXPECT_EQ(boxes_.Messages()[0].text, SoundErrorText(kSoundErrNoEntity));
    EXPECT_EQ(reports_, (std::vector<Report>{RecFinish(2, 0)}));

    // A start that fails after the device was opened closes it again and
    // removes the header-only file.
    reports_.clear();
    fake_->FailNext(FakeSoundCall::Start, kSoundErrBusy);
    Post(m_.start);
    WaitFinish();
    EXPECT_EQ(boxes_.Count(), 2U);
    EXPECT_EQ(boxes_.Messages()[1].text, SoundErrorText(kSoundErrBusy));
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(1, 0), RecFinish(2, 0)}));
    EXPECT_FALSE(fake_->IsOpen());
    EXPECT_TRUE(dir_.Names().empty());
    // And the next start works.
    Start();
    EXPECT_TRUE(fake_->IsStarted());
}

TEST_F(TWaveInThreadTest, NoFreeNumberAtStartIsExplainedAndNothingIsCreated) {
    for (int i = 1; i <= 9; ++i) {
        dir_.Touch("Track" + std::to_string(i) + ".wav");
    }
    Make();
    thread_->SetDigits(1);
    Post(m_.start);
    WaitFinish();
    EXPECT_EQ(reports_, (std::vector<Report>{RecFinish(2, 0)}));
    ASSERT_EQ(boxes_.Count(), 1U);
    EXPECT_NE(boxes_.Messages()[0].text.find("トラック番号"), std::string::npos);
    EXPECT_EQ(dir_.Names().size(), 9U);
    EXPECT_FALSE(fake_->IsOpen());
}

TEST_F(TWaveInThreadTest, AFailedWriteStopsCleanlyWithAValidFileAndOneMessage) {
    Make();
    thread_->SetChannels(2);
    thread_->SetUseTrigger(false);
    Start();
    Signal pcm(2);
    pcm.Loud(4096 * 2);
    Record(pcm);
    // From now on the file may not grow: the next block cannot be written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = 44 + 2 * kSoundBufferBytes + 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    Signal more(2);
    more.Loud(4096, 5);
    fake_->Feed(more.Bytes());
    ASSERT_TRUE(dispatcher_.PumpUntil(
        [&] {
            fake_->DeliverAll();
            return thread_->Idle() && !reports_.empty() && reports_.back().msg == m_.recFinish;
        },
        10s));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
    ASSERT_EQ(boxes_.Count(), 1U);
    // The message names the file and gives the system's reason (a full disk
    // says "No space left on device" in the same place).
    EXPECT_EQ(boxes_.Messages()[0].text,
              dir_.File("Track00001.wav") + "\r\nストリームへの書き込みエラー" + SystemReasonText(EFBIG));
    EXPECT_EQ(reports_.back(), RecFinish(0, 1));
    // What was written before stays, under a header that describes it.
    const auto samples = test::WaveSamples(dir_.File("Track00001.wav"), 2, 44100);
    ASSERT_GE(samples.size(), pcm.Bytes().size());
    EXPECT_TRUE(std::equal(pcm.Bytes().begin(), pcm.Bytes().end(), samples.begin()));
    EXPECT_FALSE(fake_->IsOpen());
}

TEST_F(TWaveInThreadTest, AVanishingDeviceEndsTheRunWithItsFileFinished) {
    Make();
    thread_->SetUseTrigger(false);
    thread_->SetChannels(2);
    Start();
    Signal pcm(2);
    pcm.Loud(4096);
    Record(pcm);
    fake_->LoseDevice(kSoundErrConnectionTerminated);
    WaitFinish();
    ASSERT_EQ(boxes_.Count(), 1U);
    EXPECT_EQ(boxes_.Messages()[0].title, "Error");
    EXPECT_EQ(boxes_.Messages()[0].text, SoundErrorText(kSoundErrConnectionTerminated));
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(1, 0), RecFinish(0, 1)}));
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00001.wav"), 2, 44100), pcm.Bytes());
}

TEST_F(TWaveInThreadTest, QuitDuringARecordingFinishesTheTrackFirst) {
    Make();
    thread_->SetUseTrigger(false);
    thread_->SetChannels(1);
    Start();
    Signal pcm(1);
    pcm.Loud(8192);
    Record(pcm);
    Post(m_.quit);
    thread_->WaitFor();
    dispatcher_.ProcessPending();
    EXPECT_EQ(reports_.back(), RecFinish(0, 1));
    EXPECT_EQ(test::WaveSamples(dir_.File("Track00001.wav"), 1, 44100), pcm.Bytes());
    thread_.reset();
}

TEST_F(TWaveInThreadTest, AThreadThatFreesItselfEndsOnQuitAfterStoppingItsRecording) {
    auto* thread = new TWaveInThread(std::make_unique<FakeSoundInput>(), &boxes_);  // NOLINT: frees itself
    thread->SetNotifyWindow(&window_);
    thread->SetBaseFileName(dir_.File("Track.wav"));
    thread->SetUseTrigger(false);
    thread->SetStopDrainTime(10ms);
    thread->SetFreeOnTerminate(true);
    m_ = thread->Messages();
    const auto handle = thread->Handle();
    thread->Resume();
    thread->Queue().Post(m_.start);
    thread->Queue().Post(m_.quit);
    WaitForThread(handle);
    dispatcher_.ProcessPending();
    // The empty first track was finished (and removed) before the end.
    EXPECT_EQ(reports_, (std::vector<Report>{Triggered(1, 0), RecFinish(2, 0)}));
    EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(TWaveInThreadTest, StopAndTrackChangeWhileIdleDoNothing) {
    Make();
    Post(m_.stop);
    Post(m_.trackChange);
    thread_->SetUseTrigger(false);
    Start();
    EXPECT_EQ(reports_.size(), 1U);  // only the start's WM_Triggered
    EXPECT_EQ(boxes_.Count(), 0U);
}

}  // namespace
}  // namespace zolvane2
