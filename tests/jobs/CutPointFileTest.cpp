#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "jobs/CutPointFile.h"
#include "platform/Errors.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using Problem = CutPointFileError::Problem;

Problem ProblemOf(const std::string& text, int& line, bool cue = false) {
    try {
        (void)(cue ? CutPointFile::PiecesFromCue(text, 100, 1000) : CutPointFile::PiecesFromLabels(text, 100, 1000));
    } catch (const CutPointFileError& e) {
        line = e.Line();
        return e.What();
    }
    ADD_FAILURE() << text;
    return Problem::Empty;
}

TEST(CutPointFileTest, PointLabelsCutConsecutivePiecesAndRegionsStopAtTheEnd) {
    // 100 Hz, 1000 frames. A point at 0 cuts off nothing; Audacity's line of
    // a spectral label is skipped; CR LF ends are taken.
    EXPECT_EQ(CutPointFile::PiecesFromLabels("0\t0\tstart\r\n2.004\t2.004\n\\\t100\t200\n7,5\t7,5\tx\n", 100, 1000),
              (std::vector<CutPoint>{{0, 200, ""}, {200, 750, ""}, {750, 1000, ""}}));
    EXPECT_EQ(CutPointFile::PiecesFromLabels("9\t12\tlast\n1 2 first\n", 100, 1000),
              (std::vector<CutPoint>{{900, 1000, ""}, {100, 200, ""}}));
    int line = 0;
    EXPECT_EQ(ProblemOf("1\t2\ta\n\n3\t3\tb\n", line), Problem::Mixed);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(ProblemOf("5\t5\n4\t4\n", line), Problem::GoesBack);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(ProblemOf("2\t1\n", line), Problem::EndBeforeStart);
    EXPECT_EQ(ProblemOf("11\t12\n", line), Problem::PastEnd);
    EXPECT_EQ(ProblemOf("-1\t2\n", line), Problem::BadTime);
    EXPECT_EQ(ProblemOf("\n \n", line), Problem::Empty);
    EXPECT_EQ(line, 0);
}

TEST(CutPointFileTest, CueIndexesRoundToTheNearestFrameBothWays) {
    // 00:00:01 is 1/75 s: 588 frames at 44,100 Hz; the writer rounds 294 up
    // to 1/75 s and 293 down to 0.
    EXPECT_EQ(CutPointFile::PiecesFromCue("FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:00:01\n"
                                          "TRACK 02 AUDIO\nINDEX 01 01:00:74\n",
                                          44100, 3000000),
              (std::vector<CutPoint>{{588, 2646000 + 43512, ""}, {2646000 + 43512, 3000000, ""}}));
    EXPECT_NE(CutPointFile::CueText({{294, 300, "a"}}, 44100, "a.raw").find("BINARY\n"), std::string::npos);
    EXPECT_NE(CutPointFile::CueText({{294, 300, "a"}}, 44100, "a.wav").find("INDEX 01 00:00:01\n"), std::string::npos);
    EXPECT_NE(CutPointFile::CueText({{293, 300, "a"}}, 44100, "a.wav").find("INDEX 01 00:00:00\n"), std::string::npos);
    int line = 0;
    EXPECT_EQ(ProblemOf("TRACK 01 AUDIO\nTITLE \"x\"\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n", line, true),
              Problem::NoIndex);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(ProblemOf("TRACK 01 AUDIO\nINDEX 01 00:60:00\n", line, true), Problem::BadTime);
    EXPECT_EQ(line, 2);
}

