#include <fcntl.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Errors.h"
#include "support/TrackfileTestSupport.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TMemoryStream.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::TempDir;

TEST(LongFileStream, SeekBeyond2GBAndWriteLandsExactly) {
    TempDir dir;
    const std::string path = dir.File("big.raw");
    {
        TLongFileStream s(path, TLongFileStream::fmCreate);
        const std::int64_t at = std::int64_t{1} << 31;
        EXPECT_EQ(s.Seek64(at, TLongStream::soFromBeginning), at);
        s.WriteBuffer("abcd", 4);
        EXPECT_EQ(s.GetPosition64(), at + 4);
        EXPECT_EQ(s.GetSize64(), 2'147'483'652);
        s.SetPosition64(at);
        std::array<char, 4> back{};
        s.ReadBuffer(back.data(), 4);
        EXPECT_EQ(std::string(back.data(), 4), "abcd");
        EXPECT_EQ(s.Seek64(-1, TLongStream::soFromEnd), 2'147'483'651);
    }
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size(path, ec), 2'147'483'652U);
}

TEST(LongFileStream, StepsBackFromTheCurrentPosition) {
    TempDir dir;
    TLongFileStream s(dir.File("a.wav"), TLongFileStream::fmCreate);
    s.SetPosition64(20);
    const Bytes eighteen(18, 0x55);
    s.WriteBuffer(eighteen.data(), 18);
    EXPECT_EQ(s.Seek64(-2, TLongStream::soFromCurrent), 36);
    EXPECT_EQ(s.GetPosition64(), 36);
}

TEST(LongFileStream, CreatingEmptiesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.File("t.wav");
    test::WriteFile(path, Bytes(100, 1));
    TLongFileStream s(path, TLongFileStream::fmCreate);
    EXPECT_EQ(s.GetSize64(), 0);
}

TEST(LongFileStream, FileHeldByAnotherStreamCannotBeOpenedOrCreated) {
    TempDir dir;
    const std::string path = dir.File("held.wav");
    test::WriteFile(path, Bytes(10, 1));
    {
        TLongFileStream first(path, 0);
        try {
            TLongFileStream second(path, 0);
            FAIL() << "second open succeeded";
        } catch (const FileOpenError& e) {
            EXPECT_EQ(std::string(e.what()), "ファイル " + path + " は開けません");
        }
        try {
            TLongFileStream created(path, TLongFileStream::fmCreate);
            FAIL() << "create over a held file succeeded";
        } catch (const FileCreateError& e) {
            EXPECT_EQ(std::string(e.what()), "ファイル " + path + " を作成できません" + SystemReasonText(EWOULDBLOCK));
        }
    }
    // The failed create must not have emptied the file it could not take.
    EXPECT_EQ(test::ReadAll(path).size(), 10U);
    TLongFileStream again(path, 0);
    EXPECT_EQ(again.GetSize64(), 10);
}

// A file that cannot be made says why, as the system words it.
TEST(LongFileStream, MissingFileAndBadFolderGiveTheirMessages) {
    TempDir dir;
    const std::string missing = dir.File("none.wav");
    EXPECT_THROW(TLongFileStream(missing, 0), FileOpenError);
    const std::string badFolder = dir.File("no/such/folder.wav");
    const std::string longName = dir.File(std::string(300, 'n') + ".wav");
    for (const auto& [path, code] : {std::pair{badFolder, ENOENT}, std::pair{longName, ENAMETOOLONG}}) {
        for (const unsigned mode : {TLongFileStream::fmCreate, TLongFileStream::fmCreateNew}) {
            try {
                TLongFileStream s(path, mode);
                FAIL() << path;
            } catch (const FileCreateError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "ファイル " + path + " を作成できません(理由: " + std::strerror(code) + ")");
                EXPECT_EQ(e.Code(), code);
            }
        }
    }
    EXPECT_THROW(TLongFileStream(dir.Path(), 0), FileOpenError);
}

TEST(LongFileStream, WholeBufferOperationsTurnShortTransfersIntoErrors) {
    TempDir dir;
    const std::string path = dir.File("r.raw");
    test::WriteFile(path, Bytes(3, 9));
    TLongFileStream s(path, 0);
    std::array<char, 8> buffer{};
    EXPECT_EQ(s.Read(buffer.data(), 8), 3);
    EXPECT_EQ(s.Read(buffer.data(), 8), 0);
    s.SetPosition64(0);
    try {
        s.ReadBuffer(buffer.data(), 4);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_STREQ(e.what(), "ストリームからの読み込みエラー");
    }
    // Read-only: a write moves nothing and the whole-buffer write says so.
    EXPECT_EQ(s.Write("x", 1), 0);
    try {
        s.WriteBuffer("x", 1);
        FAIL();
    } catch (const WriteError& e) {
        EXPECT_STREQ(e.what(), "ストリームへの書き込みエラー");
    }
}

// Re-divide and join move audio file to file in the kernel; where the kernel
// will not write into the file (here one opened for appending), what the
// pipe holds and the rest go through a buffer. Either way the bytes land at
// the position, the source's position stays, and a source that ends early is
// a read error after the bytes it has.
TEST(LongFileStream, CopyRangeFromCopiesExactlyInTheKernelOrThroughABuffer) {
    TempDir dir;
    Bytes data(3'000'000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    test::WriteFile(dir.File("src.raw"), data);
    TLongFileStream source(dir.File("src.raw"), 0);
    source.SetPosition64(5);
    Bytes expected{'h', 'e', 'a', 'd'};
    expected.insert(expected.end(), data.begin() + 10, data.begin() + 2'500'010);
    expected.insert(expected.end(), data.begin(), data.begin() + 3);
    expected.insert(expected.end(), data.begin() + 2'999'000, data.end());
    for (const bool refused : {false, true}) {
        const std::string out = dir.File(refused ? "refused.raw" : "kernel.raw");
        {
            TLongFileStream o(out, TLongFileStream::fmCreate);
            o.WriteBuffer("head", 4);
            if (refused) {
                ASSERT_EQ(::fcntl(o.Handle(), F_SETFL, O_APPEND), 0);
            }
            o.CopyRangeFrom(source, 10, 2'500'000);  // more than a pipe holds
            o.CopyRangeFrom(source, 0, 3);
            EXPECT_THROW(o.CopyRangeFrom(source, 2'999'000, 2000), ReadError);
        }
        EXPECT_EQ(test::ReadAll(out), expected) << out;
    }
    EXPECT_EQ(source.GetPosition64(), 5);
}

// A join reserves its whole size up front; a cancelled one must not keep
// the space it did not write.
TEST(LongFileStream, ReservedSpaceBeyondTheEndIsGivenBackAtClose) {
    TempDir dir;
    const std::string path = dir.File("joined.wav");
    {
        TLongFileStream s(path, TLongFileStream::fmCreate);
        s.WriteBuffer("head", 4);
        s.Reserve(std::int64_t{64} << 20);
        s.WriteBuffer("data", 4);
        EXPECT_EQ(s.GetSize64(), 8);
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 8);
    EXPECT_LT(st.st_blocks * 512, std::int64_t{1} << 20);
}

TEST(LongFileStream, FullDeviceSurfacesAsWriteError) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TLongFileStream s("/dev/full", TLongFileStream::fmOpenWrite | TLongFileStream::fmShareDenyNone);
    EXPECT_THROW(s.WriteBuffer("abc", 3), WriteError);
}

TEST(LongFileStream, CopiesBetweenMemoryAndFile) {
    TempDir dir;
    const std::string path = dir.File("c.raw");
    TMemoryStream memory;
    Bytes data(3'000'000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i % 251);
    }
    memory.Assign(data.data(), static_cast<std::int64_t>(data.size()));
    {
        TLongFileStream file(path, TLongFileStream::fmCreate);
        memory.SetPosition64(100);
        EXPECT_EQ(file.CopyFrom(memory, 2'000'000), 2'000'000);
        EXPECT_THROW(file.CopyFrom(memory, 1'000'000), ReadError);  // only 999,900 left
    }
    const Bytes written = test::ReadAll(path);
    ASSERT_GE(written.size(), 2'000'000U);
    EXPECT_TRUE(std::equal(written.begin(), written.begin() + 2'000'000, data.begin() + 100));
}

TEST(MemoryStream, KeepFromAndPositions) {
    TMemoryStream m;
    m.Append("0123456789", 10);
    EXPECT_EQ(m.GetPosition64(), 0);
    m.KeepFrom(4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Data()), 6), "456789");
    EXPECT_EQ(m.Seek64(-2, TLongStream::soFromEnd), 4);
    std::array<char, 4> b{};
    EXPECT_EQ(m.Read(b.data(), 4), 2);
    m.KeepFrom(100);
    EXPECT_EQ(m.Size(), 0);
    m.SetPosition64(3);
    EXPECT_EQ(m.Write("ab", 2), 2);  // grows with zeros before
    EXPECT_EQ(m.Size(), 5);
    EXPECT_EQ(m.GetSize64(), 5);
}

}  // namespace
}  // namespace zolvane2
