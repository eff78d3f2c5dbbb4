#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/InputDeviceChoice.h"
#include "platform/PulseSoundInput.h"
#include "support/InputCapture.h"
#include "support/SoundTestSupport.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::PipeSource;

using Capture = test::InputCapture;

class PulseSoundInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::ServerAvailable()) {
            GTEST_SKIP() << "no private sound server";
        }
    }
};

TEST_F(PulseSoundInputTest, ListsDefaultEntryFirstThenEverySourceIncludingMonitors) {
    PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    PulseSoundInput input;
    const auto names = input.DeviceNames();
    ASSERT_GE(names.size(), 3U);
    EXPECT_EQ(names[0], "コントロールパネルの設定(WAVE_MAPPER)");
    EXPECT_GT(test::IndexOf(names, source.Description()), 0);
    bool monitor = false;
    for (const auto& n : names) {
        monitor = monitor || n.rfind("Monitor of ", 0) == 0;
    }
    EXPECT_TRUE(monitor);
    EXPECT_EQ(input.DeviceCount(), static_cast<int>(names.size()) - 1);

    // The same sources with their server names; a choice by index, name or
    // description finds the device index DeviceNames gives.
    const auto devices = input.Devices();
    ASSERT_EQ(devices.size() + 1, names.size());
    int defaults = 0;
    for (const auto& d : devices) {
        defaults += d.isDefault ? 1 : 0;
    }
    EXPECT_EQ(defaults, 1);
    const int index = test::IndexOf(names, source.Description());
    EXPECT_EQ(FindInputDevice(source.Name(), devices), index);
    EXPECT_EQ(FindInputDevice(source.Description(), devices), index);
    EXPECT_EQ(FindInputDevice(std::to_string(index), devices), index);
    EXPECT_EQ(FindInputDevice("0", devices), 0);
    EXPECT_EQ(FindInputDevice(std::to_string(names.size()), devices), std::nullopt);
    EXPECT_EQ(FindInputDevice("no such source", devices), std::nullopt);
}

TEST(InputDeviceChoiceTest, ADescriptionMatchesWithoutCaseButNeverTwoDevices) {
    const std::vector<InputDeviceInfo> devices{
        {"usb.1", "USB Mic", false}, {"usb.2", "USB Mic", false}, {"line", "Line In", true}};
    EXPECT_EQ(FindInputDevice("line in", devices), 3);
    EXPECT_EQ(FindInputDevice("USB Mic", devices), std::nullopt);
    EXPECT_EQ(FindInputDevice("usb.2", devices), 2);
    EXPECT_EQ(FindInputDevice("-1", devices), std::nullopt);
}

// Stereo and mono, each at the source's own format: what goes into the FIFO
// comes out of the blocks bit for bit, in full blocks, alternating.
class PulseCaptureFormatTest : public PulseSoundInputTest, public ::testing::WithParamInterface<int> {};

TEST_P(PulseCaptureFormatTest, CapturesTheSourceBitExactInFullBlocksInOrder) {
    const int channels = GetParam();
    PipeSource source(44100, channels);
    ASSERT_TRUE(source.Loaded());
    PulseSoundInput input;
    const int index = test::IndexOf(input.DeviceNames(), source.Description());
    ASSERT_GT(index, 0);
    Capture capture(input);
    ASSERT_EQ(capture.Open(index, 44100, channels), kSoundOk);
    ASSERT_EQ(input.Start(), kSoundOk);
    // Five and a half blocks: the half stays in the block being filled.
    const auto signal = test::NoiseFrames(kSoundBufferBytes * 11 / 2 / (2 * channels), channels, 7U);
    source.Write(signal);
    ASSERT_TRUE(capture.CollectUntil(5 * kSoundBufferBytes));
    EXPECT_EQ(capture.captured.size(), static_cast<std::size_t>(5 * kSoundBufferBytes));
    EXPECT_EQ(capture.order, (std::vector<std::uintptr_t>{0, 1, 0, 1, 0}));
    // The last half never fills a block; Stop hands it back with what it holds.
    EXPECT_FALSE(capture.CollectUntil(signal.size(), true, 300ms));
    ASSERT_EQ(input.Stop(), kSoundOk);
    capture.TakePending(false);
    ASSERT_EQ(capture.captured.size(), signal.size());
    EXPECT_TRUE(capture.captured == signal);
    EXPECT_EQ(capture.order.back(), 1U);
    EXPECT_EQ(input.Reset(), kSoundOk);
    EXPECT_EQ(input.Close(), kSoundOk);
}

INSTANTIATE_TEST_SUITE_P(StereoAndMono, PulseCaptureFormatTest, ::testing::Values(2, 1));

TEST_F(PulseSoundInputTest, KeepsAudioWhileNoBlockIsQueuedAndHandsItOnLater) {
    PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    PulseSoundInput input;
    const int index = test::IndexOf(input.DeviceNames(), source.Description());
    ASSERT_GT(index, 0);
    Capture capture(input);
    ASSERT_EQ(capture.Open(index, 44100, 2), kSoundOk);
    ASSERT_EQ(input.Start(), kSoundOk);
    // Three seconds arrive while the owner holds both blocks.
    const auto signal = test::NoiseFrames(3 * 44100, 2, 11U);
    source.Write(signal);
    ASSERT_TRUE(capture.CollectUntil(2 * kSoundBufferBytes, false));
    const auto rest = static_cast<std::int64_t>(signal.size()) - 2 * kSoundBufferBytes;
    for (int i = 0; i < 500 && input.KeptBytes() < rest; ++i) {
        (void)capture.Queue().GetFor(10ms);
    }
    EXPECT_EQ(input.KeptBytes(), rest);
    ASSERT_EQ(input.AddBuffer(capture.Block(0)), kSoundOk);
    ASSERT_EQ(input.AddBuffer(capture.Block(1)), kSoundOk);
    ASSERT_TRUE(capture.CollectUntil(signal.size() / kSoundBufferBytes * kSoundBufferBytes));
    // Reset hands back the block being filled with the last part.
    ASSERT_EQ(input.Reset(), kSoundOk);
    capture.TakePending(false);
    ASSERT_EQ(capture.captured.size(), signal.size());
    EXPECT_TRUE(capture.captured == signal);
    EXPECT_EQ(input.Close(), kSoundOk);
}

