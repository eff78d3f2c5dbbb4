#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "jobs/TCutThread.h"
#include "platform/QueuedDispatcher.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using test::Bytes;

class TCutThreadTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainThreadDispatcher(&dispatcher_); }
    void TearDown() override {
        ThreadRegistry::JoinAll();
        SetMainThreadDispatcher(nullptr);
    }

    // Adds a WAVE source as the window would from its list row.
    void AddWave(TCutThread& job, std::size_t i, const std::string& path, int channels, int rate,
                 std::int64_t dataSize) {
        names_.push_back(path);
        job.SetFileNames(names_);
        job.SetDataOffsets(i, 44);
        job.SetDataLengths(i, dataSize);
        job.SetSampleRates(i, rate);
        job.SetChannelCounts(i, channels);
        total_ += dataSize;
        job.SetTotalBytes(total_);
    }

    static void NoCut(TCutThread& job) {
        job.SetUseTrigger(false);
        job.SetCutByInterval(false);
    }

    static void ExpectFinishedHeader(const std::string& piece, int channels, int rate) {
        const Bytes all = test::ReadAll(piece);
        ASSERT_GE(all.size(), 44U);
        EXPECT_EQ(test::ReadLe(all, 4), all.size() - 8);
        EXPECT_EQ(test::ReadLe(all, 40), all.size() - 44);
        EXPECT_EQ(test::ReadLe(all, 22, 2), channels);
        EXPECT_EQ(test::ReadLe(all, 24), static_cast<std::uint32_t>(rate));
        EXPECT_EQ(test::ReadLe(all, 28), static_cast<std::uint32_t>(rate * channels * 2));
    }

    QueuedDispatcher dispatcher_;
    test::TempDir dir_;
    std::vector<std::string> names_;
    std::int64_t total_ = 0;
};

TEST_F(TCutThreadTest, SettersClampTimesAndGrowArrays) {
    TCutThread job;
    job.SetTriggerDelay(-0.5);
    EXPECT_EQ(job.TriggerDelay(), 0.0);
    job.SetTrackInterval(-1);
    EXPECT_EQ(job.TrackInterval(), 0.0);
    job.SetTrackInterval(3.0);
    job.SetLastTimeAfterTrigger(5.0);
    EXPECT_EQ(job.LastTimeAfterTrigger(), 3.0);
    job.SetLastTimeAfterTrigger(-2.0);
    EXPECT_EQ(job.LastTimeAfterTrigger(), 0.0);
    job.SetLastTimeAfterTrigger(1.0);
    EXPECT_EQ(job.LastTimeAfterTrigger(), 1.0);
    // Writing index 3 first is allowed: the arrays grow to fit.
    job.SetDataOffsets(3, 44);
    job.SetChannelCounts(3, 2);
    EXPECT_EQ(TCutThread::OutputBaseFor("/a.b/Track00003.wav"), "/a.b/Track00003-");
    EXPECT_EQ(TCutThread::OutputBaseFor("/a.b/Take"), "/a.b/Take-");
}

TEST_F(TCutThreadTest, IntervalPiecesFollowTheBlocks) {
    // 1 s at 44,100 Hz stereo is 176,400 bytes, less than one 409,600-byte block.
    const std::string src = dir_.File("Track00001.wav");
    const std::int64_t size = 3 * 409600 + 1000;
    const Bytes data = test::CountingData(size);
    test::WriteWave(src, 2, 44100, data);
    TCutThread job;
    AddWave(job, 0, src, 2, 44100, size);
    job.SetUseTrigger(false);
    job.SetCutByInterval(true);
    job.SetIntervalSeconds(1.0);
    job.SetDigits(5);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), "");
    ASSERT_EQ(run.files.size(), 5U);
    const std::vector<std::int64_t> sizes{176400, 233200, 409600, 409600, 1000};
    Bytes joined;
    for (std::size_t i = 0; i < run.files.size(); ++i) {
        EXPECT_EQ(run.files[i],
                  dir_.File(test::NumberedName("Track00001-0000", static_cast<long long>(i + 1), ".wav")));
        EXPECT_EQ(test::SizeOf(run.files[i]), sizes[i] + 44) << run.files[i];
        ExpectFinishedHeader(run.files[i], 2, 44100);
        const Bytes d = test::DataOf(run.files[i]);
        joined.insert(joined.end(), d.begin(), d.end());
    }
    EXPECT_EQ(joined, data);
    ASSERT_FALSE(run.progress.empty());
    EXPECT_EQ(run.progress.back(), 100);
}

