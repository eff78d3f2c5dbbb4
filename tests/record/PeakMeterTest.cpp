#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "record/PeakMeter.h"
#include "support/WaveFile.h"

namespace zolvane2 {
namespace {

// Made-up stereo blocks at 1000 frames a second: a tenth of a second each,
// left and right held at one value throughout.
void Feed(PeakMeter& meter, std::int16_t left, std::int16_t right, int blocks = 1) {
    std::vector<std::int16_t> samples;
    for (int f = 0; f < 100; ++f) {
        samples.push_back(left);
        samples.push_back(right);
    }
    const test::Bytes pcm = test::Pcm(samples);
    for (int b = 0; b < blocks; ++b) {
        meter.Feed(pcm.data(), static_cast<std::int64_t>(pcm.size()));
    }
}

TEST(PeakMeterTest, ReadsDbHoldsPeaksLightsTheClipLampAndFindsTheQuietFloor) {
    PeakMeter meter;
    meter.Start(2, 1000);
    EXPECT_FALSE(meter.QuietDb().has_value()) << "no window measured yet";

    Feed(meter, 16384, -3277);
    EXPECT_NEAR(meter.PeakDb(0), -6.02, 0.01);
    EXPECT_NEAR(meter.PeakDb(1), -20.0, 0.01) << "a negative sample reads by its size";
    EXPECT_FALSE(meter.Clipped());

    // The hold keeps the loud block's peak for two seconds of audio, then
    // falls to what plays.
    Feed(meter, 328, 328, 20);
    EXPECT_NEAR(meter.PeakDb(0), -40.0, 0.01);
    EXPECT_NEAR(meter.HoldDb(0), -6.02, 0.01);
    Feed(meter, 328, 328);
    EXPECT_NEAR(meter.HoldDb(0), -40.0, 0.01);

    // The quiet reading is the floor of the last ten seconds: a quiet spell
    // pulls it down, and it comes back up once the spell is ten seconds old.
    Feed(meter, 33, 0, 5);
    Feed(meter, 3277, 3277, 99);
    EXPECT_NEAR(*meter.QuietDb(), -59.94, 0.01);
    Feed(meter, 3277, 3277);
    EXPECT_NEAR(*meter.QuietDb(), -20.0, 0.01);

    // Full scale of either sign lights the lamp; it stays lit through quiet
    // blocks until cleared or a new start.
    Feed(meter, 0, -32768);
    Feed(meter, 100, 100);
    EXPECT_TRUE(meter.Clipped());
    meter.ClearClip();
    EXPECT_FALSE(meter.Clipped());
    Feed(meter, 32767, 0);
    EXPECT_TRUE(meter.Clipped());
    meter.Start(1, 1000);
    EXPECT_FALSE(meter.Clipped());
    EXPECT_EQ(meter.PeakDb(0), PeakMeter::kSilenceDb) << "digital silence has a floor, not minus infinity";

    EXPECT_DOUBLE_EQ(PeakMeter::BarFraction(-90), 0.0);
    EXPECT_DOUBLE_EQ(PeakMeter::BarFraction(-30), 0.5);
    EXPECT_DOUBLE_EQ(PeakMeter::BarFraction(0), 1.0);
}

}  // namespace
}  // namespace zolvane2
