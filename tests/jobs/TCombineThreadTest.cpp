#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "jobs/TCombineThread.h"
#include "platform/QueuedDispatcher.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

using test::Bytes;

class TCombineThreadTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainThreadDispatcher(&dispatcher_); }
    void TearDown() override {
        ThreadRegistry::JoinAll();
        SetMainThreadDispatcher(nullptr);
    }

    void AddSource(TCombineThread& job, const std::string& path, std::int64_t offset, std::int64_t length) {
        const std::size_t i = names_.size();
        names_.push_back(path);
        job.SetFileNames(names_);
        job.SetDataOffsets(i, offset);
        job.SetDataLengths(i, length);
        total_ += length;
        job.SetTotalBytes(total_);
    }

    QueuedDispatcher dispatcher_;
    test::TempDir dir_;
    std::vector<std::string> names_;
    std::int64_t total_ = 0;
};

TEST_F(TCombineThreadTest, OneSourceBecomesItsDataBehindAFreshHeader) {
    const Bytes data = test::CountingData(409600 * 2 + 1234);
    const std::string src = dir_.File("a.wav");
    test::WriteWave(src, 1, 22050, data);
    TCombineThread job;
    AddSource(job, src, 44, static_cast<std::int64_t>(data.size()));
    job.SetOutputFileName(dir_.File("out.wav"));
    job.SetSampleRate(22050);
    job.SetChannels(1);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    ASSERT_EQ(run.files, std::vector<std::string>{dir_.File("out.wav")});
    Bytes expected = test::WaveHeader(1, 22050, static_cast<std::uint32_t>(data.size()));
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(test::ReadAll(dir_.File("out.wav")), expected);
    EXPECT_EQ(job.ErrorMessage(), "");
    EXPECT_TRUE(job.OutputKept());
    // The first value and 100 % always reach the main thread, in between
    // only changes.
    ASSERT_GE(run.progress.size(), 2U);
    EXPECT_EQ(run.progress.front(), 49);
    EXPECT_EQ(run.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(run.progress.begin(), run.progress.end()));
    EXPECT_EQ(std::adjacent_find(run.progress.begin(), run.progress.end()), run.progress.end());
}

TEST_F(TCombineThreadTest, OnlyDataRegionsAreJoinedInOrder) {
    const Bytes a = test::CountingData(1000);
    const Bytes b = test::CountingData(409600 + 4);
    const Bytes trailing{'L', 'I', 'S', 'T', 4, 0, 0, 0, 'a', 'b', 'c', 'd'};
    test::WriteWave(dir_.File("a.wav"), 2, 44100, a, test::WaveOptions::Trailing(trailing));
    test::WriteFile(dir_.File("b.raw"), b);
    TCombineThread job;
    AddSource(job, dir_.File("a.wav"), 44, 1000);
    AddSource(job, dir_.File("b.raw"), 0, static_cast<std::int64_t>(b.size()));
    job.SetOutputFileName(dir_.File("joined.raw"));
    job.SetRawOutput(true);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    Bytes expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(test::ReadAll(dir_.File("joined.raw")), expected);
    ASSERT_EQ(run.files.size(), 1U);
}

// A torn last frame is left out, so the file after it is not shifted by a
// byte; a new output is never created over a file or through a link.
TEST_F(TCombineThreadTest, WholeFramesOnlyAndNewOutputsNeverReplaceOrFollowLinks) {
    const Bytes a = test::CountingData(4001);
    const Bytes b = test::CountingData(400);
    test::WriteFile(dir_.File("a.raw"), a);
    test::WriteFile(dir_.File("b.raw"), b);
    const auto combine = [this, &a, &b](const std::string& output) {
        names_.clear();
        total_ = 0;
        TCombineThread job;
        AddSource(job, dir_.File("a.raw"), 0, static_cast<std::int64_t>(a.size()));
        AddSource(job, dir_.File("b.raw"), 0, static_cast<std::int64_t>(b.size()));
        job.SetOutputFileName(output);
        job.SetRawOutput(true);
        job.SetCreateNew(true);
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        return job.ErrorMessage();
    };
    EXPECT_EQ(combine(dir_.File("joined.raw")), "");
    Bytes expected(a.begin(), a.end() - 1);
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(test::ReadAll(dir_.File("joined.raw")), expected);

    const std::string again = combine(dir_.File("joined.raw"));
    EXPECT_EQ(again, "ファイル " + dir_.File("joined.raw") + " を作成できません" + SystemReasonText(EEXIST));
    EXPECT_EQ(test::ReadAll(dir_.File("joined.raw")), expected);
    std::filesystem::create_symlink(dir_.File("a.raw"), dir_.File("link.raw"));
    std::filesystem::create_symlink(dir_.File("nowhere.raw"), dir_.File("dangling.raw"));
    EXPECT_NE(combine(dir_.File("link.raw")), "");
    EXPECT_NE(combine(dir_.File("dangling.raw")), "");
    EXPECT_EQ(test::ReadAll(dir_.File("a.raw")), a);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("nowhere.raw")));
}