TEST_F(TCutThreadTest, RawPiecesOfARawSourceUseTheGivenFormat) {
    // A RAW source read as 8,000 Hz mono: 1 s = 16,000 bytes per piece; the
    // header is not counted for RAW pieces.
    const std::string src = dir_.File("take.raw");
    const Bytes data = test::CountingData(409600 + 20000);
    test::WriteFile(src, data);
    TCutThread job;
    names_ = {src};
    job.SetFileNames(names_);
    job.SetDataOffsets(0, 0);
    job.SetDataLengths(0, static_cast<std::int64_t>(data.size()));
    job.SetSampleRates(0, 8000);
    job.SetChannelCounts(0, 1);
    job.SetTotalBytes(static_cast<std::int64_t>(data.size()));
    job.SetUseTrigger(false);
    job.SetCutByInterval(true);
    job.SetIntervalSeconds(1.0);
    job.SetRawOutput(true);
    job.SetDigits(2);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    ASSERT_EQ(run.files.size(), 3U);
    EXPECT_EQ(run.files[0], dir_.File("take-01.raw"));
    EXPECT_EQ(test::SizeOf(run.files[0]), 16000);
    EXPECT_EQ(test::SizeOf(run.files[1]), 409600 - 16000);
    EXPECT_EQ(test::SizeOf(run.files[2]), 20000);
}

TEST_F(TCutThreadTest, CutOnceSplitsInTwoOrKeepsOnePiecePastTheEnd) {
    const std::string src = dir_.File("Song.wav");
    const Bytes data = test::CountingData(2 * 409600 + 4000);
    test::WriteWave(src, 2, 44100, data);
    {
        TCutThread job;
        AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
        job.SetUseTrigger(false);
        job.SetCutByInterval(false);
        job.SetCutOnce(true);
        job.SetIntervalSeconds(0.5);
        job.SetDigits(3);
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        ASSERT_EQ(run.files.size(), 2U);
        EXPECT_EQ(test::SizeOf(run.files[0]), 88200 + 44);
        EXPECT_EQ(test::SizeOf(run.files[1]), static_cast<std::int64_t>(data.size()) - 88200 + 44);
        for (const auto& f : run.files) {
            std::filesystem::remove(f);
        }
    }
    {
        TCutThread job;
        total_ = 0;
        names_.clear();
        AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
        job.SetUseTrigger(false);
        job.SetCutOnce(true);
        job.SetIntervalSeconds(3600.0);
        job.SetDigits(3);
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        ASSERT_EQ(run.files.size(), 1U);
        EXPECT_EQ(run.files[0], dir_.File("Song-001.wav"));
        EXPECT_EQ(test::DataOf(run.files[0]), data);
    }
}

// Mono 44,100 Hz, level 300, delay 0.1 s (4,410 frames), gap 1 s (44,100),
// tail 0.5 s (22,050): quiet 100,000 frames, loud 50,000, quiet 300,000,
// loud 50,000, quiet 300,000.
std::vector<std::int16_t> TwoTracksMono() {
    std::vector<std::int16_t> s;
    test::AppendFrames(s, 100000, 1, 10);
    test::AppendFrames(s, 50000, 1, -2000);
    test::AppendFrames(s, 300000, 1, 299);
    test::AppendFrames(s, 50000, 1, 301);
    test::AppendFrames(s, 300000, 1, 0);
    return s;
}

void TriggerSettings(TCutThread& job, double delay) {
    job.SetUseTrigger(true);
    job.SetTriggerLevel(300);
    job.SetTriggerDelay(delay);
    job.SetTrackInterval(1.0);
    job.SetLastTimeAfterTrigger(0.5);
    job.SetDigits(5);
}

