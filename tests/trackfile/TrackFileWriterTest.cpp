#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "support/RecordingUserMessages.h"
#include "support/TrackfileTestSupport.h"
#include "trackfile/DiskFlusher.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackFileRepair.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::GetLe32;
using test::TempDir;

// Until its sizes are first brought up to date a file carries the
// provisional pair, which readers that refuse sizes of 0 (Python's wave,
// soxi) take: a RIFF size of data + 36, both far beyond the file's end.
// Left so by a kill, the file is one this program reads and repairs as a
// killed file.
TEST(TrackFileWriter, ProvisionalHeaderIsReadableAndMarksAKilledFile) {
    TempDir dir;
    const std::string path = dir.File("Track00001.wav");
    TrackFileWriter w;
    w.OpenOutput(path, 2, 44100, false);
    EXPECT_EQ(w.CurrentSize(), 44);
    test::WaveLayout layout;
    layout.dataSize = TrackFileWriter::kProvisionalDataSize;
    const Bytes header = test::ReadAll(path);
    const Bytes expected = test::MakeWave(layout, 0);
    ASSERT_EQ(header.size(), 44U);
    EXPECT_EQ(Bytes(header.begin() + 8, header.end()), Bytes(expected.begin() + 8, expected.end()));
    EXPECT_EQ(GetLe32(header, 4), GetLe32(header, 40) + 36);
    EXPECT_GT(GetLe32(header, 40), 0x7F000000U);

    w.Append(Bytes(4003, 5).data(), 4003);
    const std::string killed = dir.File("Track00002.wav");
    test::WriteBytes(killed, test::ReadAll(path));  // the file as a kill would leave it
    EXPECT_EQ(test::ReadHeaderSizes(killed).data, TrackFileWriter::kProvisionalDataSize);
    RecordingUserMessages messages;
    const auto properties = TrackFileReader::ReadFileProperties(killed, 44100, 2, messages);
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->dataSize, 4000);
    EXPECT_EQ(TrackFileRepair::Repair(killed, messages).verdict, TrackFileRepair::Verdict::Repaired);
    EXPECT_EQ(test::ReadHeaderSizes(killed).data, 4000U);
    EXPECT_EQ(test::ReadHeaderSizes(killed).riff, 4036U);
    EXPECT_EQ(messages.Count(), 0U);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Kept);
}

// A job writes gigabytes in the second between two clock updates: the
// header follows every 16 MB, and the space reserved ahead of the file stays
// within the steps (what a kill would leave reserved past the end).
TEST(TrackFileWriter, HeaderFollowsEvery16MBAndReservationGrowsInSteps) {
    TempDir dir;
    const std::string path = dir.File("a-00001.wav");
    TrackFileWriter w(CapPolicy::Redivide);
    w.OpenOutput(path, 2, 44100, false);
    const Bytes block(409600, 3);
    const auto count = static_cast<std::int64_t>(block.size());
    for (int i = 0; i < 100; ++i) {
        w.ReserveAsItGrows(count);
        w.Append(block.data(), count);
        const test::HeaderSizes h = test::ReadHeaderSizes(path);
        if (h.data != TrackFileWriter::kProvisionalDataSize) {
            ASSERT_GE(h.Unlisted(), 0) << i;
            ASSERT_EQ(h.riff, h.data + 36) << i;
        }
        const std::int64_t unlisted = h.data == TrackFileWriter::kProvisionalDataSize ? h.fileSize - 44 : h.Unlisted();
        ASSERT_LT(unlisted, TrackFileWriter::kSizeUpdateBytes) << i;
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        const std::int64_t ahead = st.st_blocks * 512 - st.st_size;
        ASSERT_LE(ahead, std::max(st.st_size, TrackFileWriter::kFirstReserveStep) + count) << i;
        ASSERT_LE(ahead, TrackFileWriter::kLargestReserveStep + count) << i;
    }
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Kept);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    // What was not written is given back; a fragmented file may also count
    // a block or two of the file system's own extent index.
    EXPECT_LT(st.st_blocks * 512, st.st_size + 65536);
}

