#include <gtest/gtest.h>

#include "record/RecordingSettings.h"
#include "record/TWaveInReport.h"

namespace zolvane2 {
namespace {

TEST(TWaveInReportTest, EveryReportComesBackFromItsMessage) {
    const TWaveInMessages names = TWaveInMessages::Register();
    const TWaveInReport reports[] = {
        TWaveInReport::Triggered(12, 4410),
        TWaveInReport::TrackEnded(4, FinishStatus::Kept, 5),
        TWaveInReport::TrackEnded(4, FinishStatus::TooLong, 70000),  // far past the numbers taken
        TWaveInReport::TrackEnded(9, FinishStatus::Deleted, 9),
        TWaveInReport::Finished(12, FinishStatus::TooLong),
        TWaveInReport::Finished(3, FinishStatus::Deleted),
        TWaveInReport::Lost(2),
    };
    for (const TWaveInReport& r : reports) {
        EXPECT_EQ(TWaveInReport::Decode(names, r.Encode(names)), r) << static_cast<int>(r.kind);
    }
    // A deleted track names no file; the others name theirs.
    EXPECT_FALSE(reports[3].Kept());
    EXPECT_FALSE(reports[5].Kept());
    EXPECT_TRUE(reports[4].Kept());
    EXPECT_EQ(TWaveInReport::Decode(names, {names.start, 0, 0}).kind, TWaveInReport::Kind::None);
}

TEST(TWaveInReportTest, AFinishedTrackIsNamedByItsStatus) {
    RecordingSettings run;
    run.baseFileName = "/music/side.A.wav";
    run.digits = 3;
    EXPECT_EQ(run.FinishedTrackName(7, FinishStatus::Kept), "/music/side.A007.wav");
    EXPECT_EQ(run.FinishedTrackName(7, FinishStatus::TooLong), "/music/side.A007_tooLONG.wav");
    run.rawOutput = true;
    EXPECT_EQ(run.FinishedTrackName(1234, FinishStatus::Kept), "/music/side.A1234.raw");
}

}  // namespace
}  // namespace zolvane2