TEST_F(TCutThreadTest, TriggerPiecesHoldPreRollTrackAndTail) {
    const auto samples = TwoTracksMono();
    const Bytes data = test::Pcm(samples);
    const std::string src = dir_.File("Side A.wav");
    test::WriteWave(src, 1, 44100, data);
    TCutThread job;
    AddWave(job, 0, src, 1, 44100, static_cast<std::int64_t>(data.size()));
    TriggerSettings(job, 0.1);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), "");
    ASSERT_EQ(run.files.size(), 3U);
    // Track 1: frames 95,590 (4,410 ahead of the first loud one) up to the
    // first quiet frame 150,000 plus the 22,050-frame tail.
    const Bytes track1(data.begin() + 95590 * 2, data.begin() + 172051 * 2);
    EXPECT_EQ(test::DataOf(run.files[0]), track1);
    const Bytes track2(data.begin() + 445590 * 2, data.begin() + 522051 * 2);
    EXPECT_EQ(test::DataOf(run.files[1]), track2);
    // The pre-trigger audio held at the end becomes a short last piece.
    EXPECT_EQ(test::DataOf(run.files[2]).size(), 4410U * 2);
    EXPECT_EQ(run.files[2], dir_.File("Side A-00003.wav"));
    ExpectFinishedHeader(run.files[0], 1, 44100);
}

TEST_F(TCutThreadTest, WithoutDelayTheEmptyLastPieceIsDeleted) {
    const Bytes data = test::Pcm(TwoTracksMono());
    const std::string src = dir_.File("b.wav");
    test::WriteWave(src, 1, 44100, data);
    TCutThread job;
    AddWave(job, 0, src, 1, 44100, static_cast<std::int64_t>(data.size()));
    TriggerSettings(job, 0.0);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    ASSERT_EQ(run.files.size(), 2U);
    EXPECT_EQ(test::DataOf(run.files[0]), Bytes(data.begin() + 100000 * 2, data.begin() + 172051 * 2));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("b-00003.wav")));
}

TEST_F(TCutThreadTest, TriggerRightAtTheStartAndSourceEndingInsideATrack) {
    // Loud from frame 100 to the end: the track starts at the first held
    // frame and takes everything, the held quiet run included.
    std::vector<std::int16_t> s;
    test::AppendFrames(s, 100, 2, 0);
    test::AppendFrames(s, 200000, 2, 5000);
    test::AppendFrames(s, 20000, 2, 0);  // shorter than the gap
    const Bytes data = test::Pcm(s);
    const std::string src = dir_.File("c.wav");
    test::WriteWave(src, 2, 44100, data);
    TCutThread job;
    AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
    TriggerSettings(job, 0.1);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    ASSERT_EQ(run.files.size(), 1U);
    EXPECT_EQ(test::DataOf(run.files[0]), data);
}

// Neither the chunks after the data nor half a frame at its end (a torn
// last frame) reach a piece.
TEST_F(TCutThreadTest, NoCutLeavesChunksAfterTheDataAndTornFramesOut) {
    const Bytes data = test::CountingData(409600 + 777 * 4 + 2);
    Bytes trailing{'L', 'I', 'S', 'T', 8, 0, 0, 0, 'I', 'N', 'F', 'O', 'a', 'b', 'c', 'd'};
    const std::string src = dir_.File("tagged.wav");
    test::WriteWave(src, 2, 44100, data, test::WaveOptions::Trailing(trailing));
    TCutThread job;
    AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
    NoCut(job);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    ASSERT_EQ(run.files.size(), 1U);
    EXPECT_EQ(test::DataOf(run.files[0]), Bytes(data.begin(), data.end() - 2));
}

TEST_F(TCutThreadTest, NumberingSkipsExistingPiecesAndRestartsPerSource) {
    const Bytes data = test::CountingData(409600 + 1000);
    const std::string a = dir_.File("Track00003.wav");
    const std::string b = dir_.File("Track00004.wav");
    test::WriteWave(a, 2, 44100, data);
    test::WriteWave(b, 2, 44100, data);
    test::WriteFile(dir_.File("Track00003-002.raw"), {1, 2});
    TCutThread job;
    AddWave(job, 0, a, 2, 44100, static_cast<std::int64_t>(data.size()));
    AddWave(job, 1, b, 2, 44100, static_cast<std::int64_t>(data.size()));
    job.SetUseTrigger(false);
    job.SetCutByInterval(true);
    job.SetIntervalSeconds(1.0);
    job.SetDigits(3);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    const std::vector<std::string> expected{dir_.File("Track00003-001.wav"), dir_.File("Track00003-003.wav"),
                                            dir_.File("Track00003-004.wav"), dir_.File("Track00004-001.wav"),
                                            dir_.File("Track00004-002.wav"), dir_.File("Track00004-003.wav")};
    EXPECT_EQ(run.files, expected);
    EXPECT_EQ(test::ReadAll(dir_.File("Track00003-002.raw")), (Bytes{1, 2}));
}