TEST(TrackFileWriter, EmptyWaveIsDeletedAndOneFrameByteKept) {
    TempDir dir;
    TrackFileWriter w;
    const std::string empty = dir.File("e.wav");
    w.OpenOutput(empty, 1, 44100, false);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Deleted);
    EXPECT_FALSE(FileSystem::Exists(empty));

    const std::string one = dir.File("o.wav");
    w.OpenOutput(one, 1, 8000, false);
    w.Append("x", 1);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Kept);
    const Bytes b = test::ReadAll(one);
    ASSERT_EQ(b.size(), 45U);
    EXPECT_EQ(GetLe32(b, 4), 37U);
    EXPECT_EQ(GetLe32(b, 40), 1U);
    EXPECT_EQ(GetLe32(b, 24), 8000U);
    EXPECT_EQ(GetLe32(b, 28), 16000U);
    EXPECT_FALSE(w.TooLong());
    EXPECT_EQ(w.FileName(), one);
}

TEST(TrackFileWriter, RawKeptOnlyWithBytes) {
    TempDir dir;
    TrackFileWriter w;
    w.OpenOutput(dir.File("a.raw"), 2, 44100, true);
    EXPECT_EQ(w.CurrentSize(), 0);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Deleted);
    EXPECT_FALSE(FileSystem::Exists(dir.File("a.raw")));
    w.OpenOutput(dir.File("b.raw"), 2, 44100, true);
    w.Append("abcd", 4);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Kept);
    EXPECT_EQ(test::ReadAll(dir.File("b.raw")), (Bytes{'a', 'b', 'c', 'd'}));
}

// Writes a WAVE file through the writer and stretches it (sparse) to size
// bytes before finishing it.
FinishStatus FinishAtSize(TrackFileWriter& w, const std::string& path, std::int64_t size) {
    w.OpenOutput(path, 2, 44100, false);
    w.Append("abcd", 4);
    EXPECT_TRUE(test::ResizeSparse(path, size));
    EXPECT_EQ(w.CurrentSize(), size);
    return w.CloseOutput();
}