// Times past 64-bit frame numbers used to wrap into other places; a label
// file whose every region is under a frame used to give no piece at all,
// which the cutter took as "cut by silence". Old Mac line ends and a
// byte-order mark used to be refused.
TEST(CutPointFileTest, TimesThatDoNotFitAndLabelsWithoutPiecesAreRefusedEveryLineEndIsTaken) {
    int line = 0;
    EXPECT_EQ(ProblemOf("1\t2\n300000000000000000\t300000000000000001\tx\n", line), Problem::TooLarge);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(ProblemOf("0\t0\n99999999999999999999\t99999999999999999999\n", line), Problem::TooLarge);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(ProblemOf("1\t1.00001\tx\n", line), Problem::NoPiece);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(ProblemOf("TRACK 01 AUDIO\nINDEX 01 1152921504606846976:05:00\n", line, true), Problem::TooLarge);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(ProblemOf("TRACK 01 AUDIO\nINDEX 01 99999999999999999999:00:00\n", line, true), Problem::TooLarge);
    EXPECT_EQ(ProblemOf("TRACK 01 AUDIO\nINDEX 01 -1:00:00\n", line, true), Problem::BadTime);
    const std::vector<CutPoint> lf{{100, 200, ""}, {300, 400, ""}};
    EXPECT_EQ(CutPointFile::PiecesFromLabels("1\t2\ta\r3\t4\tb\r", 100, 1000), lf);
    EXPECT_EQ(CutPointFile::PiecesFromLabels("\xEF\xBB\xBF"
                                             "1\t2\ta\r\n\r\n3\t4\tb",
                                             100, 1000),
              lf);
    EXPECT_EQ(ProblemOf("1\t2\r\r2\t1\r", line), Problem::EndBeforeStart);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(CutPointFile::PiecesFromCue("\xEF\xBB\xBFTRACK 01 AUDIO\rINDEX 01 00:03:00\r", 100, 1000),
              (std::vector<CutPoint>{{300, 1000, ""}}));
}

// What a run may write over: its own kind of file only.
TEST(CutPointFileTest, OnlyLabelFilesAndCueSheetsCountAsCutPointText) {
    for (const char* text : {"", " \n\r\n", "1\t2\tx\n\\\t10\t20\n", "0\t0\n", "FILE \"a.wav\" WAVE\n",
                             "REM x\nFILE \"a\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 99:00:00\n"}) {
        EXPECT_TRUE(CutPointFile::IsCutPointText(text)) << text;
    }
    const std::string wave("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20);
    for (const std::string& text : {wave, std::string("[tsCut]\nLevel=300\n"), std::string("\\\t1\t2\n"),
                                    std::string("TITLE x\nhello\n"), std::string("1\t2\n3\t3\n")}) {
        EXPECT_FALSE(CutPointFile::IsCutPointText(text)) << text;
    }
}

// The writer's temporary file used to be opened through a link and truncate
// its target; reading a pipe hung and a device grew without end.
TEST(CutPointFileTest, TheWriterNeverFollowsALinkAndTheReaderTakesRegularFilesOnly) {
    test::TempDir dir;
    const std::string target = dir.File("cuts.txt");
    const std::string victim = dir.File("victim.wav");
    test::WriteFile(victim, {1, 2, 3});
    ASSERT_EQ(::symlink(victim.c_str(), (target + ".part").c_str()), 0);
    EXPECT_THROW(CutPointFile::WriteWhole(target, "1\t2\n"), WriteError);
    EXPECT_EQ(test::ReadAll(victim), (test::Bytes{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(target));
    // A regular file left by a killed run is taken over.
    ASSERT_EQ(::unlink((target + ".part").c_str()), 0);
    test::WriteFile(target + ".part", {'x'});
    CutPointFile::WriteWhole(target, "1\t2\n");
    EXPECT_EQ(CutPointFile::ReadWhole(target), "1\t2\n");
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));

    const auto codeOf = [](const std::string& path) {
        try {
            (void)CutPointFile::ReadWhole(path);
        } catch (const ReadError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            return e.Code();
        }
        return 0;
    };
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(codeOf(dir.File("fifo")), EINVAL);
    EXPECT_EQ(codeOf("/dev/zero"), EINVAL);
    EXPECT_EQ(codeOf(dir.Path()), EISDIR);
    EXPECT_EQ(codeOf(dir.File("missing.txt")), ENOENT);
    test::WriteFile(dir.File("huge.txt"), {});
    ASSERT_TRUE(test::ResizeSparse(dir.File("huge.txt"), CutPointFile::kMaxFileBytes + 1));
    EXPECT_EQ(codeOf(dir.File("huge.txt")), EFBIG);
}

}  // namespace
}  // namespace zolvane2