TEST_F(TCombineThreadTest, CancelBeforeAnyBlockDeletesTheHeaderOnlyFile) {
    const Bytes data = test::CountingData(5000);
    test::WriteWave(dir_.File("a.wav"), 2, 44100, data);
    TCombineThread job;
    AddSource(job, dir_.File("a.wav"), 44, 5000);
    job.SetOutputFileName(dir_.File("out.wav"));
    job.SetCancelRequested(true);
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_TRUE(run.files.empty());
    EXPECT_FALSE(job.OutputKept());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.wav")));
    EXPECT_TRUE(run.finished);
}

TEST_F(TCombineThreadTest, CancelAfterABlockKeepsWhatWasCopied) {
    const Bytes data = test::CountingData(3 * 409600);
    test::WriteWave(dir_.File("a.wav"), 2, 44100, data);
    test::WriteWave(dir_.File("b.wav"), 2, 44100, data);
    TCombineThread job;
    AddSource(job, dir_.File("a.wav"), 44, static_cast<std::int64_t>(data.size()));
    AddSource(job, dir_.File("b.wav"), 44, static_cast<std::int64_t>(data.size()));
    job.SetOutputFileName(dir_.File("out.wav"));
    test::JobRun run;
    test::RunJob<TCombineThread>(job, run, dispatcher_, [](TCombineThread& j, int) { j.SetCancelRequested(true); });
    ASSERT_EQ(run.files.size(), 1U);
    EXPECT_EQ(test::SizeOf(dir_.File("out.wav")), 44 + 409600);
    const Bytes out = test::ReadAll(dir_.File("out.wav"));
    EXPECT_EQ(test::ReadLe(out, 40), 409600U);
    EXPECT_EQ(run.progress.size(), 1U);
}

// A killed join keeps whatever space was reserved past its end: the space
// is reserved in steps as the output grows, never for the whole join.
TEST_F(TCombineThreadTest, SpaceIsReservedAsTheOutputGrows) {
    constexpr std::int64_t kSource = std::int64_t{300} << 20;
    TCombineThread job;
    for (const char* name : {"a.raw", "b.raw"}) {
        ASSERT_TRUE(test::ResizeSparse(dir_.File(name), kSource));
        AddSource(job, dir_.File(name), 0, kSource);
    }
    job.SetOutputFileName(dir_.File("out.wav"));
    std::int64_t ahead = -1;
    test::JobRun run;
    test::RunJob<TCombineThread>(job, run, dispatcher_, [&](TCombineThread& j, int) {
        struct stat st {};
        ASSERT_EQ(::stat(dir_.File("out.wav").c_str(), &st), 0);
        ahead = st.st_blocks * 512 - st.st_size;
        j.SetCancelRequested(true);
    });
    EXPECT_GE(ahead, 0);
    EXPECT_LT(ahead, TrackFileWriter::kLargestReserveStep);
    EXPECT_EQ(test::SizeOf(dir_.File("out.wav")), 44 + 409600);
}

TEST_F(TCombineThreadTest, MissingOrShortSourceEndsCopyingButTheOutputIsFinished) {
    const Bytes data = test::CountingData(3000);
    test::WriteWave(dir_.File("a.wav"), 2, 44100, data);
    test::WriteWave(dir_.File("c.wav"), 2, 44100, data);
    {
        TCombineThread job;
        AddSource(job, dir_.File("a.wav"), 44, 3000);
        AddSource(job, dir_.File("missing.wav"), 44, 3000);
        AddSource(job, dir_.File("c.wav"), 44, 3000);
        job.SetOutputFileName(dir_.File("out1.wav"));
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        EXPECT_EQ(job.ErrorMessage(), "ファイル " + dir_.File("missing.wav") + " は開けません");
        EXPECT_EQ(job.ErrorDetail().code, ENOENT);
        EXPECT_TRUE(job.FinishingCutShort());
        ASSERT_EQ(run.files.size(), 1U);
        EXPECT_EQ(test::SizeOf(dir_.File("out1.wav")), 44 + 3000);
    }
    names_.clear();
    total_ = 0;
    {
        TCombineThread job;
        AddSource(job, dir_.File("a.wav"), 44, 409600 * 2);  // holds less than the list says
        job.SetOutputFileName(dir_.File("out2.wav"));
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        EXPECT_EQ(job.ErrorMessage(), "ストリームからの読み込みエラー");
        // The text does not name the file it was reading; the detail does.
        EXPECT_EQ(job.ErrorDetail().fileName, dir_.File("a.wav"));
        // The failed read wrote nothing: only the header is left, so the
        // output is deleted and not listed.
        EXPECT_TRUE(run.files.empty());
        EXPECT_FALSE(std::filesystem::exists(dir_.File("out2.wav")));
    }
}

