#include <gtest/gtest.h>

#include "record/RecordingSchedule.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using Kind = RecordingSchedule::Step::Kind;
using Lateness = RecordingSchedule::Lateness;

// Both clocks side by side; sleeping moves only the wall clock.
struct Clocks {
    RecordingSchedule::WallTime wall = RecordingSchedule::WallTime(1'800'000'000s);
    RecordingSchedule::SteadyTime steady = RecordingSchedule::SteadyTime(1000s);
    void Pass(std::chrono::seconds s) {
        wall += s;
        steady += s;
    }
    RecordingSchedule::Step Look(RecordingSchedule& schedule) const { return schedule.Check(wall, steady); }
};

TEST(RecordingScheduleTest, CountsDownStartsOnceAndTellsALateOrMissedStart) {
    Clocks c;
    RecordingSchedule onTime(c.wall + 10s, c.wall + 70s);
    EXPECT_EQ(c.Look(onTime).untilStart, 10s);
    c.Pass(9s);
    EXPECT_EQ(c.Look(onTime).kind, Kind::Wait);
    c.Pass(1s);
    const auto started = c.Look(onTime);
    EXPECT_EQ(started.kind, Kind::Start);
    EXPECT_EQ(started.lateness, Lateness::OnTime);
    EXPECT_EQ(started.length, 60s);
    c.Pass(1s);
    EXPECT_NE(c.Look(onTime).kind, Kind::Start) << "a schedule starts once";

    // The machine sleeps through the start: the rest is recorded, and why
    // it is late is told.
    Clocks s;
    RecordingSchedule slept(s.wall + 10s, s.wall + 3600s);
    EXPECT_EQ(s.Look(slept).kind, Kind::Wait);
    s.wall += 600s;
    const auto woke = s.Look(slept);
    EXPECT_EQ(woke.kind, Kind::Start);
    EXPECT_EQ(woke.lateness, Lateness::Asleep);
    EXPECT_EQ(woke.late, 590s);
    EXPECT_EQ(woke.length, 3000s);
    // ... and through the whole programme: missed, never skipped in silence.
    RecordingSchedule whole(s.wall + 10s, s.wall + 60s);
    EXPECT_EQ(s.Look(whole).kind, Kind::Wait);
    s.wall += 7200s;
    const auto missed = s.Look(whole);
    EXPECT_EQ(missed.kind, Kind::Missed);
    EXPECT_EQ(missed.lateness, Lateness::Asleep);

    // Armed after its start: under way, or over.
    Clocks a;
    RecordingSchedule underWay(a.wall - 60s, a.wall + 60s);
    const auto late = a.Look(underWay);
    EXPECT_EQ(late.kind, Kind::Start);
    EXPECT_EQ(late.lateness, Lateness::Passed);
    EXPECT_EQ(late.length, 60s);
    RecordingSchedule over(a.wall - 120s, a.wall - 60s);
    EXPECT_EQ(a.Look(over).kind, Kind::Missed);
    EXPECT_EQ(over.Check(a.wall, a.steady).kind, Kind::Missed);
}

TEST(RecordingScheduleTest, ReadsLocalTimesAndKeepsItselfAsText) {
    const auto start = RecordingSchedule::ParseLocal("2026-12-24T21:00");
    ASSERT_TRUE(start);
    EXPECT_EQ(RecordingSchedule::LocalText(*start), "2026-12-24 21:00:00");
    EXPECT_EQ(RecordingSchedule::ParseLocal("2026-12-24 21:00:30"), *start + 30s);
    for (const char* bad : {"2026-11-31T21:00", "2026-12-24T24:00", "2026-12-24", "21:00", "2026-12-24T21:00x"}) {
        EXPECT_FALSE(RecordingSchedule::ParseLocal(bad)) << bad;
    }
    // A time of day as the end falls after the start, the next day if need be.
    EXPECT_EQ(RecordingSchedule::ParseEndOfDay("23:00", *start), *start + 2h);
    EXPECT_EQ(RecordingSchedule::ParseEndOfDay("01:00", *start), *start + 4h);
    EXPECT_FALSE(RecordingSchedule::ParseEndOfDay("1 hour", *start));

    const RecordingSchedule kept(*start, *start + 2h);
    EXPECT_EQ(kept.ToText(), "2026-12-24T21:00:00/2026-12-24T23:00:00");
    const auto back = RecordingSchedule::FromText(kept.ToText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Start(), kept.Start());
    EXPECT_EQ(back->End(), kept.End());
    EXPECT_FALSE(RecordingSchedule::FromText("2026-12-24T23:00:00/2026-12-24T21:00:00"));
    EXPECT_FALSE(RecordingSchedule::FromText(""));
}

}  // namespace
}  // namespace zolvane2
