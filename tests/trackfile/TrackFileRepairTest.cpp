#include <gtest/gtest.h>
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
        test::WriteBytes(path, b);

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
    test::WriteBytes(odd, MakeWave(s, 4001));
    s.dataSize = 400;
    Bytes tagged = MakeWave(s, 400);
    for (const char c : std::string("LIST\x04\0\0\0abcd", 12)) {
        tagged.push_back(static_cast<std::uint8_t>(c));
    }
    const std::string listed = dir.File("listed.wav");
    test::WriteBytes(listed, tagged);
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
    test::WriteBytes(floats, MakeWave(s, 400));
    s = WaveLayout{};
    s.bitsPerSample = 8;
    const std::string eight = dir.File("eight.wav");
    test::WriteBytes(eight, MakeWave(s, 400));
    const std::string raw = dir.File("a.raw");
    test::WriteBytes(raw, Bytes(400, 1));
    const std::string missing = dir.File("gone.wav");
    for (const std::string& path : {floats, eight, raw, missing}) {
        const Bytes before = test::ReadAll(path);
        EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, Verdict::Refused) << path;
        EXPECT_EQ(test::ReadAll(path), before);
    }
    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 4U);
    EXPECT_EQ(shown[0].text, floats + "\r\n" + TrackFileReader::kNotPcm);
    EXPECT_EQ(shown[1].text, eight + "\r\n" + TrackFileReader::kNot16Bit);
    EXPECT_EQ(shown[2].text, raw + "\r\n" + TrackFileReader::kNotWave);
    EXPECT_EQ(shown[3].text, missing + "\r\n" + TrackFileReader::kNotFound);

    // A track still being written is never touched.
    TrackFileWriter w;
    const std::string open = dir.File("Track00003.wav");
    w.OpenOutput(open, 2, 44100, false);
    w.Append(Bytes(400, 1).data(), 400);
    EXPECT_THROW((void)TrackFileRepair::Repair(open, messages), FileOpenError);
}

}  // namespace
}  // namespace zolvane2
