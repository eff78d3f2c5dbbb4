#include <array>
#include <filesystem>

#include <gtest/gtest.h>

#include "jobs/DiskSpace.h"
#include "support/CliProcess.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

class JoinCommandTest : public ::testing::Test {
protected:
    test::TempDir dir_;
};

TEST_F(JoinCommandTest, JoinsTheDataInOrderAndPrintsTheOutput) {
    const Bytes a = test::CountingData(409600 + 100);
    const Bytes b = test::CountingData(3000);
    test::WriteWave(dir_.File("a.wav"), 1, 48000, a, test::WaveOptions::Trailing({'j', 'u', 'n', 'k', 0, 0, 0, 0}));
    test::WriteWave(dir_.File("b.WAV"), 1, 48000, b);
    const auto r = test::RunCliIn(dir_.Path(), {"join", "-o", "both", "a.wav", "b.WAV"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(r.Lines(), std::vector<std::string>{dir_.File("both.wav")});
    Bytes expected = test::WaveHeader(1, 48000, static_cast<std::uint32_t>(a.size() + b.size()));
    expected.insert(expected.end(), a.begin(), a.end());
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(test::ReadAll(dir_.File("both.wav")), expected);
}

TEST_F(JoinCommandTest, RawOutputByExtensionAndRawSourcesByRateAndChannels) {
    const Bytes a = test::CountingData(5000);
    test::WriteWave(dir_.File("a.wav"), 2, 44100, a);
    test::WriteFile(dir_.File("b.raw"), a);
    const auto r = test::RunCliIn(dir_.Path(), {"join", "--output=out.RAW", "a.wav", "b.raw"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines(), std::vector<std::string>{dir_.File("out.RAW")});
    Bytes expected = a;
    expected.insert(expected.end(), a.begin(), a.end());
    EXPECT_EQ(test::ReadAll(dir_.File("out.RAW")), expected);

    // The same RAW file read as mono does not match a stereo WAVE.
    const auto mono = test::RunCliIn(dir_.Path(), {"join", "-o", "x.wav", "--channels", "1", "a.wav", "b.raw"});
    EXPECT_EQ(mono.status, 1);
}

TEST_F(JoinCommandTest, DifferentParametersAreRefusedWithTheOffendingFile) {
    test::WriteWave(dir_.File("s.wav"), 2, 44100, test::CountingData(400));
    test::WriteWave(dir_.File("m.wav"), 1, 44100, test::CountingData(400));
    test::WriteWave(dir_.File("r.wav"), 2, 48000, test::CountingData(400));
    const auto channels = test::RunCliIn(dir_.Path(), {"join", "-o", "o.wav", "s.wav", "m.wav"});
    EXPECT_EQ(channels.status, 1);
    EXPECT_EQ(channels.out, "");
    EXPECT_EQ(channels.err, "Error: Files with different parameters cannot be joined.\n  " + dir_.File("m.wav") + "\n");
    const auto rate = test::RunCliIn(dir_.Path(), {"join", "-o", "o.wav", "s.wav", "s.wav", "r.wav"});
    EXPECT_EQ(rate.status, 1);
    EXPECT_NE(rate.err.find(dir_.File("r.wav")), std::string::npos);
    // Three channels never match, also when that file comes first.
    test::WriteWave(dir_.File("t.wav"), 3, 44100, test::CountingData(600));
    for (const auto& order : {std::vector<std::string>{"t.wav", "s.wav"}, {"s.wav", "t.wav"}}) {
        std::vector<std::string> args{"join", "-o", "o.wav"};
        args.insert(args.end(), order.begin(), order.end());
        const auto three = test::RunCliIn(dir_.Path(), args);
        EXPECT_EQ(three.status, 1);
        EXPECT_NE(three.err.find("Files with different parameters"), std::string::npos) << three.err;
        EXPECT_NE(three.err.find(dir_.File("t.wav")), std::string::npos) << three.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("o.wav")));
}

TEST_F(JoinCommandTest, OfTwoJoinsRacingForOneNameExactlyOneSucceeds) {
    const Bytes a = test::CountingData(3 * 409600);
    // Sources of their own: a source is read under an exclusive lock, and
    // the race here is for the output's name.
    test::WriteWave(dir_.File("a.wav"), 2, 44100, a);
    test::WriteWave(dir_.File("b.wav"), 2, 44100, a);
    for (int round = 0; round < 5; ++round) {
        const std::string name = "race" + std::to_string(round) + ".wav";
        test::CliProcess first({"join", "-o", name, "a.wav", "a.wav"}, test::CliOptions().In(dir_.Path()));
        test::CliProcess second({"join", "-o", name, "b.wav", "b.wav"}, test::CliOptions().In(dir_.Path()));
        const int firstStatus = first.Wait(60s);
        const int secondStatus = second.Wait(60s);
        EXPECT_EQ((firstStatus == 0 ? 1 : 0) + (secondStatus == 0 ? 1 : 0), 1) << round << first.err << second.err;
        EXPECT_EQ(test::SizeOf(dir_.File(name)), 44 + 2 * static_cast<std::int64_t>(a.size())) << round;
    }
}

TEST_F(JoinCommandTest, NeverReplacesAFileLeastOfAllASource) {
    const Bytes a = test::CountingData(2000);
    test::WriteWave(dir_.File("a.wav"), 2, 44100, a);
    test::WriteWave(dir_.File("b.wav"), 2, 44100, a);
    const auto self = test::RunCliIn(dir_.Path(), {"join", "-o", "a.wav", "a.wav", "b.wav"});
    EXPECT_EQ(self.status, 1);
    EXPECT_NE(self.err.find("is one of the files to join"), std::string::npos);
    const auto other = test::RunCliIn(dir_.Path(), {"join", "-o", "b.wav", "a.wav"});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(test::SizeOf(dir_.File("a.wav")), 2044);
    EXPECT_EQ(test::SizeOf(dir_.File("b.wav")), 2044);
}

TEST_F(JoinCommandTest, NotEnoughFreeSpace) {
    // Sparse sources that claim more than the disk holds.
    const std::int64_t free = FreeDiskBytes(dir_.Path());
    ASSERT_GT(free, 0);
    const std::int64_t half = free / 2 + 1024 * 1024;
    ASSERT_TRUE(test::ResizeSparse(dir_.File("a.raw"), half));
    ASSERT_TRUE(test::ResizeSparse(dir_.File("b.raw"), half));
    const auto r = test::RunCliIn(dir_.Path(), {"join", "-o", "o.raw", "a.raw", "b.raw"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Size over: There is not enough free disk space.\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("o.raw")));
}

TEST_F(JoinCommandTest, EmptySourcesWriteNothing) {
    test::WriteWave(dir_.File("e.wav"), 2, 44100, {});
    const auto r = test::RunCliIn(dir_.Path(), {"join", "-o", "o.wav", "e.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("o.wav")));
}

TEST_F(JoinCommandTest, UsageErrors) {
    test::WriteWave(dir_.File("a.wav"), 2, 44100, test::CountingData(40));
    for (const auto& args : std::vector<std::vector<std::string>>{{"join", "a.wav"},
                                                                  {"join", "-o", "o.wav"},
                                                                  {"join", "-o"},
                                                                  {"join", "-o", "o.wav", "--over-2g", "no", "a.wav"},
                                                                  {"join", "-o", "o.wav", "--rate", "x", "a.wav"},
                                                                  {"join", "-o", "o.wav", "-x", "a.wav"}}) {
        EXPECT_EQ(test::RunCliIn(dir_.Path(), args).status, 2) << args.back();
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("o.wav")));
}

// Above 2 GB into a WAVE target: the question unless answered.
class JoinOver2GTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::ResizeSparse(dir_.File("a.raw"), 1LL << 30));
        ASSERT_TRUE(test::ResizeSparse(dir_.File("b.raw"), (1LL << 30) + 4));
    }
    test::TempDir dir_{true};
};

