// The review page's model: the levels at every resolution against the
// samples themselves, and the cut plan's edits at the ends of the pieces
// with their undo.

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "jobs/CutPlan.h"
#include "jobs/LevelOverview.h"

namespace zolvane2 {
namespace {

using Span = LevelOverview::Span;

Span Truth(const std::vector<std::int16_t>& samples, int channels, int channel, std::int64_t from, std::int64_t to) {
    Span s{32767, -32768};
    for (std::int64_t f = from; f < to; ++f) {
        const std::int16_t v = samples[static_cast<std::size_t>(f * channels + channel)];
        s.low = std::min(s.low, v);
        s.high = std::max(s.high, v);
    }
    return s;
}

// Fed in uneven pieces, with a partial last block: a span covers the
// frames asked for and reaches no further than a block of the resolution
// it came from on either side; ranges on block edges are exact.
TEST(LevelOverview, SpansHoldTheirFramesAtEveryResolution) {
    constexpr int kChannels = 2;
    constexpr std::int64_t kFrames = 3 * 65536 + 12345;
    std::mt19937 random(5);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(kFrames * kChannels));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(random() % 2001) - 1000);
    }
    // A loud frame in each channel, for the spans to find.
    samples[static_cast<std::size_t>(70000 * kChannels)] = 30000;
    samples[static_cast<std::size_t>(150001 * kChannels + 1)] = -30000;
    LevelOverview overview(kChannels);
    for (std::int64_t at = 0, step = 1; at < kFrames; at += step, step = step * 3 + 7) {
        overview.Feed(samples.data() + at * kChannels, std::min(step, kFrames - at));
    }
    overview.Finish();
    ASSERT_EQ(overview.Frames(), kFrames);

    const std::int64_t ranges[][2] = {
        {0, 256},         {256, 512}, {69000, 71000}, {0, kFrames}, {kFrames - 100, kFrames}, {4096 * 20, 4096 * 40},
        {150000, kFrames}};
    for (const auto& [from, to] : ranges) {
        for (int c = 0; c < kChannels; ++c) {
            const Span got = overview.At(c, from, to);
            const Span inside = Truth(samples, kChannels, c, from, to);
            EXPECT_LE(got.low, inside.low) << from << " " << to << " " << c;
            EXPECT_GE(got.high, inside.high) << from << " " << to << " " << c;
            // No further than one block of the coarsest resolution used.
            const std::int64_t block = (to - from) >= 16 * 65536 ? 65536 : (to - from) >= 16 * 4096 ? 4096 : 256;
            const Span around = Truth(samples, kChannels, c, std::max<std::int64_t>(from / block * block, 0),
                                      std::min(kFrames, (to + block - 1) / block * block));
            EXPECT_EQ(got, around) << from << " " << to << " " << c;
        }
    }
    EXPECT_EQ(overview.At(0, 0, kFrames).high, 30000);
    EXPECT_EQ(overview.At(1, 0, kFrames).low, -30000);

    // The quiet: a silent stretch is found, the nearest of equal ones wins.
    std::fill(samples.begin() + 100000 * kChannels, samples.begin() + 101000 * kChannels, std::int16_t{0});
    LevelOverview quiet(kChannels);
    quiet.Feed(samples.data(), kFrames);
    quiet.Finish();
    const std::int64_t found = quiet.QuietestFrame(90000, 110000, 92000);
    EXPECT_GE(found, 100000);
    EXPECT_LT(found, 101000);
    // Whole blocks only: the last one inside ends at 100864.
    EXPECT_EQ(quiet.QuietestFrame(100000, 101000, 100900), 100608 + 128);
    EXPECT_EQ(quiet.QuietestFrame(5, 100, 500), 99);  // no whole block: near, kept inside
}

// Proposals, the edits at and between the ends, titles, and undo and redo
// through all of them.
TEST(CutPlan, EditsKeepPiecesAndTitlesInStepAndUndoEachOne) {
    CutPlan plan(1000);
    ASSERT_EQ(plan.Pieces(), (std::vector<CutPoint>{{0, 1000, ""}}));
    EXPECT_FALSE(plan.CanUndo());

    // Gaps between proposed pieces stay with the piece before them.
    plan.Propose({{100, 300, "a"}, {400, 600, "b"}, {700, 900, "c"}});
    EXPECT_EQ(plan.Pieces(), (std::vector<CutPoint>{{100, 400, "a"}, {400, 700, "b"}, {700, 900, "c"}}));

    EXPECT_EQ(plan.AddBoundary(50), 0);   // ahead of the first: a new first piece
    EXPECT_EQ(plan.AddBoundary(950), 5);  // after the last: a new last one
    EXPECT_EQ(plan.AddBoundary(500), 3);  // inside "b": its right part untitled
    EXPECT_EQ(plan.AddBoundary(500), -1);
    EXPECT_EQ(plan.Pieces(),
              (std::vector<CutPoint>{
                  {50, 100, ""}, {100, 400, "a"}, {400, 500, "b"}, {500, 700, ""}, {700, 900, "c"}, {900, 950, ""}}));
    EXPECT_TRUE(plan.MoveBoundary(3, 10000));  // held short of the next
    EXPECT_EQ(plan.Boundaries()[3], 699);
    EXPECT_FALSE(plan.MoveBoundary(3, 699));  // no change, no step

    EXPECT_TRUE(plan.DeleteBoundary(0));  // the first piece left out
    EXPECT_TRUE(plan.JoinPieces(2));      // an untitled piece takes the title of the one it joins
    EXPECT_TRUE(plan.JoinPieces(1));      // a titled one keeps its own
    EXPECT_TRUE(plan.DeleteBoundary(3));  // the last piece left out
    EXPECT_TRUE(plan.SetTitle(1, "B"));
    EXPECT_EQ(plan.Pieces(), (std::vector<CutPoint>{{100, 400, "a"}, {400, 900, "B"}}));
    EXPECT_EQ(plan.PieceAt(399), 0);
    EXPECT_EQ(plan.PieceAt(900), -1);

    const std::vector<CutPoint> last = plan.Pieces();
    int steps = 0;
    while (plan.Undo()) {
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(plan.Pieces(), (std::vector<CutPoint>{{0, 1000, ""}}));
    while (plan.Redo()) {
    }
    EXPECT_EQ(plan.Pieces(), last);

    // An edit after an undo drops what could have been redone.
    ASSERT_TRUE(plan.Undo());
    EXPECT_TRUE(plan.SetTitles({"x"}));
    EXPECT_FALSE(plan.CanRedo());
    EXPECT_EQ(plan.Piece(0).Name, "x");
    EXPECT_EQ(plan.Piece(1).Name, "b");

    // Deleting down to nothing leaves no piece, and a boundary then starts
    // one that runs to the end.
    CutPlan small(10);
    EXPECT_TRUE(small.DeleteBoundary(1));
    EXPECT_EQ(small.PieceCount(), 0);
    EXPECT_TRUE(small.Boundaries().empty());
    EXPECT_EQ(small.AddBoundary(4), 0);
    EXPECT_EQ(small.Pieces(), (std::vector<CutPoint>{{4, 10, ""}}));
}

}  // namespace
}  // namespace zolvane2
