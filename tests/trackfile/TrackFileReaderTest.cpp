#include <ctime>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "support/RecordingUserMessages.h"
#include "support/TrackfileTestSupport.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::MakeWave;
using test::RecordingUserMessages;
using test::TempDir;
using test::WaveLayout;

class TrackFileReaderTest : public ::testing::Test {
protected:
    std::optional<FileProperties> Props(const std::string& path, int rate = 44100, int channels = 2) {
        return TrackFileReader::ReadFileProperties(path, rate, channels, messages_);
    }
    std::optional<PlayInfo> Play(const std::string& path) {
        return TrackFileReader::PrepareForPlaying(path, messages_);
    }
    std::string Put(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_.File(name);
        test::WriteFile(path, bytes);
        return path;
    }
    void ExpectOneMessage(const std::string& path, const std::string& text, const std::string& title) {
        const auto shown = messages_.Messages();
        ASSERT_EQ(shown.size(), 1U);
        EXPECT_EQ(shown[0].text, path + "\r\n" + text);
        EXPECT_EQ(shown[0].title, title);
        EXPECT_EQ(shown[0].icon, MsgIcon::Error);
        EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
        messages_.Clear();
    }

    TempDir dir_;
    RecordingUserMessages messages_;
};

TEST_F(TrackFileReaderTest, WriterOutputReadsBack) {
    const std::string path = dir_.File("Track00001.wav");
    TrackFileWriter w;
    w.OpenOutput(path, 2, 44100, false);
    const Bytes frames(static_cast<std::size_t>(205 * 44100 * 4), 0);  // 3 min 25 s
    w.Append(frames.data(), static_cast<std::int64_t>(frames.size()));
    ASSERT_EQ(w.CloseOutput(), FinishStatus::Kept);

    const auto p = Props(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fileName, "Track00001.wav");
    EXPECT_EQ(p->folder, dir_.Path() + "/");
    EXPECT_EQ(p->dataOffset, 44);
    EXPECT_EQ(p->dataSize, static_cast<std::int64_t>(frames.size()));
    EXPECT_EQ(p->lengthText, "00000:03:25");
    EXPECT_EQ(p->channelText, "Stereo");
    EXPECT_EQ(p->sampleRate, 44100);
    const auto play = Play(path);
    ASSERT_TRUE(play);
    EXPECT_EQ(play->dataOffset, 44);
    EXPECT_EQ(play->dataSize, static_cast<std::int64_t>(frames.size()));
    EXPECT_EQ(play->channels, 2);
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(TrackFileReaderTest, DateIsLocalInTwoSecondSteps) {
    const std::string path = Put("d.wav", MakeWave(WaveLayout{}, 4));
    const std::time_t when = test::StampKnownTime(path);
    ASSERT_NE(when, -1);
    const auto p = Props(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dateText, "2021/03/04 05:06:06");
    EXPECT_EQ(p->lastWrite, when);
}

TEST_F(TrackFileReaderTest, LengthTextAndChannelText) {
    EXPECT_EQ(TrackFileReader::LengthText(205), "00000:03:25");
    EXPECT_EQ(TrackFileReader::LengthText(0), "00000:00:00");
    EXPECT_EQ(TrackFileReader::LengthText(100 * 3600 + 59 * 60 + 59), "00100:59:59");
    EXPECT_EQ(TrackFileReader::LengthText(-1), "00000:00:00");
    // Hours carry: a frame short of an hour, or of 25 hours.
    EXPECT_EQ(TrackFileReader::LengthText(3600 - 1.0 / 44100), "00001:00:00");
    EXPECT_EQ(TrackFileReader::LengthText(25 * 3600 - 1.0 / 96000), "00025:00:00");
    EXPECT_EQ(TrackFileReader::LengthText(3599.4), "00000:59:59");
    EXPECT_EQ(TrackFileReader::ChannelText(1), "Mono");
    EXPECT_EQ(TrackFileReader::ChannelText(2), "Stereo");
    EXPECT_EQ(TrackFileReader::ChannelText(6), "6ch");
}

TEST_F(TrackFileReaderTest, RiffLettersAreNotChecked) {
    WaveLayout s;
    s.riff = false;
    s.dataSize = 8;
    const auto p = Props(Put("x.wav", MakeWave(s, 8)));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dataSize, 8);
}

