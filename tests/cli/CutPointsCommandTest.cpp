#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/CliProcess.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using test::Bytes;

constexpr std::int64_t kFrame = 4;  // stereo

// Stereo 44,100 Hz: quiet 1 s, loud 2 s, quiet 4 s, a click of 10 frames at
// frame 308,700, quiet 4 s, loud 1 s, quiet 4 s (705,610 frames).
Bytes SongClickSong() {
    std::vector<std::int16_t> s;
    test::AppendFrames(s, 44100, 2, 0);
    test::AppendFrames(s, 88200, 2, 9000);
    test::AppendFrames(s, 176400, 2, 0);
    test::AppendFrames(s, 10, 2, 20000);
    test::AppendFrames(s, 176400, 2, 0);
    test::AppendFrames(s, 44100, 2, -9000);
    test::AppendFrames(s, 176400, 2, 0);
    return test::Pcm(s);
}

Bytes Slice(const Bytes& data, std::int64_t fromFrame, std::int64_t toFrame) {
    return Bytes(data.begin() + fromFrame * kFrame, data.begin() + toFrame * kFrame);
}

std::string Text(const std::string& path) {
    const Bytes b = test::ReadAll(path);
    return std::string(b.begin(), b.end());
}

class CutPointsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = SongClickSong();
        test::WriteWave(dir_.File("side.wav"), 2, 44100, data_);
    }
    test::TempDir dir_;
    Bytes data_;
};