TEST_F(TCombineThreadTest, UncreatableOutputIsReported) {
    TCombineThread job;
    job.SetOutputFileName(dir_.File("no-such-folder/out.wav"));
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_EQ(job.ErrorMessage(),
              "ファイル " + dir_.File("no-such-folder/out.wav") + " を作成できません" + SystemReasonText(ENOENT));
    EXPECT_EQ(job.ErrorDetail().code, ENOENT);
    EXPECT_TRUE(run.files.empty());
    EXPECT_TRUE(run.finished);
}

TEST_F(TCombineThreadTest, ZeroTotalEndsAtFullProgress) {
    test::WriteWave(dir_.File("e.wav"), 2, 44100, {});
    TCombineThread job;
    AddSource(job, dir_.File("e.wav"), 44, 0);
    job.SetOutputFileName(dir_.File("out.wav"));
    test::JobRun run;
    test::RunJob(job, run, dispatcher_);
    EXPECT_TRUE(run.files.empty());
    ASSERT_EQ(run.progress.size(), 1U);
    EXPECT_EQ(run.progress.back(), 100);
}

// The combine writer caps from 2,147,483,656 bytes on, 8 bytes later than
// the re-divide writer.
class TCombineThreadLargeTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainThreadDispatcher(&dispatcher_); }
    void TearDown() override {
        ThreadRegistry::JoinAll();
        SetMainThreadDispatcher(nullptr);
    }

    // Joins two sparse RAW sources holding dataBytes together into a WAVE file.
    test::JobRun Join(std::int64_t dataBytes, TCombineThread& job) {
        const std::int64_t first = 409600 * 3 + 8;
        EXPECT_TRUE(test::ResizeSparse(dir_.File("a.raw"), first));
        EXPECT_TRUE(test::ResizeSparse(dir_.File("b.raw"), dataBytes - first));
        job.SetFileNames({dir_.File("a.raw"), dir_.File("b.raw")});
        job.SetDataOffsets(0, 0);
        job.SetDataLengths(0, first);
        job.SetDataOffsets(1, 0);
        job.SetDataLengths(1, dataBytes - first);
        job.SetTotalBytes(dataBytes);
        job.SetOutputFileName(dir_.File("big.wav"));
        test::JobRun run;
        test::RunJob(job, run, dispatcher_);
        return run;
    }

    static test::Bytes Head(const std::string& path) {
        test::Bytes head(44);
        std::ifstream in(path, std::ios::binary);
        in.read(reinterpret_cast<char*>(head.data()), 44);
        return head;
    }

    QueuedDispatcher dispatcher_;
    test::TempDir dir_{true};
};

TEST_F(TCombineThreadLargeTest, OneFrameBelowTheCapKeepsNameAndSizes) {
    TCombineThread job;
    const auto run = Join(2147483652LL - 44, job);
    ASSERT_EQ(run.files, std::vector<std::string>{dir_.File("big.wav")});
    EXPECT_EQ(test::SizeOf(dir_.File("big.wav")), 2147483652LL);
    const auto head = Head(dir_.File("big.wav"));
    EXPECT_EQ(test::ReadLe(head, 4), 2147483644U);
    EXPECT_EQ(test::ReadLe(head, 40), 2147483608U);
}

TEST_F(TCombineThreadLargeTest, AtTheCapTheHeaderIsCappedAndTheFileRenamed) {
    TCombineThread job;
    const auto run = Join(2147483656LL - 44, job);
    ASSERT_EQ(run.files, std::vector<std::string>{dir_.File("big_tooLONG.wav")});
    EXPECT_EQ(job.OutputFileName(), dir_.File("big_tooLONG.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("big.wav")));
    const auto head = Head(dir_.File("big_tooLONG.wav"));
    EXPECT_EQ(test::ReadLe(head, 4), 0x7FFFFFF4U);
    EXPECT_EQ(test::ReadLe(head, 40), 0x7FFFFFD0U);
}

}  // namespace
}  // namespace zolvane2