// A finished file with the given chunks between its format and data chunks,
// each padded to an even size as RIFF wants.
Bytes WithChunks(const std::vector<std::pair<std::string, Bytes>>& chunks, std::size_t dataBytes) {
    WaveLayout s;
    s.dataSize = static_cast<std::uint32_t>(dataBytes);
    const Bytes plain = MakeWave(s, dataBytes);
    Bytes b(plain.begin(), plain.begin() + 36);
    for (const auto& [id, body] : chunks) {
        test::AppendChunkHead(b, id, body.size());
        b.insert(b.end(), body.begin(), body.end());
        if (body.size() % 2 != 0) {
            b.push_back(0);
        }
    }
    b.insert(b.end(), plain.begin() + 36, plain.end());
    test::ByteWriter(b, 4).Le(b.size() - 8, 4);
    return b;
}

Bytes Text(const std::string& text) {
    return {text.begin(), text.end()};
}

// Other programs put chunks of any length between the format and the data
// chunk (ffmpeg a 26-byte LIST, broadcast files a bext of 602 bytes and more,
// some a JUNK filler); letters "data" inside one are no tag.
TEST_F(TrackFileReaderTest, ChunksOfOtherProgramsArePassedOver) {
    Bytes comment = Text("INFOICMT");
    const Bytes words = Text("1234data\x10\0\0\0not audio, a comment.....");
    comment.insert(comment.end(), words.begin(), words.end());
    const struct {
        const char* name;
        std::vector<std::pair<std::string, Bytes>> chunks;
    } files[] = {
        {"ffmpeg.wav", {{"LIST", Text(std::string("INFOISFT\x0e\0\0\0Lavf58.76.100\0", 26))}}},
        {"bwf.wav", {{"bext", Bytes(603, 'b')}, {"JUNK", Bytes(1000, 0)}}},
        {"comment.wav", {{"LIST", comment}}},
    };
    for (const auto& f : files) {
        const Bytes b = WithChunks(f.chunks, 400);
        const std::string path = Put(f.name, b);
        const auto p = Props(path);
        ASSERT_TRUE(p) << f.name;
        EXPECT_EQ(p->dataOffset, static_cast<std::int64_t>(b.size()) - 400) << f.name;
        EXPECT_EQ(p->dataSize, 400) << f.name;
        EXPECT_EQ(p->channels, 2) << f.name;
        const auto play = Play(path);
        ASSERT_TRUE(play) << f.name;
        EXPECT_EQ(play->dataOffset, p->dataOffset) << f.name;
        EXPECT_EQ(play->dataSize, 400) << f.name;
    }
    EXPECT_EQ(messages_.Count(), 0U);

    // Cut short inside its last chunk, or with a RIFF size past the end, a
    // file is read by the word search as before: here it finds no data tag.
    Bytes torn = WithChunks({{"LIST", Bytes(26, 'z')}}, 0);
    torn.resize(60);
    const std::string bad = Put("torn.wav", torn);
    EXPECT_FALSE(Props(bad));
    ExpectOneMessage(bad, "がうまく読めませんでした。", "Error");
}

TEST_F(TrackFileReaderTest, NoFormatChunkMayNotBeWave) {
    const std::string path = Put("n.wav", Bytes(1000, 'q'));
    EXPECT_FALSE(Props(path));
    ExpectOneMessage(path, "はWaveファイルではない可能性があります。", "Error");
    // 200 words only: a format tag at word 200 is not found.
    Bytes late(800, 'q');
    const Bytes wave = MakeWave(WaveLayout{}, 4);
    late.insert(late.end(), wave.begin() + 12, wave.end());
    const std::string far = Put("far.wav", late);
    EXPECT_FALSE(Props(far));
    ExpectOneMessage(far, "はWaveファイルではない可能性があります。", "Error");
}

