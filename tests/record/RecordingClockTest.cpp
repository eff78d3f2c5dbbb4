#include <gtest/gtest.h>

#include "record/RecordingClock.h"

namespace zolvane2 {
namespace {

TEST(RecordingClockTest, StartsAtTheFirstTrackAndRunsThroughTheWaitsWithoutNetTime) {
    RecordingClock clock(1000, false);
    EXPECT_FALSE(clock.Expired(1'000'000));  // nothing started yet
    EXPECT_EQ(clock.Left(0), 1000);
    clock.TrackStarted(500);
    clock.TrackEnded(FinishStatus::Kept, 900);
    EXPECT_FALSE(clock.Expired(1499));
    clock.TrackStarted(1100);  // a clock that runs keeps its phase
    EXPECT_EQ(clock.Left(1250), 250);
    EXPECT_TRUE(clock.Expired(1500));
}

TEST(RecordingClockTest, NetTimeStandsStillBetweenTracksAndGivesBackAnEmptyTrack) {
    RecordingClock clock(1000, true);
    clock.TrackStarted(0);
    clock.TrackEnded(FinishStatus::Kept, 400);  // 400 used
    EXPECT_FALSE(clock.Expired(90000));         // waiting does not count
    EXPECT_EQ(clock.Left(90000), 600);
    clock.TrackStarted(90000);
    clock.TrackEnded(FinishStatus::Deleted, 90300);  // deleted: its 300 come back
    EXPECT_EQ(clock.Used(100000), 400);
    clock.TrackStarted(100000);
    EXPECT_FALSE(clock.Expired(100599));
    EXPECT_TRUE(clock.Expired(100600));
}

TEST(RecordingClockTest, ZeroMeansNoLimit) {
    RecordingClock clock(0, false);
    clock.TrackStarted(0);
    EXPECT_FALSE(clock.Limited());
    EXPECT_FALSE(clock.Expired(1LL << 40));
}

}  // namespace
}  // namespace zolvane2