// A second split of the same source (or another program) creates the name a
// piece was about to get: the piece goes to the next free number, whole.
TEST_F(TCutThreadTest, ANameTakenJustBeforeTheCreateSendsThePieceToTheNextNumber) {
    const Bytes data = test::CountingData(176400 + 1000);  // two pieces
    const std::string src = dir_.File("Take.wav");
    test::WriteWave(src, 2, 44100, data);
    TCutThread job;
    AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
    job.SetUseTrigger(false);
    job.SetCutByInterval(true);
    job.SetIntervalSeconds(1.0);
    job.SetDigits(2);
    std::vector<std::string> toTake{dir_.File("Take-01.wav"), dir_.File("Take-03.wav"), dir_.File("Take-04.wav")};
    job.SetBeforeCreate([&](const std::string& name) {
        if (const auto it = std::find(toTake.begin(), toTake.end(), name); it != toTake.end()) {
            toTake.erase(it);
            test::WriteFile(name, {'x'});
        }
    });
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), "");
    EXPECT_EQ(run.files, (std::vector<std::string>{dir_.File("Take-02.wav"), dir_.File("Take-05.wav")}));
    Bytes joined;
    for (const auto& piece : run.files) {
        ExpectFinishedHeader(piece, 2, 44100);
        const Bytes d = test::DataOf(piece);
        joined.insert(joined.end(), d.begin(), d.end());
    }
    EXPECT_EQ(joined, data);
    EXPECT_EQ(test::ReadAll(dir_.File("Take-03.wav")), (Bytes{'x'}));
}

TEST_F(TCutThreadTest, NumbersGrowPastTheDigits) {
    const Bytes data = test::CountingData(1000);
    const std::string a = dir_.File("x.wav");
    test::WriteWave(a, 1, 8000, data);
    for (int n = 1; n <= 9; ++n) {
        test::WriteFile(dir_.File(test::NumberedName("x-", n, ".wav")), {0});
    }
    TCutThread job;
    AddWave(job, 0, a, 1, 8000, 1000);
    NoCut(job);
    job.SetDigits(1);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    ASSERT_EQ(run.files.size(), 1U);
    EXPECT_EQ(run.files[0], dir_.File("x-10.wav"));
}