TEST_F(TrackFileReaderTest, ExtensionsCompareWithoutCase) {
    const Bytes wave = MakeWave(WaveLayout{}, 4);
    EXPECT_TRUE(Props(Put("a.Wav", wave)));
    EXPECT_TRUE(Props(Put("b.WAV", wave)));
    EXPECT_TRUE(Props(Put("c.RaW", wave)));
    EXPECT_FALSE(Props(Put("d.mp3", wave)));
    EXPECT_FALSE(Play(Put("e.mp3", wave)));
    EXPECT_FALSE(Props(Put("wav", wave)));
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(TrackFileReaderTest, MissingFileIsSilentForTheListAndReportedForThePlayer) {
    const std::string path = dir_.File("gone.wav");
    EXPECT_FALSE(Props(path));
    EXPECT_EQ(messages_.Count(), 0U);
    EXPECT_FALSE(Play(path));
    ExpectOneMessage(path, "が見つかりません。", "Error");
    // A folder is not a file.
    EXPECT_FALSE(Play(dir_.Path()));
    ExpectOneMessage(dir_.Path(), "が見つかりません。", "Error");
}

TEST_F(TrackFileReaderTest, EightBitRejectedByTheListButPlayed) {
    WaveLayout s;
    s.bitsPerSample = 8;
    s.dataSize = 10;
    const std::string path = Put("8bit.wav", MakeWave(s, 10));
    EXPECT_FALSE(Props(path));
    ExpectOneMessage(path, "は16bitWaveファイルではありません。", "サポート外のファイル");
    const auto play = Play(path);
    ASSERT_TRUE(play);
    EXPECT_EQ(play->bitsPerSample, 8);
}

TEST_F(TrackFileReaderTest, NonPcmRejectedByBoth) {
    WaveLayout s;
    s.formatTag = 3;
    const std::string path = Put("f.wav", MakeWave(s, 8));
    EXPECT_FALSE(Props(path));
    ExpectOneMessage(path, "はPCM-Waveファイルではありません。", "サポート外のファイル");
    EXPECT_FALSE(Play(path));
    ExpectOneMessage(path, "はサポート外のWaveファイルです。", "Error");
}

TEST_F(TrackFileReaderTest, DegenerateFormatsAreRejectedInsteadOfDividingByZero) {
    for (int which = 0; which < 4; ++which) {
        WaveLayout s;
        s.dataSize = 8;
        if (which == 0) {
            s.channels = 0;
        } else if (which == 1) {
            s.sampleRate = 0;
        } else if (which == 2) {
            s.blockAlign = 0;
        } else {
            s.channels = 65535;  // a block align of 65534 after the 16-bit wrap
        }
        const std::string path = Put("z" + std::to_string(which) + ".wav", MakeWave(s, 8));
        EXPECT_FALSE(Props(path)) << which;
        ExpectOneMessage(path, "はサポート外のWaveファイルです。", "サポート外のファイル");
        EXPECT_FALSE(Play(path)) << which;
        ExpectOneMessage(path, "はサポート外のWaveファイルです。", "Error");
    }
}

TEST_F(TrackFileReaderTest, OtherChannelCountsShowAsNumberCh) {
    WaveLayout s;
    s.channels = 6;
    s.dataSize = 12 * 48000;
    s.sampleRate = 48000;
    const auto p = Props(Put("six.wav", MakeWave(s, 12 * 48000)));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->channelText, "6ch");
    EXPECT_EQ(p->lengthText, "00000:00:01");
}

