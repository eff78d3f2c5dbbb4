#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "support/RecordingUserMessages.h"
#include "support/TrackfileTestSupport.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackFileRepair.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::MakeWave;
using test::RecordingUserMessages;
using test::TempDir;
using test::WaveLayout;
using Verdict = TrackFileRepair::Verdict;

// The header a killed recording leaves: both sizes 0 (or last updated a
// moment ago), and a torn last frame.
TEST(TrackFileRepair, MendsAKilledRecordingToItsWholeFrames) {
    TempDir dir;
    RecordingUserMessages messages;
    for (const std::uint32_t stale : {0U, 400U}) {
        WaveLayout s;
        s.dataSize = stale;
        Bytes b = MakeWave(s, 4003);
        test::ByteWriter(b).Tag("RIFF");
        b[4] = b[5] = b[6] = b[7] = 0;
        const std::string path = dir.File("Track00001.wav");
        test::WriteFile(path, b);

        const auto o = TrackFileRepair::Repair(path, messages);
        EXPECT_EQ(o.verdict, Verdict::Repaired) << stale;
        const test::HeaderSizes h = test::ReadHeaderSizes(path);
        EXPECT_EQ(h.data, 4000U) << stale;
        EXPECT_EQ(h.riff, 4036U) << stale;
        Bytes after = test::ReadAll(path);
        EXPECT_TRUE(std::equal(after.begin() + 44, after.end(), b.begin() + 44));  // audio untouched
        EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, Verdict::AlreadyRight);
    }

    // Past 2 GB (sparse): the capped pair and the name a finished track gets.
    const std::string big = dir.File("Track00002.wav");
    {
        TrackFileWriter w;
        w.OpenOutput(big, 2, 44100, false);
    }
    ASSERT_TRUE(test::ResizeSparse(big, 3'000'000'000));
    const auto o = TrackFileRepair::Repair(big, messages);
    EXPECT_EQ(o.verdict, Verdict::Repaired);
    EXPECT_EQ(o.fileName, dir.File("Track00002_tooLONG.wav"));
    const test::HeaderSizes h = test::ReadHeaderSizes(o.fileName);
    EXPECT_EQ(h.riff, TrackFileWriter::kCappedRiffSize);
    EXPECT_EQ(h.data, TrackFileWriter::kCappedDataSize);
    EXPECT_EQ(messages.Count(), 0U);
}

TEST(TrackFileRepair, LeavesRightFilesAloneAndRefusesOthersWithTheReadersMessage) {
    TempDir dir;
    RecordingUserMessages messages;
    // A finished file (also one with a torn last byte, as the closing patch
    // counts it), and one whose data chunk is followed by another chunk.
    WaveLayout s;
    s.dataSize = 4001;
    const std::string odd = dir.File("odd.wav");
    test::WriteFile(odd, MakeWave(s, 4001));
    s.dataSize = 400;
    Bytes tagged = MakeWave(s, 400);
    for (const char c : std::string("LIST\x04\0\0\0abcd", 12)) {
        tagged.push_back(static_cast<std::uint8_t>(c));
    }
    const std::string listed = dir.File("listed.wav");
    test::WriteFile(listed, tagged);
    for (const std::string& path : {odd, listed}) {
        const Bytes before = test::ReadAll(path);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, Verdict::AlreadyRight) << path;
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(test::ReadAll(path), before);
        EXPECT_EQ(after.st_mtim.tv_nsec, st.st_mtim.tv_nsec);
    }
    EXPECT_EQ(messages.Count(), 0U);

    s = WaveLayout{};
    s.formatTag = 3;
    const std::string floats = dir.File("float.wav");
    test::WriteFile(floats, MakeWave(s, 400));
    s = WaveLayout{};
    s.bitsPerSample = 8;
    const std::string eight = dir.File("eight.wav");
    test::WriteFile(eight, MakeWave(s, 400));
    const std::string raw = dir.File("a.raw");
    test::WriteFile(raw, Bytes(400, 1));
    const std::string missing = dir.File("gone.wav");
    for (const std::string& path : {floats, eight, raw, missing}) {
        const Bytes before = test::ReadAll(path);
        EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, Verdict::Refused) << path;
        EXPECT_EQ(test::ReadAll(path), before);
    }
    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 4U);
    EXPECT_EQ(shown[0].text, floats + "\r\nはPCM-Waveファイルではありません。");
    EXPECT_EQ(shown[1].text, eight + "\r\nは16bitWaveファイルではありません。");
    EXPECT_EQ(shown[2].text, raw + "\r\nはWaveファイルではない可能性があります。");
    EXPECT_EQ(shown[3].text, missing + "\r\nが見つかりません。");

    // A track still being written is never touched.
    TrackFileWriter w;
    const std::string open = dir.File("Track00003.wav");
    w.OpenOutput(open, 2, 44100, false);
    w.Append(Bytes(400, 1).data(), 400);
    EXPECT_THROW((void)TrackFileRepair::Repair(open, messages), FileOpenError);
}