TEST_F(TCutThreadTest, CancelInTheSecondOfThreeFiles) {
    const Bytes data = test::CountingData(3 * 409600 + 500);
    std::vector<std::string> srcs;
    TCutThread job;
    for (int i = 0; i < 3; ++i) {
        srcs.push_back(dir_.File(test::NumberedName("f", i, ".wav")));
        test::WriteWave(srcs.back(), 2, 44100, data);
        AddWave(job, static_cast<std::size_t>(i), srcs.back(), 2, 44100, static_cast<std::int64_t>(data.size()));
    }
    NoCut(job);
    // Interval pieces of 1 s: the first piece of the second file is finished
    // inside its first block; the cancel is seen before the second block.
    job.SetCutByInterval(true);
    job.SetIntervalSeconds(1.0);
    test::JobRun run;
    job.SetOnFileFinished([&run, &job](const std::string& path) {
        run.files.push_back(path);
        if (path.find("/f1-") != std::string::npos) {
            job.SetCancelRequested(true);
        }
    });
    run.finished = false;
    job.SetOnTerminate([&run] { run.finished = true; });
    job.Resume();
    ASSERT_TRUE(dispatcher_.PumpUntil([&run] { return run.finished; }, std::chrono::minutes(1)));
    job.WaitFor();
    // File 1: 176,400 / 233,200 / 409,600 / 409,600 / 500 bytes; file 2: its
    // first piece, then the rest of its first block, finished at the cancel.
    ASSERT_EQ(run.files.size(), 7U);
    EXPECT_EQ(run.files[5], dir_.File("f1-00001.wav"));
    EXPECT_EQ(run.files[6], dir_.File("f1-00002.wav"));
    EXPECT_EQ(test::DataOf(run.files[5]), Bytes(data.begin(), data.begin() + 176400));
    EXPECT_EQ(test::DataOf(run.files[6]), Bytes(data.begin() + 176400, data.begin() + 409600));
    ExpectFinishedHeader(run.files[6], 2, 44100);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("f1-00003.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("f2-00001.wav")));
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(job.ErrorMessage(), "");
}

// Audio that starts far into its file (behind a large chunk) is still read
// block by block, not in one read of all of it: a cancel at the first
// block's progress leaves a piece of that block alone.
TEST_F(TCutThreadTest, AudioFarIntoTheFileIsReadInBlocks) {
    constexpr std::int64_t kOffset = 44 + (std::int64_t{4} << 20);
    const Bytes data = test::CountingData(2 * 409600 + 4000);
    // Sized up front: growing it trips GCC's bounds analysis.
    Bytes file(static_cast<std::size_t>(kOffset) + data.size(), 0x55);
    std::copy(data.begin(), data.end(), file.begin() + kOffset);
    const std::string src = dir_.File("far.wav");
    test::WriteFile(src, file);
    TCutThread job;
    AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
    job.SetDataOffsets(0, kOffset);
    NoCut(job);
    test::JobRun run;
    test::RunJob<TCutThread>(job, run, dispatcher_, [](TCutThread& j, int) { j.SetCancelRequested(true); });
    ASSERT_EQ(run.files, std::vector<std::string>{dir_.File("far-00001.wav")});
    EXPECT_EQ(test::DataOf(run.files[0]), Bytes(data.begin(), data.begin() + 409600));
    EXPECT_EQ(run.progress.size(), 1U);
}

TEST_F(TCutThreadTest, ReadFailureFinishesTheOpenPieceAndKeepsTheError) {
    const Bytes data = test::CountingData(2 * 409600);
    const std::string src = dir_.File("short.wav");
    test::WriteWave(src, 2, 44100, data);
    TCutThread job;
    // The list says there is more data than the file holds.
    AddWave(job, 0, src, 2, 44100, 5 * 409600);
    NoCut(job);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), "ストリームからの読み込みエラー");
    EXPECT_TRUE(run.finished);
    const std::string piece = dir_.File("short-00001.wav");
    ASSERT_TRUE(std::filesystem::exists(piece));
    ExpectFinishedHeader(piece, 2, 44100);
    EXPECT_EQ(test::DataOf(piece), data);
}

TEST_F(TCutThreadTest, UnopenableSourceLeavesNoPieceAndStopsTheJob) {
    const Bytes data = test::CountingData(1000);
    const std::string missing = dir_.File("gone.wav");
    const std::string present = dir_.File("here.wav");
    test::WriteWave(present, 2, 44100, data);
    TCutThread job;
    AddWave(job, 0, missing, 2, 44100, 1000);
    AddWave(job, 1, present, 2, 44100, 1000);
    NoCut(job);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), "ファイル " + missing + " は開けません");
    EXPECT_TRUE(run.files.empty());
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("gone-00001.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("here-00001.wav")));
}

TEST_F(TCutThreadTest, UnknownChannelCountIsRefusedNotDividedBy) {
    const std::string src = dir_.File("odd.wav");
    test::WriteWave(src, 2, 44100, test::CountingData(5000));
    TCutThread job;
    AddWave(job, 0, src, 0, 44100, 5000);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), src + "\r\nはサポート外のWaveファイルです。");
    EXPECT_TRUE(run.files.empty());
}

// An empty range list once meant "cut by the trigger settings instead".
TEST_F(TCutThreadTest, AnEmptyRangeListCutsNothing) {
    const Bytes data = test::Pcm(TwoTracksMono());
    const std::string src = dir_.File("r.wav");
    test::WriteWave(src, 1, 44100, data);
    TCutThread job;
    AddWave(job, 0, src, 1, 44100, static_cast<std::int64_t>(data.size()));
    TriggerSettings(job, 0.1);
    job.SetCutRanges({});
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(), "");
    EXPECT_TRUE(run.files.empty());
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"r.wav"});
}