TEST_F(TrackFileReaderTest, UnpatchedHeaderCountsTheFramesThatAreThere) {
    // Left by an interrupted recording: both sizes still 0.
    const std::string path = Put("crash.wav", MakeWave(WaveLayout{}, 176400));
    {
        Bytes b = test::ReadAll(path);
        b[4] = b[5] = b[6] = b[7] = 0;
        test::WriteFile(path, b);
    }
    const auto p = Props(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dataSize, 176400);
    EXPECT_EQ(p->lengthText, "00000:00:01");
    const auto play = Play(path);
    ASSERT_TRUE(play);
    EXPECT_EQ(play->dataSize, 176400);

    // Only the header's 0 is replaced: a real size under 2 GB still rules.
    WaveLayout s;
    s.dataSize = 100;
    const auto q = Props(Put("real.wav", MakeWave(s, 400)));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->dataSize, 100);

    // The provisional header of a file being written, with no frames yet.
    const auto e = Props(Put("empty.wav", MakeWave(WaveLayout{}, 0)));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->dataSize, 0);
}

// A file cut short reads as the whole frames present, whether its header
// declares 0, a little more than is there, or 2 to 4 GB.
TEST_F(TrackFileReaderTest, HeaderSizeBeyondTheFileIsLimitedToTheFile) {
    WaveLayout s;
    for (const std::uint32_t declared : {0U, 1'000'000U, 0x80000000U, 0xFFFFFFF0U}) {
        s.dataSize = declared;
        const std::string path = Put("cut.wav", MakeWave(s, 42));
        const auto p = Props(path);
        ASSERT_TRUE(p) << declared;
        EXPECT_EQ(p->dataSize, 40) << declared;
        const auto play = Play(path);
        ASSERT_TRUE(play) << declared;
        EXPECT_EQ(play->dataSize, 40) << declared;
    }
}

TEST_F(TrackFileReaderTest, RenamedThreeGigabyteFileCountsAllItsFrames) {
    const std::string path = dir_.File("Track00001_tooLONG.wav");
    WaveLayout s;
    s.dataSize = TrackFileWriter::kCappedDataSize;
    test::WriteFile(path, MakeWave(s, 0));
    const std::int64_t size = 3LL * 1024 * 1024 * 1024;
    ASSERT_TRUE(test::ResizeSparse(path, size));
    const auto p = Props(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dataSize, size - 44);
    EXPECT_EQ(p->dataOffset, 44);
    const auto play = Play(path);
    ASSERT_TRUE(play);
    EXPECT_EQ(play->dataSize, size - 44);

    // Just under 2 GB the header rules.
    const std::string under = dir_.File("under.wav");
    s.dataSize = 1000;
    test::WriteFile(under, MakeWave(s, 0));
    ASSERT_TRUE(test::ResizeSparse(under, (std::int64_t{1} << 31) - 1));
    EXPECT_EQ(Props(under)->dataSize, 1000);
}

TEST_F(TrackFileReaderTest, RawTakesTheGivenSettings) {
    const std::string path = Put("r.raw", Bytes(88200 * 2, 0));
    const auto mono = Props(path, 44100, 1);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->dataOffset, 0);
    EXPECT_EQ(mono->dataSize, 176400);
    EXPECT_EQ(mono->lengthText, "00000:00:02");
    EXPECT_EQ(mono->channelText, "Mono");
    const auto stereo = Props(path, 22050, 2);
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->lengthText, "00000:00:02");
    EXPECT_EQ(stereo->sampleRate, 22050);
    const auto bad = Props(path, 0, 0);  // no division by zero with unusable settings
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->lengthText, "00000:00:00");
    const auto play = Play(path);
    ASSERT_TRUE(play);
    EXPECT_EQ(play->channels, 2);
    EXPECT_EQ(play->sampleRate, 44100);
    EXPECT_EQ(play->dataSize, 176400);
}

TEST_F(TrackFileReaderTest, FileHeldOpenElsewhereRaisesTheOpenError) {
    const std::string path = Put("held.wav", MakeWave(WaveLayout{}, 4));
    TLongFileStream holder(path, 0);
    EXPECT_THROW((void)Props(path), FileOpenError);
    EXPECT_THROW((void)Play(path), FileOpenError);
}

}  // namespace
}  // namespace zolvane2
