// The window's state objects on their own, without a window.
#include <gtest/gtest.h>

#include "app/JobSlot.h"
#include "app/LevelMeterNumbers.h"
#include "app/PlaybackSession.h"
#include "app/RecordingRun.h"

namespace zolvane2 {
namespace {

TEST(JobSlotTest, HoldsOneJobAtATime) {
    JobSlot slot;
    EXPECT_FALSE(slot.Running());
    EXPECT_FALSE(slot.Start(JobSlot::Kind::None));
    ASSERT_TRUE(slot.Start(JobSlot::Kind::Combine));
    EXPECT_FALSE(slot.Start(JobSlot::Kind::Redivide)) << "a second job would take over the first one's cancel";
    EXPECT_EQ(slot.Current(), JobSlot::Kind::Combine);
    slot.Finish();
    EXPECT_FALSE(slot.Running());
    EXPECT_TRUE(slot.Start(JobSlot::Kind::Redivide));
}

TEST(RecordingRunTest, CountsDownFromTheFirstTriggerAndGivesAnEmptyTracksTimeBackUnderNetTime) {
    RecordingRun run;
    run.Begin(10, 1000, false);
    EXPECT_TRUE(run.Running());
    EXPECT_TRUE(run.FirstTriggerPending());
    run.Triggered();
    EXPECT_FALSE(run.FirstTriggerPending());

    RecordingRun::Countdown shown;
    ASSERT_TRUE(run.CountDown(2500, shown));
    EXPECT_EQ(shown.remainingSeconds, 8) << "a second begun is a second left";
    EXPECT_EQ(shown.percent, 25);
    run.Triggered();  // a second track starts with 8 s left
    ASSERT_TRUE(run.CountDown(4000, shown));
    run.EmptyTrackDeleted();
    EXPECT_EQ(run.RemainingSeconds(), 6) << "gross time keeps counting";

    RecordingRun net;
    net.Begin(10, 1000, true);
    net.Triggered();
    ASSERT_TRUE(net.CountDown(4000, shown));
    net.EmptyTrackDeleted();
    EXPECT_EQ(net.RemainingSeconds(), 10) << "net time: the deleted track's time is back";
    ASSERT_TRUE(run.CountDown(20000, shown));
    EXPECT_EQ(shown.remainingSeconds, 0);
    EXPECT_EQ(shown.percent, 100);

    run.Finish();
    EXPECT_FALSE(run.Running());
    EXPECT_TRUE(run.FirstTriggerPending());
    run.Begin(0, 1000, false);
    EXPECT_FALSE(run.CountDown(0, shown)) << "no limit, nothing to count down";
    run.Begin(-5, 1000, false);
    EXPECT_EQ(run.LimitSeconds(), 0);
}

TEST(RecordingRunTest, KeepsTheRunsLossesUntilTheNextRun) {
    RecordingRun run;
    run.Begin(0, 48000, false);
    run.AddLoss({0, 24000, 1});
    run.AddLoss({96000, 48000, 2});
    EXPECT_EQ(run.Losses().size(), 2U);
    EXPECT_DOUBLE_EQ(run.LostSeconds(), 1.5);
    run.Finish();
    EXPECT_EQ(run.Losses().size(), 2U) << "the last run's losses stay to be read";
    run.Begin(0, 48000, false);
    EXPECT_TRUE(run.Losses().empty());
    run.Begin(0, 0, false);
    run.AddLoss({0, 10, 1});
    EXPECT_EQ(run.LostSeconds(), 0) << "no rate, no division";
}

TEST(RecordingRunTest, ClosesOnceAfterTheTimeLimitAndNotAfterAStoppedPlayback) {
    RecordingRun run;
    EXPECT_TRUE(run.TakePlaybackExit()) << "a playback that ran to its end closes";
    EXPECT_FALSE(run.TakeRecordingExit()) << "a run stopped by hand does not";

    run.SuppressAutoExit();
    EXPECT_FALSE(run.TakePlaybackExit());
    EXPECT_TRUE(run.TakePlaybackExit()) << "the stop spoke for one end only";

    run.MarkTimeLimitReached();
    EXPECT_TRUE(run.TakeRecordingExit());
    EXPECT_FALSE(run.TakeRecordingExit());

    run.SuppressAutoExit();
    run.Begin(1, 1000, false);
    EXPECT_EQ(run.AutoExitState(), RecordingRun::AutoExit::Normal) << "a new run starts afresh";
}

TEST(PlaybackSessionTest, StopAndBackChooseWhereTheEndOfTheFileLeads) {
    PlaybackSession session;
    session.Begin();
    session.SetPlayingIndex(3);
    session.StopAfterThisRow(5);
    EXPECT_EQ(session.PlayingIndex(), 5);
    session.BackTo(2);
    EXPECT_EQ(session.PlayingIndex(), 1) << "the row after 1 is the one found";
    session.BackTo(-1);
    EXPECT_EQ(session.PlayingIndex(), -1) << "none found: the first checked row";
    session.Finish();
    EXPECT_FALSE(session.Active());
}

TEST(PlaybackSessionTest, ASplitIsTakenOnceAndWaitingSplitsKeepTheirOrder) {
    PlaybackSession session;
    session.AskSplit(u"/m/a.wav", 1.5);
    EXPECT_TRUE(session.SplitAsked());
    const auto asked = session.TakeAskedSplit();
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->fileName, u"/m/a.wav");
    EXPECT_DOUBLE_EQ(asked->seconds, 1.5);
    EXPECT_FALSE(session.TakeAskedSplit().has_value());

