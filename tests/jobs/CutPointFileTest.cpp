#include <gtest/gtest.h>

#include "jobs/CutPointFile.h"

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

}  // namespace
}  // namespace zolvane2
