#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "support/CaptureTestSupport.h"
#include "support/CliProcess.h"
#include "support/JobsTestFiles.h"
#include "support/NoisySide.h"
#include "support/SoundTestSupport.h"

namespace zolvane2 {
namespace {

constexpr int kRate = 22050;

std::string Text(const std::string& path) {
    const test::Bytes b = test::ReadAll(path);
    return std::string(b.begin(), b.end());
}

// Region labels as frame ranges.
std::vector<std::pair<std::int64_t, std::int64_t>> Ranges(const std::string& labels) {
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    std::istringstream in(labels);
    double start = 0;
    double end = 0;
    std::string name;
    while (in >> start >> end >> name) {
        ranges.emplace_back(std::llround(start * kRate), std::llround(end * kRate));
    }
    return ranges;
}

class GapsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        side_.Hiss(2).Music(6).Hiss(1.5).Music(5).Hiss(2).Music(7).Hiss(3);
        data_ = test::Pcm(side_.samples);
        test::WriteWave(dir_.File("side.wav"), 1, kRate, data_);
    }
    test::TempDir dir_;
    test::NoisySide side_{kRate};
    test::Bytes data_;
};

// Each piece holds one piece of music whole and none of its neighbours', and
// is the very audio the labels name.
TEST_F(GapsCommandTest, CutsAtTheGapsOverHiss) {
    const auto r = test::RunCliIn(dir_.Path(), {"split", "--mode", "gaps", "--labels", "cuts.txt", "side.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(r.Lines().size(), 3U);
    const auto ranges = Ranges(Text(dir_.File("cuts.txt")));
    ASSERT_EQ(ranges.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_LE(ranges[i].first, side_.music[i].first);
        EXPECT_GE(ranges[i].second, side_.music[i].second);
        if (i > 0) {
            EXPECT_GE(ranges[i].first, side_.music[i - 1].second);
        }
        if (i < 2) {
            EXPECT_LE(ranges[i].second, side_.music[i + 1].first);
        }
        const test::Bytes piece = test::ReadAll(r.Lines()[i]);
        EXPECT_EQ(test::Bytes(piece.begin() + 44, piece.end()),
                  test::Bytes(data_.begin() + ranges[i].first * 2, data_.begin() + ranges[i].second * 2));
    }
}

// The track count and the track times guide the cut, and say what they
// could not do; the snap range bounds how far the times' boundaries move; a
// track list is an input no output replaces; guidance outside gap mode (or a
// snap range without times) is refused.
TEST_F(GapsCommandTest, TrackCountAndTrackTimes) {
    const auto two = test::RunCliIn(
        dir_.Path(), {"split", "--mode=gaps", "--tracks", "2", "--dry-run", "--labels", "two.txt", "side.wav"});
    ASSERT_EQ(two.status, 0) << two.err;
    const auto joined = Ranges(Text(dir_.File("two.txt")));
    ASSERT_EQ(joined.size(), 2U);
    // The shortest gap (1.5 s) is the one left uncut.
    EXPECT_LE(joined[0].first, side_.music[0].first);
    EXPECT_GE(joined[0].second, side_.music[1].second);

    const auto five = test::RunCliIn(
        dir_.Path(), {"split", "--mode=gaps", "--tracks=5", "--dry-run", "--labels", "five.txt", "side.wav"});
    ASSERT_EQ(five.status, 0) << five.err;
    EXPECT_NE(five.err.find("side.wav: 5 pieces were asked for, but the gaps give only 3."), std::string::npos)
        << five.err;

    {
        std::ofstream list(dir_.File("list.txt"));
        list << "ARTIST: Someone\nA1 First 0:08\nA2 Second (0:06)\nA3 Third 0:20\n";
    }
    const auto listed = test::RunCliIn(dir_.Path(), {"split", "--mode", "gaps", "--track-list", "list.txt", "--dry-run",
                                                     "--labels", "l.txt", "side.wav"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(Ranges(Text(dir_.File("l.txt"))).size(), 3U);
    EXPECT_NE(listed.err.find("piece 3 is"), std::string::npos) << listed.err;
    EXPECT_EQ(listed.err.find("end of piece 1;"), std::string::npos) << listed.err;
    // With no room to move, the first boundary stays where its time puts it.
    const auto fixed = test::RunCliIn(dir_.Path(), {"split", "--mode", "gaps", "--track-list", "list.txt",
                                                    "--snap-range", "0", "--dry-run", "--labels", "f.txt", "side.wav"});
    ASSERT_EQ(fixed.status, 0) << fixed.err;
    EXPECT_NE(fixed.err.find("no gap within 0 s of the end of piece 1;"), std::string::npos) << fixed.err;

    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"split", "--mode", "gaps", "--track-list", "list.txt", "--labels", "list.txt",
                                   "side.wav"},
          {"split", "--mode", "gaps", "--times", "0:08,x", "side.wav"},
          {"split", "--tracks", "3", "side.wav"},
          {"split", "--mode", "gaps", "--snap-range", "5", "side.wav"},
          {"record", "--mode", "gaps", "--tracks", "3", "base"},
          {"record", "--mode", "gaps", "--snap-range", "5", "base"}}) {
        const auto r = test::RunCliIn(dir_.Path(), refused);
        EXPECT_EQ(r.status, 2) << refused[3] << r.err;
    }
    EXPECT_EQ(Text(dir_.File("list.txt")).substr(0, 15), "ARTIST: Someone");
}

// Played live through the private server, the side is cut as its re-divide
// cuts it: the same pieces within a few of the finder's steps, each the very
// audio recorded, though the live floor is learned from the lead-in alone.
TEST_F(GapsCommandTest, RecordingCutsAsTheReDivide) {
    if (!test::ServerAvailable()) {
        GTEST_SKIP() << "no private sound server";
    }
    using namespace std::chrono_literals;
    test::PipeSource source(kRate, 1);
    ASSERT_TRUE(source.Loaded());
    // Short, as the server plays it in real time; the time runs out in the
    // hiss after the last piece has been decided.
    test::NoisySide side(kRate);
    side.Hiss(2).Music(3).Hiss(1.5).Music(3).Hiss(8);
    side.samples.resize((side.samples.size() / 16384 + 1) * 16384, 0);
    const test::Bytes played = test::Pcm(side.samples);
    test::WriteWave(dir_.File("live.wav"), 1, kRate, played);
    test::CliProcess record({"record", "--device", source.Name(), "--rate", std::to_string(kRate), "--channels", "1",
                             "--mode", "gaps", "--time", "0:13", dir_.File("Live")});
    ASSERT_TRUE(record.WaitForErr("zolvane2-cli record: recording from", 10s)) << record.err;
    source.Write(played);
    ASSERT_EQ(record.Wait(40s), 0) << record.err;

    const auto split = test::RunCliIn(dir_.Path(), {"split", "--mode", "gaps", "--labels", "cuts.txt", "live.wav"});
    ASSERT_EQ(split.status, 0) << split.err;
    const auto ranges = Ranges(Text(dir_.File("cuts.txt")));
    ASSERT_EQ(ranges.size(), 2U);
    ASSERT_EQ(record.Lines().size(), ranges.size()) << record.out;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::uint8_t> live = test::WaveSamples(record.Lines()[i], 1, kRate);
        const auto frames = static_cast<std::int64_t>(live.size()) / 2;
        EXPECT_NEAR(frames, ranges[i].second - ranges[i].first, kRate / 10);
        bool found = false;
        for (std::int64_t at = ranges[i].first - kRate / 10; at <= ranges[i].first + kRate / 10 && !found; ++at) {
            found = at >= 0 && std::equal(live.begin(), live.end(), played.begin() + at * 2);
        }
        EXPECT_TRUE(found) << "no slice of the side near " << ranges[i].first;
    }
}

}  // namespace
}  // namespace zolvane2