    session.QueueSplit({u"/m/1.wav", 1});
    session.QueueSplit({u"/m/2.wav", 2});
    session.Finish();
    EXPECT_TRUE(session.SplitsWaiting()) << "the end of playback keeps them";
    EXPECT_EQ(session.TakeWaitingSplit()->fileName, u"/m/1.wav");
    EXPECT_EQ(session.TakeWaitingSplit()->fileName, u"/m/2.wav");
    EXPECT_FALSE(session.TakeWaitingSplit().has_value());
}

TEST(LevelMeterNumbersTest, ShowsTheMeanAndThePeakOfTheLastTenBlocksPerChannel) {
    LevelMeterNumbers numbers;
    LevelMeterNumbers::Shown shown = numbers.Record(0, 1000, 500);
    EXPECT_EQ(shown.mean, 50) << "the nine empty slots count";
    EXPECT_EQ(shown.peak, 1000);
    for (int block = 0; block < LevelMeterNumbers::kSlots; ++block) {
        numbers.Advance();
        shown = numbers.Record(0, 200, 99.9);
    }
    EXPECT_EQ(shown.peak, 200) << "the first block's peak has left the ring";
    EXPECT_EQ(shown.mean, 99) << "cut toward zero, as shown";
    shown = numbers.Record(1, 7, -30);
    EXPECT_EQ(shown.mean, -3);

    numbers.Reset(0);
    EXPECT_EQ(numbers.Record(0, 0, 0).peak, 0);
    EXPECT_EQ(numbers.Record(1, 0, 0).mean, 0) << "the other channel only loses this slot";
    numbers.Reset(5);
    EXPECT_EQ(numbers.Record(2, 1, 1).peak, 0) << "the page has two rows";
}

TEST(LevelMeterNumbersTest, TheScaleFollowsTheBoxAndTheRunsTriggerLevel) {
    LevelMeterNumbers numbers;
    numbers.Prepare(32767, 0);
    EXPECT_EQ(numbers.Channels(), 1);
    numbers.Fit(200);
    EXPECT_EQ(numbers.MidY(), 100);
    EXPECT_EQ(numbers.TriggerOffset(), 100) << "full level: the lines on the edges";
    EXPECT_DOUBLE_EQ(numbers.Scale(), 200 / 65536.0);
    numbers.Prepare(16384, 2);
    numbers.Fit(200);
    EXPECT_EQ(numbers.TriggerOffset(), 50) << "a new run fits again at the same height";
    numbers.Prepare(300, 2);
    numbers.Fit(42);
    EXPECT_EQ(numbers.TriggerOffset(), 1) << "the default level stays off the middle line";
}

}  // namespace
}  // namespace zolvane2
