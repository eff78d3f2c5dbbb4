#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/NotifyWindow.h"
#include "platform/QueuedDispatcher.h"
#include "record/TWaveInThread.h"
#include "support/CaptureTestSupport.h"
#include "support/RecordingUserMessages.h"
#include "support/SoundTestSupport.h"

namespace zolvane2 {
namespace {

using test::RecordingUserMessages;
using namespace std::chrono_literals;
using test::Signal;

// The capture thread over the real sound server: known signals go into a pipe
// source of their own and must come out in the track files bit for bit.
class TWaveInThreadPulseTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server";
        }
        SetMainThreadDispatcher(&dispatcher_);
    }

    void TearDown() override {
        if (thread_) {
            thread_->Queue().Post(thread_->Messages().quit);
            thread_->WaitFor();
            thread_.reset();
        }
        ThreadRegistry::JoinAll();
        SetMainThreadDispatcher(nullptr);
    }

    void Make(const test::PipeSource& source, int channels) {
        thread_ = std::make_unique<TWaveInThread>(nullptr, &boxes_);
        m_ = thread_->Messages();
        const int index = test::IndexOf(thread_->DeviceNames(), source.Description());
        ASSERT_GT(index, 0);
        thread_->SetDeviceIndex(index);
        thread_->SetNotifyWindow(&window_);
        thread_->SetBaseFileName(dir_.File("Take.wav"));
        thread_->SetSampleRate(44100);
        thread_->SetChannels(channels);
        thread_->SetOnLevelData([this](Thread*, TMemoryStream& data) {
            if (stallOnce_.exchange(false)) {
                std::this_thread::sleep_for(2s);  // a display that hangs for a moment
            }
            levelBytes_ += data.Size();
        });
        thread_->SetPriority(ThreadPriority::Higher);
        thread_->Resume();
    }

    void Start() {
        thread_->Queue().Post(m_.start);
        ASSERT_TRUE(dispatcher_.PumpUntil(
            [&] { return !thread_->Idle() || (!reports_.empty() && reports_.back().msg == m_.recFinish); }, 10s));
        ASSERT_FALSE(thread_->Idle());
    }

    // Waits until `bytes` have been through the thread, then stops.
    void StopAfter(std::int64_t bytes) {
        ASSERT_TRUE(dispatcher_.PumpUntil([&] { return levelBytes_ >= bytes; }, 20s)) << levelBytes_;
        thread_->Queue().Post(m_.stop);
        ASSERT_TRUE(dispatcher_.PumpUntil(
            [&] { return thread_->Idle() && !reports_.empty() && reports_.back().msg == m_.recFinish; }, 10s));
        EXPECT_EQ(levelBytes_, bytes);
    }

    test::TempDir dir_;
    QueuedDispatcher dispatcher_;
    RecordingUserMessages boxes_;
    std::vector<Message> reports_;
    DispatchedNotifyWindow window_{dispatcher_, [this](const Message& m) { reports_.push_back(m); }};
    std::unique_ptr<TWaveInThread> thread_;
    TWaveInMessages m_{};
    std::int64_t levelBytes_ = 0;
    std::atomic<bool> stallOnce_{false};
};

class TWaveInThreadPulseFormatTest : public TWaveInThreadPulseTest, public ::testing::WithParamInterface<int> {};

