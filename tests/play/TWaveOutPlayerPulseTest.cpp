// The player over the private test server: what the null sink plays is
// recorded from its monitor and compared with the file.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/QueuedDispatcher.h"
#include "platform/SoundOutput.h"
#include "platform/Thread.h"
#include "play/TWaveOutPlayer.h"
#include "support/PlayMonitorRecorder.h"
#include "support/PlayTestSupport.h"
#include "support/RecordingUserMessages.h"
#include "support/SoundTestSupport.h"
#include "support/TrackfileTestSupport.h"

namespace zolvane2 {
namespace {

using test::RecordingUserMessages;
using namespace std::chrono_literals;
using test::Bytes;

constexpr int kRate = 44100;
constexpr int kChannels = 2;

class PlayerPulseTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server (run through ctest, with pulseaudio installed)";
        }
        SetMainThreadDispatcher(&dispatcher_);
        SetUserMessages(&messages_);
        SetSoundOutputFactory(nullptr);
        player_ = std::make_unique<TWaveOutPlayer>(&dispatcher_);
        player_->SetOnPlayEnd([this](TWaveOutPlayer* /*sender*/) { ++playEnds_; });
    }
    void TearDown() override {
        player_.reset();
        recorder_.Stop();
        ThreadRegistry::JoinAll();
        SetUserMessages(nullptr);
        SetMainThreadDispatcher(nullptr);
    }

    void StartMonitor() {
        std::string error;
        ASSERT_TRUE(recorder_.Start("zsink.monitor", kRate, kChannels, error)) << error;
    }

    // What the sink played so far, silence left out.
    Bytes Heard() const { return test::PlayWithoutSilence(recorder_.Bytes(), kChannels); }

    // Waits for the monitor to deliver size bytes of sound (it lags the sink).
    Bytes WaitHeard(std::size_t size) {
        Bytes heard;
        dispatcher_.PumpUntil(
            [&] {
                heard = Heard();
                return heard.size() >= size;
            },
            10s);
        return heard;
    }

    QueuedDispatcher dispatcher_;
    RecordingUserMessages messages_;
    std::unique_ptr<TWaveOutPlayer> player_;
    test::PlayMonitorRecorder recorder_;
    test::TempDir dir_;
    int playEnds_ = 0;
};

TEST_F(PlayerPulseTest, TheFileArrivesAtTheSinkCompleteAndInOrder) {
    const Bytes data = test::PlayPattern(kRate * 3 / 2, kChannels);
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("real.wav"), kChannels, kRate, data)));
    StartMonitor();
    // Nothing plays yet: this stop must not produce an end event.
    player_->Stop();
    player_->Play();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return playEnds_ >= 1; }, 30s));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::Played);
    EXPECT_EQ(player_->SamplePosition(), player_->SampleCount());
    EXPECT_EQ(player_->SampleCount(), kRate * 3 / 2);
    EXPECT_TRUE(player_->Stopped());

    const Bytes heard = WaitHeard(data.size());
    ASSERT_EQ(heard.size(), data.size());
    const auto mismatch = std::mismatch(heard.begin(), heard.end(), data.begin());
    EXPECT_TRUE(mismatch.first == heard.end()) << "first difference at byte " << (mismatch.first - heard.begin());
    dispatcher_.PumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(playEnds_, 1);
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(PlayerPulseTest, SeekJumpsAndStopCutsThePlaybackShort) {
    const Bytes data = test::PlayPattern(kRate * 4, kChannels);
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("seek.wav"), kChannels, kRate, data)));
    StartMonitor();
    int blocks = 0;
    player_->SetOnPlayedEvent([&](Thread* /*sender*/, TMemoryStream& /*received*/) {
        if (++blocks == 1) {
            player_->Seek(kRate * 3);
        }
    });
    player_->Play();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return playEnds_ >= 1; }, 30s));

    // Some whole blocks from the start, then everything from the 3-second mark.
    const std::size_t tail = data.size() - static_cast<std::size_t>(kRate) * 3 * 4;
    const Bytes heard = WaitHeard(32768 + tail);
    ASSERT_GE(heard.size(), 32768 + tail);
    const std::size_t head = heard.size() - tail;
    EXPECT_EQ(head % 16384, 0U);
    EXPECT_TRUE(std::equal(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(head), data.begin()));
    EXPECT_TRUE(std::equal(heard.begin() + static_cast<std::ptrdiff_t>(head), heard.end(),
                           data.end() - static_cast<std::ptrdiff_t>(tail)));

    // A stop ends a playback early, once.
    player_->SetOnPlayedEvent(nullptr);
    player_->Play();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return player_->SamplePosition() > 0 && !player_->Stopped(); }, 10s));
    player_->Stop();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return playEnds_ >= 2; }, 10s));
    EXPECT_LT(player_->SamplePosition(), player_->SampleCount());
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(PlayerPulseTest, AFileWithoutSamplesEndsThroughTheRealDeviceToo) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("empty.wav"), kChannels, kRate, {})));
    player_->Play();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return playEnds_ >= 1; }, 20s));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::Played);
    EXPECT_EQ(player_->SampleCount(), 0);
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(PlayerPulseTest, WithoutAServerTheStartFailsAtOnceAndSaysSo) {
    const std::string path =
        test::WriteWave(dir_.File("nowhere.wav"), kChannels, kRate, test::PlayPattern(1000, kChannels));
    ASSERT_TRUE(player_->SetFileName(path));
    const std::string saved = std::getenv("PULSE_SERVER");
    ::setenv("PULSE_SERVER", (dir_.Path() + "/no-such-server").c_str(), 1);
    player_->Play();
    const bool ended = dispatcher_.PumpUntil([&] { return playEnds_ >= 1; }, 20s);
    ::setenv("PULSE_SERVER", saved.c_str(), 1);
    ASSERT_TRUE(ended);
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::NoDevice);
    EXPECT_TRUE(player_->Stopped());
}

}  // namespace
}  // namespace zolvane2
