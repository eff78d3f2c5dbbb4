#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "record/GapFinder.h"

namespace zolvane2 {
namespace {

constexpr int kRate = 8000;

// A mono side assembled from parts: hiss at −60 dBFS throughout, music-like
// tones on top, clicks where asked.
class Signal {
public:
    Signal& Hiss(double seconds) { return Add(seconds, 0, 0, 0); }
    // Tones at levelDb; fadeOut seconds at the end ramp down to nothing.
    Signal& Music(double seconds, double levelDb = -20, double fadeOut = 0) {
        return Add(seconds, levelDb, fadeOut, 0);
    }
    // Hiss with clicks of 1 ms peaking at −3 dBFS, perSecond of them.
    Signal& Crackle(double seconds, double perSecond) { return Add(seconds, 0, 0, perSecond); }
    [[nodiscard]] double Seconds() const { return static_cast<double>(samples.size()) / kRate; }

    std::vector<std::int16_t> samples;

private:
    double Noise() {
        state_ = state_ * 1664525U + 1013904223U;
        return static_cast<double>(state_ >> 8) / 16777216.0 * 2 - 1;
    }
    Signal& Add(double seconds, double levelDb, double fadeOut, double clicks) {
        const auto n = static_cast<std::int64_t>(seconds * kRate);
        const double amp = levelDb != 0 ? 32768 * std::pow(10.0, levelDb / 20) : 0;
        const std::int64_t clickEvery = clicks > 0 ? static_cast<std::int64_t>(kRate / clicks) : 0;
        for (std::int64_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            double v = 32768 * 0.001 * 1.7 * Noise();
            double g = 1;
            if (fadeOut > 0 && seconds - t < fadeOut) {
                g = (seconds - t) / fadeOut;
            }
            v += g * amp * (std::sin(2 * 3.14159265 * 220 * t) * 0.7 + std::sin(2 * 3.14159265 * 347 * t) * 0.5);
            if (clickEvery > 0 && i % clickEvery < kRate / 1000) {
                v += 32768 * 0.7 * (i % 2 == 0 ? 1 : -1);
            }
            samples.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0))));
        }
        return *this;
    }
    std::uint32_t state_ = 1;
};

// The settings page's sensitivity and minimum gap.
GapSettings Settings() {
    GapSettings s;
    s.sensitivityDb = 6;
    s.minimumGapSeconds = 0.8;
    s.delayFrames = kRate / 10;
    s.tailFrames = kRate / 2;
    return s;
}

GapFinder Whole(const Signal& signal, const GapSettings& settings = Settings()) {
    GapFinder finder(kRate, 1, settings);
    finder.Feed(signal.samples.data(), std::ssize(signal.samples));
    finder.Finish();
    return finder;
}

double Sec(std::int64_t frame) {
    return static_cast<double>(frame) / kRate;
}

// Clicks in a gap are no sound, a quiet passage well above the hiss is no
// gap, a fade stays whole, and the lead-in and lead-out are no pieces.
TEST(GapFinder, IgnoresClicksKeepsQuietPassagesAndFades) {
    Signal s;
    s.Hiss(2).Music(5).Crackle(2, 40).Music(3).Music(1.5, -42).Music(3).Hiss(2).Music(6, -20, 3).Hiss(3);
    const GapFinder finder = Whole(s);
    EXPECT_NEAR(finder.FloorDb(), -60, 4);
    const std::vector<GapPiece> pieces = finder.Pieces();
    ASSERT_EQ(pieces.size(), 3U);
    // Each piece starts its delay ahead of the music, within a step.
    EXPECT_NEAR(Sec(pieces[0].startFrame), 1.9, 0.05);
    EXPECT_NEAR(Sec(pieces[1].startFrame), 8.9, 0.05);
    EXPECT_NEAR(Sec(pieces[2].startFrame), 18.4, 0.05);
    // The first ends half a second after its music, not in the crackle.
    EXPECT_NEAR(Sec(pieces[0].endFrame), 7.5, 0.1);
    // The quiet passage stays inside the second piece.
    EXPECT_NEAR(Sec(pieces[1].endFrame), 17.0, 0.05);
    // The fade sinks into the hiss less than 0.1 s before its end; the
    // tail follows.
    EXPECT_GT(Sec(pieces[2].endFrame), 24.7);
    EXPECT_LT(Sec(pieces[2].endFrame), 25.1);

    // A minimum length drops a short burst; a lower sensitivity than the
    // passage lies above the hiss still keeps it.
    Signal burst;
    burst.Hiss(2).Music(5).Hiss(2).Music(0.6).Hiss(2).Music(5).Hiss(2);
    GapSettings longOnly = Settings();
    longOnly.minimumFrames = 2 * kRate;
    EXPECT_EQ(Whole(burst).Pieces().size(), 3U);
    EXPECT_EQ(Whole(burst, longOnly).Pieces().size(), 2U);
}