TEST_F(JoinOver2GTest, TheQuestionIsPrintedAndNothingWritten) {
    const auto r = test::RunCliIn(dir_.Path(), {"join", "-o", "big.wav", "a.raw", "b.raw"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("Size over: A WAVE file cannot exceed 2 GB\nSave it in RAW format?\n", 0), 0U) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("big.wav")));
}

TEST_F(JoinOver2GTest, AnsweredRawWritesARawFile) {
    const auto r = test::RunCliIn(dir_.Path(), {"join", "-o", "big.wav", "--over-2g", "raw", "a.raw", "b.raw"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines(), std::vector<std::string>{dir_.File("big.raw")});
    EXPECT_EQ(test::SizeOf(dir_.File("big.raw")), (2LL << 30) + 4);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("big.wav")));
}

TEST_F(JoinOver2GTest, AnsweredWavWritesACappedTooLongFile) {
    const auto r = test::RunCliIn(dir_.Path(), {"join", "-o", "big.wav", "--over-2g=wav", "a.raw", "b.raw"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines(), std::vector<std::string>{dir_.File("big_tooLONG.wav")});
    EXPECT_EQ(test::SizeOf(dir_.File("big_tooLONG.wav")), (2LL << 30) + 4 + 44);
}

}  // namespace
}  // namespace zolvane2