TEST_F(TCutThreadTest, EmptyJobsEndAtOnceAndZeroTotalShowsFullProgress) {
    {
        TCutThread job;
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        EXPECT_TRUE(run.finished);
        EXPECT_TRUE(run.files.empty());
    }
    const std::string src = dir_.File("empty.wav");
    test::WriteWave(src, 2, 44100, {});
    TCutThread job;
    AddWave(job, 0, src, 2, 44100, 0);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_TRUE(run.files.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("empty-00001.wav")));
    ASSERT_FALSE(run.progress.empty());
    EXPECT_EQ(run.progress.back(), 100);
}

TEST_F(TCutThreadTest, FreeOnTerminateJobReportsToTheEnd) {
    const Bytes data = test::CountingData(5000);
    const std::string src = dir_.File("free.wav");
    test::WriteWave(src, 2, 44100, data);
    auto* job = new TCutThread;
    AddWave(*job, 0, src, 2, 44100, 5000);
    NoCut(*job);
    std::vector<std::string> files;
    bool finished = false;
    job->SetOnFileFinished([&files](const std::string& p) { files.push_back(p); });
    job->SetOnTerminate([&finished] { finished = true; });
    job->SetFreeOnTerminate(true);
    const auto handle = job->Handle();
    job->Resume();
    ASSERT_TRUE(dispatcher_.PumpUntil([&finished] { return finished; }, std::chrono::seconds(60)));
    WaitForThread(handle);
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(test::DataOf(files[0]), data);
}

TEST_F(TCutThreadTest, DestroyingARunningOwnedJobCancelsAndWaits) {
    const Bytes data = test::CountingData(20 * 409600);
    const std::string src = dir_.File("long.wav");
    test::WriteWave(src, 2, 44100, data);
    std::vector<std::string> files;
    {
        TCutThread job;
        AddWave(job, 0, src, 2, 44100, static_cast<std::int64_t>(data.size()));
        NoCut(job);
        job.SetOnFileFinished([&files](const std::string& p) { files.push_back(p); });
        job.Resume();
    }
    // Seen before the file was begun, the cancel leaves nothing; seen later,
    // the one piece is finished and reported. Nothing is left half-done.
    ASSERT_LE(files.size(), 1U);
    EXPECT_EQ(std::filesystem::exists(dir_.File("long-00001.wav")), files.size() == 1U);
    if (!files.empty()) {
        ExpectFinishedHeader(files[0], 2, 44100);
    }
}

// A piece of 2^31 bytes or more is capped and renamed by the re-divide
// writer, already at exactly 2^31 (the recorder would wait 8 bytes longer).
TEST(TCutThreadLargeTest, PieceOfTwoGigabytesIsCappedAndRenamed) {
    QueuedDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    test::TempDir dir(true);
    const std::string src = dir.File("big.raw");
    const std::int64_t dataBytes = (std::int64_t{1} << 31) - 44;
    ASSERT_TRUE(test::ResizeSparse(src, dataBytes));
    TCutThread job;
    job.SetFileNames({src});
    job.SetDataOffsets(0, 0);
    job.SetDataLengths(0, dataBytes);
    job.SetSampleRates(0, 44100);
    job.SetChannelCounts(0, 2);
    job.SetTotalBytes(dataBytes);
    job.SetUseTrigger(false);
    test::JobRun run;
    test::RunJob(job, run, dispatcher);
    ThreadRegistry::JoinAll();
    SetMainThreadDispatcher(nullptr);
    ASSERT_EQ(run.files.size(), 1U);
    EXPECT_EQ(run.files[0], dir.File("big-00001_tooLONG.wav"));
    EXPECT_EQ(test::SizeOf(run.files[0]), std::int64_t{1} << 31);
    test::Bytes head(44);
    std::ifstream in(run.files[0], std::ios::binary);
    in.read(reinterpret_cast<char*>(head.data()), 44);
    EXPECT_EQ(test::ReadLe(head, 4), 0x7FFFFFF4U);
    EXPECT_EQ(test::ReadLe(head, 40), 0x7FFFFFD0U);
}

}  // namespace
}  // namespace zolvane2