// A gap shorter than the minimum gap joins its neighbours, and a short gap
// is shared between them: neither takes the other's sound.
TEST(GapFinder, ShortGapsAreSharedOrJoined) {
    Signal s;
    s.Hiss(2).Music(4).Hiss(0.5).Music(4).Hiss(0.9).Music(4).Hiss(2);
    const std::vector<GapPiece> pieces = Whole(s).Pieces();
    ASSERT_EQ(pieces.size(), 2U);
    EXPECT_NEAR(Sec(pieces[0].endFrame), 10.95, 0.05);   // the middle of the 0.9 s gap
    EXPECT_NEAR(Sec(pieces[1].startFrame), 11.3, 0.05);  // its delay ahead of the music
}

// The track count cuts at the most gap-like gaps, a short one included, and
// says how many there were; the track times snap to the gaps nearby and
// name a piece far off its time.
TEST(GapFinder, TrackCountAndTrackTimes) {
    Signal s;
    s.Hiss(2).Music(10).Hiss(0.4).Music(8).Music(2, -36).Music(8).Hiss(2).Music(12).Hiss(3);
    const GapFinder finder = Whole(s);
    EXPECT_EQ(finder.Pieces().size(), 2U);
    const GapGuide::Result three = finder.ForCount(3);
    EXPECT_EQ(three.gapsAvailable, 2);

    ASSERT_EQ(three.pieces.size(), 3U);
    EXPECT_NEAR(Sec(three.pieces[0].endFrame), 12.2, 0.1);
    EXPECT_NEAR(Sec(three.pieces[1].startFrame), 12.3, 0.1);
    EXPECT_EQ(finder.ForCount(5).pieces.size(), 3U);

    // Times a few seconds off: every boundary lands in its gap.
    const GapGuide::Result timed = finder.ForDurations({13, 11, 10}, 15);
    ASSERT_EQ(timed.pieces.size(), 3U);
    EXPECT_EQ(timed.pieces, three.pieces);
    EXPECT_TRUE(timed.unsnapped.empty());
    ASSERT_EQ(timed.mismatches.size(), 1U);  // the second: 18 s, not 11
    EXPECT_EQ(timed.mismatches[0].piece, 1);

    // No gap within range: the cut lies at the time given.
    const GapGuide::Result far = finder.ForDurations({5, 30}, 2);
    ASSERT_EQ(far.unsnapped.size(), 1U);
    EXPECT_NEAR(Sec(far.pieces[0].endFrame), 7, 0.05);
}

// Fed live in small blocks, the finder decides within its bounded delay and
// cuts as the whole file is cut.
TEST(GapFinder, LiveCutsAsTheWholeFile) {
    Signal s;
    s.Hiss(3).Music(6).Crackle(2, 30).Music(5).Hiss(1.2).Music(7, -20, 2).Hiss(4);
    const std::vector<GapPiece> whole = Whole(s).Pieces();
    GapFinder live(kRate, 1, Settings(), GapFinder::Use::Live);
    std::vector<GapPiece> pieces;
    std::int64_t fed = 0;
    constexpr std::int64_t kBlock = 333;
    while (fed < std::ssize(s.samples)) {
        const std::int64_t n = std::min(kBlock, std::ssize(s.samples) - fed);
        live.Feed(s.samples.data() + fed, n);
        fed += n;
        for (const GapEvent& e : live.TakeEvents()) {
            EXPECT_GE(e.frame, fed - live.MaxDelayFrames());
            if (e.kind == GapEvent::Kind::PieceStart) {
                pieces.push_back({e.frame, e.frame});
            } else {
                pieces.back().endFrame = e.frame;
            }
        }
    }
    live.Finish();
    for (const GapEvent& e : live.TakeEvents()) {
        ASSERT_EQ(e.kind, GapEvent::Kind::PieceEnd);
        pieces.back().endFrame = e.frame;
    }
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(whole.size(), 3U);
}

}  // namespace
}  // namespace zolvane2
