#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CaptureLossWatch.h"

namespace zolvane2 {
namespace {

// 44.1 kHz stereo arriving in 20 ms fragments, looked at every quarter second,
// as the sound server's main loop would; the server holds 4 MB.
class CaptureLossWatchTest : public ::testing::Test {
protected:
    static constexpr std::int64_t kRate = 176400;
    static constexpr std::int64_t kBuffer = 4 * 1024 * 1024;

    void SetUp() override { watch_.Start(kRate, 4, kBuffer); }

    // Audio arriving for `seconds` at `pace` times the clock, while the
    // server answers each look with what it still holds (none: no answer).
    void Flow(double seconds, double pace = 1.0, std::optional<std::int64_t> held = 0) {
        const auto steps = static_cast<std::int64_t>(seconds * 50);
        for (std::int64_t i = 0; i < steps; ++i) {
            now_ += 20'000;
            carry_ += static_cast<double>(kRate) * 0.02 * pace;
            const auto bytes = static_cast<std::int64_t>(carry_) / 4 * 4;
            carry_ -= static_cast<double>(bytes);
            watch_.Arrived(bytes, now_);
            if (now_ >= nextLook_) {
                nextLook_ = now_ + CaptureLossWatch::kCheckUsec;
                if (const auto loss = watch_.Check(now_, held)) {
                    losses_.push_back(*loss);
                }
            }
        }
    }
    // The whole process stands still; the server keeps what fits in its
    // buffer and hands it over at once when the process goes on.
    void Stall(double seconds) {
        now_ += static_cast<std::uint64_t>(seconds * 1e6);
        watch_.Arrived(std::min<std::int64_t>(static_cast<std::int64_t>(seconds * kRate) / 4 * 4, kBuffer), now_);
    }

    CaptureLossWatch watch_;
    std::uint64_t now_ = 1'000'000;
    std::uint64_t nextLook_ = 0;
    double carry_ = 0;
    std::vector<CaptureLossWatch::Loss> losses_;
};

TEST_F(CaptureLossWatchTest, OnlyAStallLongerThanTheServersBufferIsALossAndItIsMeasured) {
    Flow(3600, 0.9999);  // a source clock 100 ppm slow for an hour
    Flow(10, 1.02);      // then a little fast
    Stall(5);            // well inside the buffer
    Flow(10);
    EXPECT_TRUE(losses_.empty());

    const std::int64_t before = watch_.ArrivedBytes();
    Stall(30);  // the buffer holds 23.8 s
    Flow(5);
    ASSERT_EQ(losses_.size(), 1U);
    EXPECT_NEAR(static_cast<double>(losses_[0].bytes) / kRate, 30.0 - static_cast<double>(kBuffer) / kRate, 0.1);
    EXPECT_NEAR(static_cast<double>(losses_[0].at - before) / kRate, static_cast<double>(kBuffer) / kRate, 0.5);
    Flow(60);
    EXPECT_EQ(losses_.size(), 1U) << "counted once";
}

TEST_F(CaptureLossWatchTest, AudioTheServerStillHoldsIsLateNotLost) {
    Flow(10);
    const std::int64_t halfSecond = kRate / 2 / 4 * 4;
    now_ += 500'000;  // nothing arrives for half a second; the server keeps it
    Flow(10, 1.0, halfSecond);
    EXPECT_TRUE(losses_.empty());
    Flow(10);  // the server holds nothing after all: it is gone
    ASSERT_EQ(losses_.size(), 1U);
    EXPECT_NEAR(static_cast<double>(losses_[0].bytes) / kRate, 0.5, 0.05);
}

TEST_F(CaptureLossWatchTest, LooksTheServerHasNotAnsweredJudgeNothingAndTheLossWaits) {
    Flow(10);
    Stall(30);
    Flow(10, 1.0, std::nullopt);
    EXPECT_TRUE(losses_.empty());
    Flow(5);
    ASSERT_EQ(losses_.size(), 1U);
    EXPECT_NEAR(static_cast<double>(losses_[0].bytes) / kRate, 30.0 - static_cast<double>(kBuffer) / kRate, 0.1);
}

}  // namespace
}  // namespace zolvane2