// What lies past the declared end decides: audio that happens to begin like
// a chunk header is still audio; a run of chunks that ends at the end of the
// file (with or without the pad byte after odd audio) is not.
TEST(TrackFileRepair, DecidesByAllThatFollowsTheDeclaredEnd) {
    TempDir dir;
    RecordingUserMessages messages;
    WaveLayout s;
    s.dataSize = 400;
    Bytes killed = MakeWave(s, 4000);
    const char header[] = "abcd\x64\0\0\0";  // a 100-byte "chunk" inside the audio
    std::copy(header, header + 8, killed.begin() + 44 + 400);
    const std::string noise = dir.File("noise.wav");
    test::WriteFile(noise, killed);
    const auto o = TrackFileRepair::Repair(noise, messages);
    EXPECT_EQ(o.verdict, Verdict::Repaired);
    EXPECT_EQ(test::ReadHeaderSizes(noise).data, 4000U);

    const auto chunk = [](Bytes& b, const std::string& id, std::size_t size, bool pad) {
        test::AppendChunkHead(b, id, size);
        b.insert(b.end(), size + (pad ? size % 2 : 0), 'x');
    };
    s.dataSize = 401;
    Bytes padded = MakeWave(s, 401);
    padded.push_back(0);
    chunk(padded, "LIST", 26, true);
    chunk(padded, "id3 ", 33, false);  // the last chunk's pad byte left out
    Bytes unpadded = MakeWave(s, 401);
    chunk(unpadded, "LIST", 26, true);
    for (const Bytes& b : {padded, unpadded}) {
        const std::string path = dir.File("tagged.wav");
        test::WriteFile(path, b);
        EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, Verdict::AlreadyRight);
        EXPECT_EQ(test::ReadAll(path), b);
    }
    EXPECT_EQ(messages.Count(), 0U);
}

// Other readers reject a format chunk too short for the PCM record, however
// the word search reads it.
TEST(TrackFileRepair, RefusesAFormatChunkTooShortForPcm) {
    TempDir dir;
    RecordingUserMessages messages;
    for (const std::uint8_t size : {0, 12}) {
        Bytes b = MakeWave(WaveLayout{}, 400);
        b[16] = size;
        b[4] = b[5] = b[6] = b[7] = b[40] = 0;
        const std::string path = dir.File("short" + std::to_string(size) + ".wav");
        test::WriteFile(path, b);
        EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, Verdict::Refused);
        EXPECT_EQ(test::ReadAll(path), b);
        ASSERT_EQ(messages.Count(), 1U);
        EXPECT_EQ(messages.Messages()[0].text,
                  path + "\r\nはフォーマットチャンクがPCMには短すぎるため修復できません。");
        messages.Clear();
    }
}

// A right file is only read: never opened for writing (which a read-only
// disk refuses). One that needs mending where it may not be written names
// the file and the system's reason.
TEST(TrackFileRepair, OpensForWritingOnlyToMend) {
    TempDir dir;
    RecordingUserMessages messages;
    WaveLayout s;
    s.dataSize = 400;
    const std::string right = dir.File("right.wav");
    test::WriteFile(right, MakeWave(s, 400));
    ASSERT_EQ(::chmod(right.c_str(), 0444), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, right.c_str(), IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB), 0);
    EXPECT_EQ(TrackFileRepair::Repair(right, messages).verdict, Verdict::AlreadyRight);
    std::array<char, 4096> events{};
    EXPECT_LT(::read(watch, events.data(), events.size()), 0);  // nothing written, nothing closed after writing
    ::close(watch);
    EXPECT_EQ(messages.Count(), 0U);

    if (::geteuid() != 0) {  // mode bits do not stop root
        const std::string killed = dir.File("killed.wav");
        s.dataSize = 0;
        test::WriteFile(killed, MakeWave(s, 400));
        ASSERT_EQ(::chmod(killed.c_str(), 0444), 0);
        try {
            (void)TrackFileRepair::Repair(killed, messages);
            ADD_FAILURE() << "a read-only file was mended";
        } catch (const FileOpenError& e) {
            EXPECT_NE(std::string(e.what()).find(killed), std::string::npos);
            EXPECT_EQ(e.Code(), EACCES);
        }
    }
}

// A killed recording leaves the space it reserved ahead allocated past its
// end; repair gives it back, and to a file that is otherwise right without
// changing its time.
TEST(TrackFileRepair, GivesBackSpaceReservedPastTheEnd) {
    TempDir dir;
    RecordingUserMessages messages;
    constexpr off_t kReserved = 8 << 20;
    const auto allocated = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return static_cast<std::int64_t>(st.st_blocks) * 512;
    };
    for (const std::uint32_t dataSize : {400U, 0U}) {
        WaveLayout s;
        s.dataSize = dataSize;
        const std::string path = dir.File("reserved" + std::to_string(dataSize) + ".wav");
        const Bytes b = MakeWave(s, 400);
        test::WriteFile(path, b);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, kReserved) != 0) {
            ::close(fd);
            GTEST_SKIP() << "no fallocate here";
        }
        ::close(fd);
        const timespec old{1'600'000'000, 0};
        const std::array<timespec, 2> times{old, old};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times.data(), 0), 0);
        ASSERT_GE(allocated(path), kReserved);

        const auto o = TrackFileRepair::Repair(path, messages);
        EXPECT_EQ(o.verdict, dataSize == 0 ? Verdict::Repaired : Verdict::AlreadyRight);
        EXPECT_GE(o.releasedBytes, kReserved - 65536);
        EXPECT_LT(allocated(path), 65536);
        EXPECT_EQ(static_cast<std::int64_t>(test::ReadAll(path).size()), static_cast<std::int64_t>(b.size()));
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        if (dataSize != 0) {
            EXPECT_EQ(st.st_mtim.tv_sec, old.tv_sec);
            EXPECT_EQ(test::ReadAll(path), b);
        }
    }
    EXPECT_EQ(messages.Count(), 0U);
}

}  // namespace
}  // namespace zolvane2
