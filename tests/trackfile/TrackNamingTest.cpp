#include <cerrno>
#include <memory>

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "support/TrackfileTestSupport.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {
namespace {

using test::TempDir;

TEST(TrackNaming, StemFormatAndNames) {
    EXPECT_EQ(TrackNaming::Stem("Track.wav"), "Track");
    EXPECT_EQ(TrackNaming::Stem("/rec.d/Take"), "/rec.d/Take");
    EXPECT_EQ(TrackNaming::Stem("/rec.d/a.b.wav"), "/rec.d/a.b");
    EXPECT_EQ(TrackNaming::NumberFormat(5), "%5.5d");
    EXPECT_EQ(TrackNaming::NumberFormat(1), "%1.1d");
    EXPECT_EQ(TrackNaming::FormatNumber(7, 5), "00007");
    EXPECT_EQ(TrackNaming::FormatNumber(123456, 5), "123456");
    EXPECT_EQ(TrackNaming::FormatNumber(2'147'483'647, 10), "2147483647");
    EXPECT_EQ(TrackNaming::FormatNumber(12'345'678'901LL, 3), "12345678901");
    EXPECT_EQ(TrackNaming::TrackFileName("/rec.d/Take", 1, 5, false), "/rec.d/Take00001.wav");
    EXPECT_EQ(TrackNaming::TrackFileName("Track", 12, 5, true), "Track00012.raw");
    EXPECT_EQ(TrackNaming::CappedFileName("Track", 12, 5), "Track00012_tooLONG.wav");
}

TEST(TrackNaming, MaximumForDigits) {
    EXPECT_EQ(TrackNaming::MaxTrackNumberFor(1), 9);
    EXPECT_EQ(TrackNaming::MaxTrackNumberFor(5), 99999);
    EXPECT_EQ(TrackNaming::MaxTrackNumberFor(9), 999'999'999);
    EXPECT_EQ(TrackNaming::MaxTrackNumberFor(10), 2'147'483'647);
    EXPECT_EQ(TrackNaming::MaxTrackNumberFor(0), 0);
}

TEST(TrackNaming, AnyOfTheThreeNamesTakesANumber) {
    TempDir dir;
    const std::string stem = dir.File("Track");
    EXPECT_EQ(TrackNaming::FindFreeNumber(stem, 5, 1, 99999), 1);
    test::WriteFile(stem + "00001.wav", {});
    test::WriteFile(stem + "00002_tooLONG.wav", {});
    test::WriteFile(stem + "00003.raw", {});
    EXPECT_TRUE(TrackNaming::IsNumberTaken(stem, 3, 5));
    EXPECT_FALSE(TrackNaming::IsNumberTaken(stem, 4, 5));
    EXPECT_EQ(TrackNaming::FindFreeNumber(stem, 5, 1, 99999), 4);
    EXPECT_EQ(TrackNaming::FindFreeNumberUnbounded(stem, 5, 1), 4);
    // Starting from a finished track moves past it; a deleted one is reused.
    EXPECT_EQ(TrackNaming::FindFreeNumber(stem, 5, 4, 99999), 4);
    EXPECT_EQ(TrackNaming::FindFreeNumber(stem, 5, 5, 4), 0);  // start above the maximum
}

TEST(TrackNaming, NoNumberLeft) {
    TempDir dir;
    const std::string stem = dir.File("Track");
    for (int n = 1; n <= 99; ++n) {
        test::WriteFile(stem + TrackNaming::FormatNumber(n, 2) + ".wav", {});
    }
    EXPECT_EQ(TrackNaming::FindFreeNumber(stem, 2, 1, TrackNaming::MaxTrackNumberFor(2)), 0);
    EXPECT_EQ(TrackNaming::FindFreeNumberUnbounded(stem, 2, 1), 100);
    // The largest possible maximum does not wrap around.
    test::WriteFile(dir.File("T2147483647.wav"), {});
    EXPECT_EQ(TrackNaming::FindFreeNumber(dir.File("T"), 10, 2'147'483'647, 2'147'483'647), 0);
}

// A name that someone else creates between the search and the create sends
// the file to the next free number; no other failure is taken for that.
TEST(TrackNaming, CreatingGoesPastNamesTakenMeanwhile) {
    TempDir dir;
    const std::string stem = dir.File("Track");
    std::vector<std::int64_t> tried;
    std::int64_t takenUpTo = 3;
    std::unique_ptr<TLongFileStream> file;
    const auto create = [&](std::int64_t n) {
        tried.push_back(n);
        const std::string name = TrackNaming::TrackFileName(stem, n, 2, false);
        if (n <= takenUpTo) {
            test::WriteFile(name, {7});
        }
        file = std::make_unique<TLongFileStream>(name, TLongFileStream::fmCreateNew);
    };
    EXPECT_EQ(TrackNaming::CreateAtFreeNumber(stem, 2, 2, 99, create), 4);
    EXPECT_EQ(tried, (std::vector<std::int64_t>{2, 3, 4}));
    EXPECT_EQ(test::ReadAll(stem + "03.wav"), (test::Bytes{7}));
    // Taken up to the maximum: no number is left.
    takenUpTo = 7;
    tried.clear();
    EXPECT_EQ(TrackNaming::CreateAtFreeNumber(stem, 2, 1, 7, create), 0);
    EXPECT_EQ(tried, (std::vector<std::int64_t>{1, 5, 6, 7}));
    // Any other failure is the caller's.
    tried.clear();
    EXPECT_THROW((void)TrackNaming::CreateAtFreeNumber(stem, 2, 1, 99,
                                                       [&](std::int64_t n) {
                                                           tried.push_back(n);
                                                           throw FileCreateError("no", EACCES);
                                                       }),
                 FileCreateError);
    EXPECT_EQ(tried, (std::vector<std::int64_t>{8}));
}

}  // namespace
}  // namespace zolvane2