TEST_F(PulseSoundInputTest, ResetHandsBackEveryQueuedBlockAndBlocksFollowTheRules) {
    PulseSoundInput input;
    Capture capture(input);
    SoundBuffer loose;
    std::vector<std::uint8_t> bytes(16);
    loose.data = bytes.data();
    loose.length = 16;
    EXPECT_EQ(input.AddBuffer(loose), kSoundErrBadState);
    ASSERT_EQ(capture.Open(0, 44100, 2), kSoundOk);
    EXPECT_EQ(input.AddBuffer(loose), kSoundErrInvalid);  // not prepared
    EXPECT_EQ(input.Unprepare(capture.Block(0)), kSoundErrBusy);
    EXPECT_EQ(input.AddBuffer(capture.Block(0)), kSoundErrBusy);
    EXPECT_EQ(input.Reset(), kSoundOk);
    capture.TakePending(false);
    ASSERT_EQ(capture.messages.size(), 2U);
    EXPECT_EQ(capture.order, (std::vector<std::uintptr_t>{0, 1}));
    EXPECT_EQ(input.Unprepare(capture.Block(0)), kSoundOk);
    EXPECT_EQ(input.Close(), kSoundOk);
    EXPECT_EQ(input.Close(), kSoundErrBadState);
    EXPECT_EQ(input.Open(0, 0, 2, std::make_shared<MessageQueue>()), kSoundErrInvalid);
}

TEST_F(PulseSoundInputTest, OpeningADeviceBeyondTheListFails) {
    PulseSoundInput input;
    const auto names = input.DeviceNames();
    EXPECT_EQ(input.Open(static_cast<int>(names.size()) + 5, 44100, 2, std::make_shared<MessageQueue>()),
              kSoundErrNoEntity);
}

TEST_F(PulseSoundInputTest, ASourceThatVanishesIsReportedOnce) {
    auto source = std::make_unique<PipeSource>(44100, 2);
    ASSERT_TRUE(source->Loaded());
    PulseSoundInput input;
    const int index = test::IndexOf(input.DeviceNames(), source->Description());
    ASSERT_GT(index, 0);
    Capture capture(input);
    ASSERT_EQ(capture.Open(index, 44100, 2), kSoundOk);
    ASSERT_EQ(input.Start(), kSoundOk);
    source->Unload();
    const auto m = capture.Queue().GetFor(5000ms);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->msg, MM_WIM_DEVICE_LOST);
    EXPECT_NE(static_cast<SoundResult>(m->wParam), kSoundOk);
    // The owner can still take the device down without hanging.
    EXPECT_NE(input.Stop(), kSoundOk);
    (void)input.Reset();
    capture.TakePending(false);
    EXPECT_EQ(input.Close(), kSoundOk);
    for (const auto& msg : capture.messages) {
        EXPECT_NE(msg.msg, MM_WIM_DEVICE_LOST);
    }
}

// The device list's watch: told of a source that comes or goes by the
// server itself, with nobody asking in between; without a server it waits
// quietly and goes without hanging.
TEST_F(PulseSoundInputTest, TheWatchHearsOfSourcesLoadedAndUnloaded) {
    std::mutex mutex;
    std::condition_variable heard;
    int notices = 0;
    const auto countNotice = [&] {
        {
            const std::lock_guard lock(mutex);
            ++notices;
        }
        heard.notify_all();
    };
    // True once a notice comes after the ones counted so far.
    int seen = 0;
    const auto nextNotice = [&] {
        std::unique_lock lock(mutex);
        const bool came = heard.wait_for(lock, 5s, [&] { return notices > seen; });
        seen = notices;
        return came;
    };
    PulseSoundInput input;
    auto watch = input.WatchDevices(countNotice);
    ASSERT_NE(watch, nullptr);
    ASSERT_TRUE(nextNotice()) << "the subscription taken";
    auto source = std::make_unique<PipeSource>(44100, 2);
    ASSERT_TRUE(source->Loaded());
    EXPECT_TRUE(nextNotice());
    source->Unload();
    EXPECT_TRUE(nextNotice());
    watch.reset();

    const test::ScopedServer nowhere("unix:/nonexistent/zolvane2/native");
    const auto start = std::chrono::steady_clock::now();
    input.WatchDevices(countNotice).reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    const std::lock_guard lock(mutex);
    EXPECT_EQ(notices, seen);
}

TEST(PulseSoundInputAbsentServerTest, ReportsTheServersErrorWithoutHanging) {
    const test::ScopedServer nowhere("unix:/nonexistent/zolvane2/native");
    PulseSoundInput input;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(input.DeviceNames(), std::vector<std::string>{kDefaultInputDeviceName});
    EXPECT_EQ(input.DeviceCount(), 0);
    const SoundResult r = input.Open(0, 44100, 2, std::make_shared<MessageQueue>());
    EXPECT_NE(r, kSoundOk);
    EXPECT_FALSE(input.ErrorText(r).empty());
    EXPECT_EQ(input.Start(), kSoundErrBadState);
    EXPECT_EQ(input.Close(), kSoundErrBadState);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

}  // namespace
}  // namespace zolvane2