// Labels out give the times of the very pieces written, a dry run the same
// labels without pieces, and cutting from them gives the pieces back byte for
// byte. The click between the songs and the held pre-roll at the end are
// shorter than the minimum length and are left out.
TEST_F(CutPointsCommandTest, LabelsOutMatchThePiecesAndCutBackToTheSameBytes) {
    const auto dry =
        test::RunCliIn(dir_.Path(), {"split", "--min-length=1500", "--dry-run", "--labels", "dry.txt", "side.wav"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("side-00001.wav")));

    const auto r = test::RunCliIn(
        dir_.Path(), {"split", "--min-length", "1500", "--labels", "cuts.txt", "--cue", "cuts.cue", "side.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "zolvane2-cli split: 2 piece(s) shorter than --min-length left out\n");
    ASSERT_EQ(r.Lines(), (std::vector<std::string>{dir_.File("side-00001.wav"), dir_.File("side-00002.wav")}));
    EXPECT_EQ(Text(dir_.File("cuts.txt")),
              "0.900000\t4.000023\tside-00001.wav\n10.900227\t13.000249\tside-00002.wav\n");
    EXPECT_EQ(Text(dir_.File("dry.txt")), Text(dir_.File("cuts.txt")));
    std::istringstream labels(Text(dir_.File("cuts.txt")));
    for (const std::string& piece : r.Lines()) {
        double start = 0;
        double end = 0;
        std::string name;
        ASSERT_TRUE(labels >> start >> end >> name);
        EXPECT_EQ(dir_.File(name), piece);
        EXPECT_EQ(test::DataOf(piece), Slice(data_, std::llround(start * 44100), std::llround(end * 44100))) << piece;
    }
    EXPECT_EQ(Text(dir_.File("cuts.cue")),
              "FILE \"side.wav\" WAVE\n"
              "  TRACK 01 AUDIO\n    TITLE \"side-00001.wav\"\n    INDEX 01 00:00:68\n"
              "  TRACK 02 AUDIO\n    TITLE \"side-00002.wav\"\n    INDEX 01 00:10:68\n");

    const auto back = test::RunCliIn(dir_.Path(), {"split", "--from-labels", "cuts.txt", "side.wav"});
    ASSERT_EQ(back.status, 0) << back.err;
    ASSERT_EQ(back.Lines(), (std::vector<std::string>{dir_.File("side-00003.wav"), dir_.File("side-00004.wav")}));
    EXPECT_EQ(test::ReadAll(back.Lines()[0]), test::ReadAll(r.Lines()[0]));
    EXPECT_EQ(test::ReadAll(back.Lines()[1]), test::ReadAll(r.Lines()[1]));
}

// A cue sheet of consecutive pieces cuts the source back into pieces whose
// bounds are within its 1/75 s of the first ones, and which together hold
// every frame.
TEST_F(CutPointsCommandTest, CueOfIntervalPiecesCutsBackWithinItsRounding) {
    const auto r = test::RunCliIn(
        dir_.Path(), {"split", "--mode", "interval", "--length", "3", "--digits", "2", "--cue", "i.cue", "side.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto back = test::RunCliIn(dir_.Path(), {"split", "--from-cue", "i.cue", "--digits", "2", "side.wav"});
    ASSERT_EQ(back.status, 0) << back.err;
    ASSERT_EQ(back.Lines().size(), r.Lines().size());
    Bytes joined;
    std::int64_t originalEnd = 0;
    std::int64_t cueEnd = 0;
    for (std::size_t i = 0; i < r.Lines().size(); ++i) {
        const Bytes piece = test::DataOf(back.Lines()[i]);
        originalEnd += static_cast<std::int64_t>(test::DataOf(r.Lines()[i]).size()) / kFrame;
        cueEnd += static_cast<std::int64_t>(piece.size()) / kFrame;
        EXPECT_LE(std::abs(cueEnd - originalEnd), 44100 / 150) << back.Lines()[i];
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(joined, data_);
}

TEST_F(CutPointsCommandTest, BadLabelAndCueFilesNameTheLineAndWriteNothing) {
    test::WriteFile(dir_.File("bad.txt"),
                    {'1', '\t', '2', '\t', 'a', '\n', '\\', '\t', '1', '\n', '3', '\t', 'x', '\n'});
    const auto labels = test::RunCliIn(dir_.Path(), {"split", "--from-labels", "bad.txt", "side.wav"});
    EXPECT_EQ(labels.status, 1);
    EXPECT_EQ(labels.err.rfind(dir_.File("bad.txt") + ":3: ", 0), 0U) << labels.err;
    const std::string cue =
        "FILE \"side.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:05:00\n"
        "  TRACK 02 AUDIO\n    INDEX 00 00:01:00\n    INDEX 01 00:04:74\n";
    test::WriteFile(dir_.File("bad.cue"), Bytes(cue.begin(), cue.end()));
    const auto sheet = test::RunCliIn(dir_.Path(), {"split", "--from-cue", "bad.cue", "side.wav"});
    EXPECT_EQ(sheet.status, 1);
    EXPECT_NE(sheet.err.find("bad.cue:6: this cut point lies before the one above it"), std::string::npos) << sheet.err;
    EXPECT_EQ(test::RunCliIn(dir_.Path(), {"split", "--dry-run", "side.wav"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("side-00001.wav")));
}

// --labels and --cue used to replace whatever was at their path: the source,
// a track file of the run, any other file. Each refusal comes before any
// piece or recording and leaves every file as it was.
TEST_F(CutPointsCommandTest, CutPointFilesNeverReplaceAnInputATrackFileOrAnyOtherFile) {
    const Bytes source = test::ReadAll(dir_.File("side.wav"));
    test::WriteWave(dir_.File("side-00001.wav"), 2, 44100, Slice(data_, 0, 100));
    test::WriteWave(dir_.File("m00001.wav"), 2, 44100, Slice(data_, 0, 200));
    const std::string notes = "shopping list\n";
    test::WriteFile(dir_.File("notes.txt"), Bytes(notes.begin(), notes.end()));
    test::WriteFile(dir_.File("in.txt"), {'1', '\t', '2', '\n'});
    test::WriteFile(dir_.File("victim.txt"), {'v'});
    test::WriteFile(dir_.File("empty.ini"), {});  // reads as no labels, and as default settings
    ASSERT_EQ(::symlink("victim.txt", dir_.File("out.txt.part").c_str()), 0);
    const auto before = [this] {
        std::vector<Bytes> all;
        for (const auto& name : dir_.Names()) {
            all.push_back(test::ReadAll(dir_.File(name)));
        }
        return all;
    }();
    const std::vector<std::string> names = dir_.Names();
    const std::vector<std::vector<std::string>> refused{
        {"split", "--dry-run", "--labels", "side.wav", "side.wav"},
        {"split", "--dry-run", "--cue", "./side.wav", dir_.File("side.wav")},
        {"split", "--labels", "side-00001.wav", "side.wav"},
        {"split", "--digits", "2", "--cue", "side-00123_tooLONG.wav", "side.wav"},
        {"split", "--dry-run", "--labels", "x.txt", "--cue", "./x.txt", "side.wav"},
        {"split", "--dry-run", "--labels", "notes.txt", "side.wav"},
        {"split", "--dry-run", "--labels", ".", "side.wav"},
        {"split", "--from-labels", "in.txt", "--labels", "in.txt", "side.wav"},
        {"split", "--dry-run", "--labels", "out.txt", "side.wav"},
        {"record", "--mode", "none", "--labels", "m00001.wav", "m.wav"},
        {"record", "--mode", "none", "--cue", "m00002.raw", "m"},
        {"record", "--mode", "none", "--labels", "notes.txt", "m.wav"},
        {"split", "--settings", "empty.ini", "--dry-run", "--labels", "empty.ini", "side.wav"},
        {"record", "--settings", "empty.ini", "--mode", "none", "--cue", "./empty.ini", "m"},
    };
    for (const auto& args : refused) {
        const auto r = test::RunCliIn(dir_.Path(), args);
        EXPECT_EQ(r.status, 2) << args[3] << ' ' << args[4] << ": " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(": --"), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir_.Names(), names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(test::ReadAll(dir_.File(names[i])), before[i]) << names[i];
    }
    EXPECT_EQ(test::ReadAll(dir_.File("side.wav")), source);
    const auto ja = test::RunCli({"split", "--dry-run", "--labels", "side.wav", "side.wav"},
                                 test::CliOptions().In(dir_.Path()).Locale("ja_JP.UTF-8"));
    EXPECT_EQ(ja.status, 2);
    EXPECT_NE(ja.err.find("置き換えません"), std::string::npos) << ja.err;
    // A label file or cue sheet of an earlier run is replaced.
    const auto again = test::RunCliIn(dir_.Path(), {"split", "--dry-run", "--labels", "in.txt", "side.wav"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(Text(dir_.File("in.txt")), "1\t2\n");
}

// Each of these once cut wrongly, or not at all, with exit 0; or hung.
TEST_F(CutPointsCommandTest, CutPointFilesThatCannotBeFollowedAreRefusedBeforeAnyCut) {
    const auto write = [this](const std::string& name, const std::string& text) {
        test::WriteFile(dir_.File(name), Bytes(text.begin(), text.end()));
    };
    write("sub.txt", "1\t1.00001\tx\n");
    write("far.txt", "0\t0\n300000000000000\t300000000000000\n");
    write("far.cue", "FILE \"side.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 1152921504606846976:05:00\n");
    // A sheet whose track belongs to another file used to cut side.wav at
    // that track's time and exit 0.
    write("two.cue",
          "FILE \"side.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:01:00\n"
          "FILE \"b.wav\" WAVE\n  TRACK 02 AUDIO\n    INDEX 01 00:03:00\n");
    write("other.cue", "FILE \"b.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:01:00\n");
    ASSERT_EQ(::mkfifo(dir_.File("fifo.txt").c_str(), 0600), 0);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--from-cue", "two.cue"},
         dir_.File("two.cue") + ":4: a second FILE: a sheet of several files cannot cut "
                                "one; nothing was cut\n  FILE \"b.wav\" WAVE\n"},
        {{"--from-cue", "other.cue"},
         dir_.File("other.cue") + ":1: this FILE is not the file being cut; nothing "
                                  "was cut\n  FILE \"b.wav\" WAVE\n"},
        {{"--from-labels", "sub.txt"}, dir_.File("sub.txt") + ": gives no piece"},
        {{"--from-labels", "far.txt"}, dir_.File("far.txt") + ":2: this time is too large"},
        {{"--from-cue", "far.cue"}, dir_.File("far.cue") + ":3: this time is too large"},
        {{"--from-labels", "fifo.txt"}, dir_.File("fifo.txt") + ": not a regular file"},
        {{"--from-cue", "."}, ": Is a directory"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> args{"split"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("side.wav");
        const auto r = test::RunCliIn(dir_.Path(), args);
        EXPECT_EQ(r.status, 1) << options[1];
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("side-00001.wav")));
    // Old Mac line ends and a byte-order mark are followed.
    write("mac.txt",
          "\xEF\xBB\xBF"
          "1\t2\ta\r3\t4\tb\r");
    const auto mac = test::RunCliIn(dir_.Path(), {"split", "--from-labels", "mac.txt", "side.wav"});
    ASSERT_EQ(mac.status, 0) << mac.err;
    ASSERT_EQ(mac.Lines().size(), 2U);
    EXPECT_EQ(test::DataOf(mac.Lines()[1]), Slice(data_, 3 * 44100, 4 * 44100));
}

}  // namespace
}  // namespace zolvane2