TEST_P(TWaveInThreadPulseFormatTest, CutsAKnownSignalIntoTheExpectedFiles) {
    const int channels = GetParam();
    test::PipeSource source(44100, channels);
    ASSERT_TRUE(source.Loaded());
    Make(source, channels);
    thread_->SetTriggerLevel(300);
    thread_->SetTriggerDelay(0.1);
    thread_->SetTrackInterval(0.5);
    thread_->SetLastTimeAfterTrigger(0.2);
    Start();
    Signal pcm(channels);
    pcm.Quiet(10000).Loud(30000, 1).Quiet(40000).Loud(20000, 2).Quiet(30000).Loud(15000, 3);
    pcm.Quiet(1).PadTo(kSoundBufferBytes);
    source.Write(pcm.Bytes());
    StopAfter(static_cast<std::int64_t>(pcm.Bytes().size()));
    EXPECT_EQ(boxes_.Count(), 0U);
    ASSERT_EQ(reports_.size(), 6U);
    EXPECT_EQ(reports_[1].msg, m_.recEnd);
    EXPECT_EQ(reports_[1].wParam, MakeWParam(1, 0));
    EXPECT_EQ(reports_[5].msg, m_.recFinish);
    EXPECT_EQ(reports_[5].lParam, 3);
    EXPECT_EQ(test::WaveSamples(dir_.File("Take00001.wav"), channels, 44100),
              pcm.Slice(10000 - 4410, 40000 + 8820 + 1));
    EXPECT_EQ(test::WaveSamples(dir_.File("Take00002.wav"), channels, 44100),
              pcm.Slice(80000 - 4410, 100000 + 8820 + 1));
    EXPECT_EQ(test::WaveSamples(dir_.File("Take00003.wav"), channels, 44100), pcm.Slice(130000 - 4410, 145000));
}

INSTANTIATE_TEST_SUITE_P(StereoAndMono, TWaveInThreadPulseFormatTest, ::testing::Values(2, 1));

TEST_F(TWaveInThreadPulseTest, StopWhileWaitingForATriggerLeavesNoFile) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    Make(source, 2);
    Start();
    Signal pcm(2);
    pcm.Quiet(3 * 4096);
    source.Write(pcm.Bytes());
    StopAfter(static_cast<std::int64_t>(pcm.Bytes().size()));
    ASSERT_EQ(reports_.size(), 1U);
    EXPECT_EQ(reports_[0].msg, m_.recFinish);
    EXPECT_EQ(HighWord(reports_[0].wParam), 2);
    EXPECT_EQ(reports_[0].lParam, 0);
    EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(TWaveInThreadPulseTest, ALevelDisplayThatStallsForTwoSecondsLosesNoSample) {
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    Make(source, 2);
    thread_->SetUseTrigger(false);
    stallOnce_ = true;
    Start();
    // Three seconds of sound arriving in real time while the first block's
    // hand-over hangs.
    Signal pcm(2);
    pcm.Loud(3 * 44100).PadTo(kSoundBufferBytes);
    std::thread writer([&] { source.WritePaced(pcm.Bytes(), 4 * 44100); });
    StopAfter(static_cast<std::int64_t>(pcm.Bytes().size()));
    writer.join();
    EXPECT_EQ(test::WaveSamples(dir_.File("Take00001.wav"), 2, 44100), pcm.Bytes());
    EXPECT_TRUE(thread_->Losses().empty()) << "a stall inside the buffers is no loss";
}

TEST_F(TWaveInThreadPulseTest, WithoutAServerItSaysSoAndNeverHangs) {
    const test::ScopedServer nowhere("unix:/nonexistent/zolvane2/native");
    thread_ = std::make_unique<TWaveInThread>(nullptr, &boxes_);
    m_ = thread_->Messages();
    ASSERT_EQ(boxes_.Count(), 1U);
    EXPECT_EQ(boxes_.Messages()[0].title, "デバイスエラー");
    thread_->SetNotifyWindow(&window_);
    thread_->SetBaseFileName(dir_.File("Take.wav"));
    thread_->Resume();
    thread_->Queue().Post(m_.start);
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return !reports_.empty(); }, 10s));
    EXPECT_EQ(reports_[0].msg, m_.recFinish);
    EXPECT_EQ(HighWord(reports_[0].wParam), 2);
    EXPECT_TRUE(thread_->Idle());
    EXPECT_TRUE(dir_.Names().empty());
}

}  // namespace
}  // namespace zolvane2
