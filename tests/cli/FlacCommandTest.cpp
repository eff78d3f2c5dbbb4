#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/CliProcess.h"
#include "support/FlacTool.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using JobBytes = test::Bytes;

// Three pieces of music between quiet gaps, as a side of a record.
JobBytes Side() {
    const JobBytes music = test::MusicLikePcm(3 * 44100, 2, 7);
    std::vector<std::int16_t> quiet;
    test::AppendFrames(quiet, 4 * 44100, 2, 0);
    const JobBytes gap = test::Pcm(quiet);
    JobBytes side;
    for (int i = 0; i < 3; ++i) {
        side.insert(side.end(), music.begin() + i * 1000, music.end());
        side.insert(side.end(), gap.begin(), gap.end());
    }
    return side;
}

JobBytes DataOf(const std::string& wave) {
    const JobBytes all = test::ReadAll(wave);
    return all.size() < 44 ? JobBytes{} : JobBytes(all.begin() + 44, all.end());
}

class FlacCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::HaveFlacTools()) {
            GTEST_SKIP() << "flac/metaflac not installed";
        }
        side_ = Side();
        test::WriteWave(dir_.File("side.wav"), 2, 44100, side_);
        // A FLAC file of the reference encoder, not of this program.
        ASSERT_EQ(test::Shell("flac -s -5 -o " + test::Quoted(dir_.File("side.flac")) + " " +
                              test::Quoted(dir_.File("side.wav"))),
                  0);
        std::filesystem::create_directory(dir_.File("w"));
        std::filesystem::rename(dir_.File("side.wav"), dir_.File("w/side.wav"));
    }
    test::TempDir dir_;
    JobBytes side_;
};

// Re-divide of a FLAC source into FLAC gives the very pieces the WAVE path
// gives, tagged; cutting at a cue sheet made for the WAVE serves the FLAC;
// joining WAVE and FLAC into FLAC gives the whole side back, keeping the
// first piece's album tags, with a cue sheet of the pieces; info shows it.
TEST_F(FlacCommandTest, SplitAndJoinGiveTheWavePathsFramesWithTags) {
    const auto wave = test::RunCliIn(dir_.Path(), {"split", "--min-length", "500", "w/side.wav"});
    ASSERT_EQ(wave.status, 0) << wave.err;
    ASSERT_EQ(wave.Lines().size(), 3U);
    const auto flac = test::RunCliIn(dir_.Path(), {"split", "--min-length", "500", "--format", "flac", "--artist",
                                                   "Ånna", "--album", "Side A", "side.flac"});
    ASSERT_EQ(flac.status, 0) << flac.err;
    ASSERT_EQ(flac.Lines().size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(flac.Lines()[i], dir_.File("side-0000" + std::to_string(i + 1) + ".flac"));
        EXPECT_TRUE(test::FlacDecode(flac.Lines()[i]) == DataOf(wave.Lines()[i])) << i;
    }
    EXPECT_EQ(test::ShellOutput("metaflac --export-tags-to=- " + test::Quoted(flac.Lines()[1])),
              "ARTIST=Ånna\nALBUM=Side A\nALBUMARTIST=Ånna\nTRACKNUMBER=2\n");

    test::WriteFile(dir_.File("side.cue"), [] {
        const std::string cue =
            "FILE \"side.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
            "  TRACK 02 AUDIO\n    INDEX 01 00:07:00\n";
        return JobBytes(cue.begin(), cue.end());
    }());
    std::filesystem::create_directory(dir_.File("c"));
    std::filesystem::copy_file(dir_.File("side.flac"), dir_.File("c/side.flac"));
    const auto cut = test::RunCliIn(dir_.Path(), {"split", "--from-cue", "side.cue", "c/side.flac"});
    ASSERT_EQ(cut.status, 0) << cut.err;
    ASSERT_EQ(cut.Lines().size(), 2U);
    EXPECT_TRUE(DataOf(cut.Lines()[0]) == JobBytes(side_.begin(), side_.begin() + 7 * 44100 * 4));

    const auto join = test::RunCliIn(
        dir_.Path(), {"join", "-o", "all.flac", "--cue", "all.cue", flac.Lines()[0], wave.Lines()[1], flac.Lines()[2]});
    ASSERT_EQ(join.status, 0) << join.err;
    JobBytes joined;
    for (const auto& piece : wave.Lines()) {
        const JobBytes d = DataOf(piece);
        joined.insert(joined.end(), d.begin(), d.end());
    }
    EXPECT_TRUE(test::FlacDecode(dir_.File("all.flac")) == joined);
    EXPECT_EQ(test::ShellOutput("metaflac --show-tag=ALBUM --show-tag=ARTIST " + test::Quoted(dir_.File("all.flac"))),
              "ALBUM=Side A\nARTIST=Ånna\n");
    const JobBytes sheet = test::ReadAll(dir_.File("all.cue"));
    const std::string text(sheet.begin(), sheet.end());
    EXPECT_EQ(text.rfind("FILE \"all.flac\" WAVE\n", 0), 0U) << text;
    std::size_t tracks = 0;
    for (std::size_t at = text.find("  TRACK "); at != std::string::npos; at = text.find("  TRACK ", at + 1)) {
        ++tracks;
    }
    EXPECT_EQ(tracks, 3U) << text;

    const auto info = test::RunCliIn(dir_.Path(), {"info", "all.flac"});
    ASSERT_EQ(info.status, 0) << info.err;
    ASSERT_EQ(info.Lines().size(), 1U);
    EXPECT_NE(info.out.find("\tStereo\t44100\t" + dir_.Path() + "/\t0\t" + std::to_string(joined.size()) + "\n"),
              std::string::npos)
        << info.out;
}

}  // namespace
}  // namespace zolvane2
