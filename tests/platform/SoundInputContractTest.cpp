// What the capture thread relies on from a sound input, checked on the fake
// the other tests record from and on the real input against the private
// test server, so that the fake cannot drift from what the device does.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PulseSoundInput.h"
#include "support/FakeSoundInput.h"
#include "support/InputCapture.h"
#include "support/SoundTestSupport.h"
#include "support/TestFiles.h"

namespace zolvane2 {
namespace {

using test::FakeSoundInput;
using namespace std::chrono_literals;

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// The fake: the test feeds it and hands its blocks over.
class FakeInputRig {
public:
    [[nodiscard]] bool Ready() const { return true; }
    [[nodiscard]] SoundInput& Input() { return input_; }
    [[nodiscard]] std::string Source() const { return "Contract source"; }
    void Write(const test::Bytes& pcm) { input_.Feed(pcm); }
    void Pump() { (void)input_.DeliverAll(); }
    void Lose() {
        input_.SetSources({});
        input_.LoseDevice(kSoundErrNoEntity);
    }

private:
    FakeSoundInput input_{{"Contract source"}};
};

// The real input, recording from a pipe source of its own.
class PulseInputRig {
public:
    [[nodiscard]] bool Ready() {
        if (!test::ServerAvailable()) {
            return false;
        }
        source_ = std::make_unique<test::PipeSource>(kRate, kChannels);
        return source_->Loaded();
    }
    [[nodiscard]] SoundInput& Input() { return input_; }
    [[nodiscard]] std::string Source() const { return source_->Description(); }
    void Write(const test::Bytes& pcm) { source_->Write(pcm); }
    void Pump() {}
    void Lose() { source_->Unload(); }

private:
    std::unique_ptr<test::PipeSource> source_;
    PulseSoundInput input_;
};

template <typename Rig>
class SoundInputContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!rig.Ready()) {
            GTEST_SKIP() << "no private sound server";
        }
        capture.pump = [this] { rig.Pump(); };
    }

    [[nodiscard]] int SourceIndex() { return test::IndexOf(rig.Input().DeviceNames(), rig.Source()); }

    Rig rig;
    test::InputCapture capture{rig.Input()};
};

using Rigs = ::testing::Types<FakeInputRig, PulseInputRig>;
TYPED_TEST_SUITE(SoundInputContractTest, Rigs);

TYPED_TEST(SoundInputContractTest, ListsTheDefaultEntryFirstAndRefusesADeviceBeyondTheList) {
    SoundInput& input = this->rig.Input();
    const auto names = input.DeviceNames();
    ASSERT_GE(names.size(), 2U);
    EXPECT_EQ(names[0], kDefaultInputDeviceName);
    EXPECT_GT(this->SourceIndex(), 0);
    EXPECT_EQ(input.DeviceCount(), static_cast<int>(names.size()) - 1);
    EXPECT_EQ(input.Devices().size() + 1, names.size());
    EXPECT_EQ(input.Open(static_cast<int>(names.size()) + 5, kRate, kChannels, std::make_shared<MessageQueue>()),
              kSoundErrNoEntity);
    EXPECT_EQ(input.Start(), kSoundErrBadState);
    EXPECT_EQ(input.Close(), kSoundErrBadState);
}

TYPED_TEST(SoundInputContractTest, DeliversWholeBlocksBitExactInTurnOnlyWhileStarted) {
    SoundInput& input = this->rig.Input();
    const int index = this->SourceIndex();
    ASSERT_GT(index, 0);
    ASSERT_EQ(this->capture.Open(index, kRate, kChannels), kSoundOk);
    EXPECT_EQ(input.Unprepare(this->capture.Block(0)), kSoundErrBusy);  // queued
    EXPECT_EQ(input.AddBuffer(this->capture.Block(0)), kSoundErrBusy);
    ASSERT_EQ(input.Start(), kSoundOk);
    // Three blocks and a half: the half never makes a whole block.
    const auto signal = test::NoiseFrames(kSoundBufferBytes * 7 / 2 / (2 * kChannels), kChannels, 5U);
    this->rig.Write(signal);
    ASSERT_TRUE(this->capture.CollectUntil(3 * kSoundBufferBytes));
    EXPECT_FALSE(this->capture.CollectUntil(signal.size(), true, 300ms));
    ASSERT_EQ(this->capture.captured.size(), static_cast<std::size_t>(3 * kSoundBufferBytes));
    EXPECT_TRUE(std::equal(this->capture.captured.begin(), this->capture.captured.end(), signal.begin()));
    EXPECT_EQ(this->capture.order, (std::vector<std::uintptr_t>{0, 1, 0}));

    // Stopped, the device holds on to its blocks until Reset hands back both.
    ASSERT_EQ(input.Stop(), kSoundOk);
    this->capture.TakePending(false);
    this->rig.Pump();
    ASSERT_EQ(input.Reset(), kSoundOk);
    this->capture.TakePending(false);
    EXPECT_EQ(this->capture.order.size(), 5U);
    EXPECT_EQ(this->capture.order[3], 1U);
    EXPECT_EQ(this->capture.order[4], 0U);
    EXPECT_EQ(input.Unprepare(this->capture.Block(0)), kSoundOk);
    EXPECT_EQ(input.Unprepare(this->capture.Block(1)), kSoundOk);
    EXPECT_EQ(input.Close(), kSoundOk);
    EXPECT_EQ(input.Close(), kSoundErrBadState);
}

TYPED_TEST(SoundInputContractTest, ASourceThatGoesTellsTheWatchAndTheOwnerAndStillClosesCleanly) {
    SoundInput& input = this->rig.Input();
    std::atomic<int> notices{0};
    auto watch = input.WatchDevices([&notices] { notices.fetch_add(1); });
    ASSERT_NE(watch, nullptr);
    const int index = this->SourceIndex();
    ASSERT_GT(index, 0);
    ASSERT_EQ(this->capture.Open(index, kRate, kChannels), kSoundOk);
    ASSERT_EQ(input.Start(), kSoundOk);
    // The real watch may report its subscription first; count from here on.
    std::this_thread::sleep_for(100ms);
    const int before = notices.load();
    this->rig.Lose();
    const auto m = this->capture.Queue().GetFor(5000ms);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->msg, MM_WIM_DEVICE_LOST);
    EXPECT_NE(static_cast<SoundResult>(m->wParam), kSoundOk);
    for (int i = 0; i < 500 && notices.load() == before; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GT(notices.load(), before);
    EXPECT_EQ(this->SourceIndex(), -1);
    (void)input.Stop();
    (void)input.Reset();
    this->capture.TakePending(false);
    EXPECT_EQ(input.Close(), kSoundOk);
}

}  // namespace
}  // namespace zolvane2
