#include <gtest/gtest.h>

#include "record/RecordingClock.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using Clock = RecordingClock::Clock;

TEST(RecordingClockTest, StartsAtTheFirstTrackAndRunsThroughTheWaitsWithoutNetTime) {
    RecordingClock clock(10, false);
    const Clock::time_point t0{};
    EXPECT_FALSE(clock.Expired(t0 + 1h));  // nothing started yet
    EXPECT_EQ(clock.RemainingSeconds(t0), 10);
    clock.TrackStarted(t0);
    clock.TrackEnded(0, t0 + 4s);
    EXPECT_FALSE(clock.Expired(t0 + 9999ms));
    clock.TrackStarted(t0 + 6s);  // a clock that runs keeps its phase
    EXPECT_EQ(clock.RemainingSeconds(t0 + 7500ms), 3);
    EXPECT_TRUE(clock.Expired(t0 + 10s));
}

TEST(RecordingClockTest, NetTimeStandsStillBetweenTracksAndGivesBackAnEmptyTrack) {
    RecordingClock clock(10, true);
    const Clock::time_point t0{};
    clock.TrackStarted(t0);
    clock.TrackEnded(0, t0 + 4s);          // 4 s used
    EXPECT_FALSE(clock.Expired(t0 + 1h));  // waiting does not count
    clock.TrackStarted(t0 + 1h);
    clock.TrackEnded(2, t0 + 1h + 3s);  // deleted: its 3 s come back
    EXPECT_EQ(clock.Used(t0 + 2h).count(), 4000);
    clock.TrackStarted(t0 + 2h);
    EXPECT_FALSE(clock.Expired(t0 + 2h + 5999ms));
    EXPECT_TRUE(clock.Expired(t0 + 2h + 6s));
}

TEST(RecordingClockTest, ZeroMeansNoLimit) {
    RecordingClock clock(0, false);
    clock.TrackStarted(Clock::time_point{});
    EXPECT_FALSE(clock.Limited());
    EXPECT_FALSE(clock.Expired(Clock::time_point{} + 100h));
}

}  // namespace
}  // namespace zolvane2