TEST(TrackFileWriter, RecorderCapsFrom2147483656Bytes) {
    TempDir dir;
    TrackFileWriter w(CapPolicy::RecorderAndCombine);
    const std::string below = dir.File("Track00011.wav");
    EXPECT_EQ(FinishAtSize(w, below, 2'147'483'655), FinishStatus::Kept);
    {
        TLongFileStream s(below, 0);
        Bytes header(44);
        s.ReadBuffer(header.data(), 44);
        EXPECT_EQ(GetLe32(header, 4), 2'147'483'647U);
        EXPECT_EQ(GetLe32(header, 40), 2'147'483'611U);
    }
    EXPECT_FALSE(w.TooLong());

    const std::string at = dir.File("Track00012.wav");
    EXPECT_EQ(FinishAtSize(w, at, 2'147'483'656), FinishStatus::TooLong);
    EXPECT_TRUE(w.TooLong());
    const std::string renamed = dir.File("Track00012_tooLONG.wav");
    EXPECT_EQ(w.FileName(), renamed);
    EXPECT_FALSE(FileSystem::Exists(at));
    const auto entry = FileSystem::LookUp(renamed);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->size, 2'147'483'656);  // nothing truncated
    TLongFileStream s(renamed, 0);
    Bytes header(44);
    s.ReadBuffer(header.data(), 44);
    EXPECT_EQ(GetLe32(header, 4), TrackFileWriter::kCappedRiffSize);
    EXPECT_EQ(GetLe32(header, 40), TrackFileWriter::kCappedDataSize);
    EXPECT_EQ(std::string(header.begin() + 44 - 8, header.begin() + 44 - 4), "data");

    // A new file clears the flag.
    w.OpenOutput(dir.File("Track00013.wav"), 2, 44100, false);
    EXPECT_FALSE(w.TooLong());
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Deleted);
}

TEST(TrackFileWriter, RedivideCapsFrom2GB) {
    TempDir dir;
    TrackFileWriter w(CapPolicy::Redivide);
    EXPECT_EQ(FinishAtSize(w, dir.File("a-001.wav"), 2'147'483'647), FinishStatus::Kept);
    EXPECT_EQ(FinishAtSize(w, dir.File("a-002.wav"), 2'147'483'648), FinishStatus::TooLong);
    EXPECT_EQ(w.FileName(), dir.File("a-002_tooLONG.wav"));
    EXPECT_TRUE(TrackFileWriter::MustCap(2'147'483'648, CapPolicy::Redivide));
    EXPECT_FALSE(TrackFileWriter::MustCap(2'147'483'655, CapPolicy::RecorderAndCombine));
}

// A killed recording leaves what another program reads: the header, read
// while the writer is busy, lists all but at most the last second, in whole
// frames; past 2 GB it carries the capped pair, never sizes that wrap.
TEST(TrackFileWriter, LiveRecordingKeepsTheHeaderWithinASecond) {
    TempDir dir;
    const std::string path = dir.File("Track00001.wav");
    constexpr std::int64_t kBytesPerSecond = 8000 * 4;
    TrackFileWriter w;
    w.SetLiveRecording(true);
    w.OpenOutput(path, 2, 8000, false);
    const Bytes block(kBytesPerSecond / 10 + 2, 0x11);  // not a whole number of frames per block
    for (int i = 0; i < 100; ++i) {
        w.Append(block.data(), static_cast<std::int64_t>(block.size()));
        const test::HeaderSizes h = test::ReadHeaderSizes(path);
        ASSERT_EQ(h.riff, h.data + 36) << i;
        if (h.data == TrackFileWriter::kProvisionalDataSize) {
            ASSERT_LT(h.fileSize - 44, kBytesPerSecond) << i;
            continue;
        }
        ASSERT_GE(h.Unlisted(), 0) << i;
        ASSERT_LT(h.Unlisted(), kBytesPerSecond) << i;
        ASSERT_EQ(h.data % 4, 0U) << i;
    }
    EXPECT_GT(test::ReadHeaderSizes(path).data, 0U);

    // Grown past the limit (sparse), the update follows the closing rule.
    ASSERT_TRUE(test::ResizeSparse(path, 2'147'483'655));
    w.UpdateSizes();
    EXPECT_EQ(test::ReadHeaderSizes(path).data, 2'147'483'608U);
    EXPECT_EQ(test::ReadHeaderSizes(path).riff, 2'147'483'644U);
    ASSERT_TRUE(test::ResizeSparse(path, 3'000'000'000));
    w.UpdateSizes();
    EXPECT_EQ(test::ReadHeaderSizes(path).data, TrackFileWriter::kCappedDataSize);
    EXPECT_EQ(test::ReadHeaderSizes(path).riff, TrackFileWriter::kCappedRiffSize);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::TooLong);
}

TEST(DiskFlusher, FlushesAndClosesEveryHandleItTakes) {
    TempDir dir;
    test::WriteBytes(dir.File("f.wav"), Bytes(100, 1));
    const int fd = ::open(dir.File("f.wav").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        DiskFlusher flusher;
        EXPECT_TRUE(flusher.Request(fd));
        EXPECT_FALSE(flusher.Request(-1));
    }  // what is queued is flushed before the helper ends
    errno = 0;
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(errno, EBADF);
}

TEST(TrackFileWriter, CappedRenameNeverReplacesAnExistingFile) {
    TempDir dir;
    const std::string other = dir.File("T1_tooLONG.wav");
    test::WriteBytes(other, Bytes(5, 7));
    TrackFileWriter w;
    EXPECT_EQ(FinishAtSize(w, dir.File("T1.wav"), 2'147'483'700), FinishStatus::TooLong);
    EXPECT_EQ(test::ReadAll(other), Bytes(5, 7));
    EXPECT_EQ(w.FileName(), dir.File("T1.wav"));  // the name it really has
    EXPECT_TRUE(FileSystem::Exists(dir.File("T1.wav")));
}

TEST(TrackFileWriter, TooLongNameReplacesOnlyTheLastExtension) {
    EXPECT_EQ(TrackFileWriter::TooLongName("/a.b/Track00012.wav"), "/a.b/Track00012_tooLONG.wav");
    EXPECT_EQ(TrackFileWriter::TooLongName("/a.b/Take"), "/a.b/Take_tooLONG.wav");
}

TEST(TrackFileWriter, CreateFailurePropagates) {
    TrackFileWriter w;
    EXPECT_THROW(w.OpenOutput("/nonexistent-folder-zolvane2/x.wav", 2, 44100, false), FileCreateError);
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Deleted);

    // A frame the 16-bit block align cannot name: refused before anything is made.
    TempDir dir;
    const std::string wide = dir.File("wide.wav");
    EXPECT_THROW(w.OpenOutput(wide, TrackFileReader::kMaxChannels + 1, 44100, false), FileCreateError);
    EXPECT_FALSE(FileSystem::LookUp(wide));
    w.OpenOutput(wide, TrackFileReader::kMaxChannels, 44100, false);
    EXPECT_EQ(test::ReadAll(wide)[32], 0xFE);  // block align 65534
}

}  // namespace
}  // namespace zolvane2
