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

void WriteText(const std::string& path, const std::string& text) {
    test::WriteFile(path, JobBytes(text.begin(), text.end()));
}

std::string Tags(const std::string& path) {
    return test::ShellOutput("metaflac --export-tags-to=- " + test::Quoted(path));
}

// A track list names and tags the pieces in order: names made safe and cut to
// 255 bytes, a taken name numbered and left alone; a shorter list leaves the
// rest number names and a cue sheet longer than the pieces is said so, both on
// stderr. Gap mode reads a FLAC source's audio, not its compressed bytes.
TEST_F(FlacCommandTest, ATrackListNamesAndTagsThePiecesWithoutReplacingAFile) {
    const std::string longTitle(300, 'x');
    WriteText(dir_.File("list.txt"),
              "ARTIST: Band\nALBUM: Tape\nDATE: 1979\nA1 First 0:07\n"
              "A2 Guest \xE2\x80\x93 Se/cond\nA3 " +
                  longTitle + " (0:07)\n");
    WriteText(dir_.File("A1 First.flac"), "mine");
    const auto named =
        test::RunCliIn(dir_.Path(), {"split", "--min-length", "500", "--format", "flac", "--track-list", "list.txt",
                                     "--name", "{pos} {title}", "--cue", "named.cue", "side.flac"});
    ASSERT_EQ(named.status, 0) << named.err;
    const std::string longName = "A3 " + std::string(255 - 3 - 5, 'x') + ".flac";
    EXPECT_EQ(named.Lines(), (std::vector<std::string>{dir_.File("A1 First (2).flac"), dir_.File("A2 Se_cond.flac"),
                                                       dir_.File(longName)}));
    // The cue sheet of the pieces holds every name whole, each with its INDEX.
    const JobBytes sheet = test::ReadAll(dir_.File("named.cue"));
    const std::string cueText(sheet.begin(), sheet.end());
    EXPECT_NE(cueText.find("TITLE \"" + longName + "\"\n    INDEX 01 "), std::string::npos) << cueText;
    // A short piece left out takes no entry of the list.
    EXPECT_EQ(named.err.find("track list"), std::string::npos) << named.err;
    EXPECT_TRUE(test::ReadAll(dir_.File("A1 First.flac")) == JobBytes({'m', 'i', 'n', 'e'}));
    EXPECT_EQ(Tags(dir_.File("A2 Se_cond.flac")),
              "TITLE=Se/cond\nARTIST=Guest\nALBUM=Tape\nALBUMARTIST=Band\nTRACKNUMBER=2\nTRACKTOTAL=3\nDATE=1979\n");
    EXPECT_EQ(Tags(dir_.File(longName)), "TITLE=" + longTitle +
                                             "\nARTIST=Band\nALBUM=Tape\nALBUMARTIST=Band\nTRACKNUMBER=3\n"
                                             "TRACKTOTAL=3\nDATE=1979\n");

    // Options win over the header; WAVE pieces are named as well.
    WriteText(dir_.File("two.txt"), "ALBUM: Tape\nOne\nTwo\n");
    const auto shorter =
        test::RunCliIn(dir_.Path(), {"split", "--min-length", "500", "--track-list", "two.txt", "--name",
                                     "{nn} {album} {title}", "--album", "Other", "w/side.wav"});
    ASSERT_EQ(shorter.status, 0) << shorter.err;
    EXPECT_EQ(shorter.Lines(),
              (std::vector<std::string>{dir_.File("w/01 Other One.wav"), dir_.File("w/02 Other Two.wav"),
                                        dir_.File("w/side-00003.wav")}));
    EXPECT_NE(shorter.err.find("names 2 tracks but there were 3 pieces; those beyond it keep number names"),
              std::string::npos)
        << shorter.err;

    std::filesystem::create_directory(dir_.File("c"));
    std::filesystem::copy_file(dir_.File("side.flac"), dir_.File("c/side.flac"));
    WriteText(dir_.File("c/side.cue"),
              "PERFORMER \"Band\"\nTITLE \"Tape\"\nFILE \"side.wav\" WAVE\n"
              "  TRACK 01 AUDIO\n    TITLE \"One\"\n    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    INDEX 01 00:07:00\n"
              "  TRACK 03 AUDIO\n    TITLE \"Three\"\n    INDEX 01 00:14:00\n"
              "  TRACK 04 AUDIO\n    TITLE \"Four\"\n    INDEX 01 00:21:00\n");
    const auto longer = test::RunCliIn(
        dir_.Path(), {"split", "--min-length", "500", "--format", "flac", "--track-list", "c/side.cue", "c/side.flac"});
    ASSERT_EQ(longer.status, 0) << longer.err;
    ASSERT_EQ(longer.Lines().size(), 3U);
    EXPECT_EQ(longer.Lines()[2], dir_.File("c/side-00003.flac"));
    EXPECT_EQ(Tags(longer.Lines()[2]),
              "TITLE=Three\nARTIST=Band\nALBUM=Tape\nALBUMARTIST=Band\nTRACKNUMBER=3\nTRACKTOTAL=4\n");
    EXPECT_NE(longer.err.find("names 4 tracks but there were 3 pieces; the rest of the list is unused"),
              std::string::npos)
        << longer.err;

    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"split", "--name", "{title}", "side.flac"},
          {"split", "--track-list", "list.txt", "--name", "{track}", "side.flac"},
          {"split", "--track-list", "list.txt", "side.flac", "w/side.wav"}}) {
        EXPECT_EQ(test::RunCliIn(dir_.Path(), refused).status, 2) << refused[2];
    }

    const auto gapsOf = [this](const std::string& source, const std::string& labels) {
        const auto r =
            test::RunCliIn(dir_.Path(), {"split", "--mode", "gaps", "--dry-run", "--labels", labels, source});
        EXPECT_EQ(r.status, 0) << r.err;
        std::string starts;
        for (const std::string& line : test::LinesOf([&] {
                 const JobBytes b = test::ReadAll(dir_.File(labels));
                 return std::string(b.begin(), b.end());
             }())) {
            starts += line.substr(0, line.find('\t', line.find('\t') + 1)) + "\n";
        }
        return starts;
    };
    const std::string fromWave = gapsOf("w/side.wav", "wave.txt");
    EXPECT_EQ(std::count(fromWave.begin(), fromWave.end(), '\n'), 3);
    EXPECT_EQ(gapsOf("side.flac", "flac.txt"), fromWave);
}

}  // namespace
}  // namespace zolvane2
