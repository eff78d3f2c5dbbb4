#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "support/FlacTool.h"
#include "support/RecordingUserMessages.h"
#include "support/TestFiles.h"
#include "support/TrackfileTestSupport.h"
#include "support/WaveFile.h"
#include "trackfile/TrackAudio.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackFileRepair.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::TempDir;

// Feeds pcm in uneven pieces that tear frames and samples apart, as the
// splitter and a device's blocks may.
void AppendTorn(TrackFileWriter& w, const Bytes& pcm) {
    std::size_t at = 0;
    for (std::size_t step = 1; at < pcm.size(); step = step * 3 + 1) {
        const std::size_t n = std::min(step % 70001, pcm.size() - at);
        w.Append(pcm.data() + at, static_cast<std::int64_t>(n));
        at += n;
    }
}

// The frames come back byte for byte through the reference decoder, for a
// job and for a live recording (encoded on the helper thread), mono and
// stereo; the tags read back with metaflac; no WAVE rule touches the file.
TEST(FlacTrack, DecodesToTheSameFramesWithItsTags) {
    if (!test::HaveFlacTools()) {
        GTEST_SKIP() << "flac/metaflac not installed";
    }
    TempDir dir;
    TrackTags tags;
    tags.title = "Side A – 1";
    tags.artist = "Ånna";
    tags.album = "Tape";
    tags.trackNumber = "1";
    tags.date = "1979";
    for (const bool live : {false, true}) {
        for (const int channels : {1, 2}) {
            const std::string path = dir.File("t" + std::to_string(channels) + (live ? "live" : "") + ".flac");
            const Bytes pcm = test::MusicLikePcm(44100 * 3 + 17, channels);
            TrackFileWriter w(CapPolicy::Redivide);
            w.SetFlac(FlacSettings{});
            w.SetTags(tags);
            w.SetLiveRecording(live);
            w.OpenOutput(path, channels, 44100, false, TrackFileWriter::Create::New);
            EXPECT_EQ(w.HeaderSize(), 0);
            AppendTorn(w, pcm);
            EXPECT_EQ(w.CurrentSize(), static_cast<std::int64_t>(pcm.size()));
            EXPECT_EQ(w.CloseOutput(), FinishStatus::Kept);
            EXPECT_EQ(w.FileName(), path);
            EXPECT_EQ(test::Shell("flac -t -s " + test::Quoted(path)), 0) << path;
            EXPECT_TRUE(test::FlacDecode(path) == pcm) << path;
            EXPECT_LT(std::filesystem::file_size(path), pcm.size());
            EXPECT_EQ(test::ShellOutput("metaflac --export-tags-to=- " + test::Quoted(path)),
                      "TITLE=Side A – 1\nARTIST=Ånna\nALBUM=Tape\nTRACKNUMBER=1\nDATE=1979\n");
            EXPECT_EQ(test::ShellOutput("metaflac --show-total-samples " + test::Quoted(path)),
                      std::to_string(44100 * 3 + 17) + "\n");
        }
    }
    // A name taken is never replaced, and an empty FLAC file is not kept.
    TrackFileWriter w;
    w.SetFlac(FlacSettings{});
    const std::string taken = dir.File("t1.flac");
    const auto before = test::ReadAll(taken);
    EXPECT_THROW(w.OpenOutput(taken, 1, 44100, false, TrackFileWriter::Create::New), FileCreateError);
    EXPECT_TRUE(test::ReadAll(taken) == before);
    w.OpenOutput(dir.File("empty.flac"), 2, 44100, false, TrackFileWriter::Create::New);
    EXPECT_EQ(w.CloseOutput(), FinishStatus::Deleted);
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.flac")));
}

// The player and the jobs read a FLAC file where they like, frame by frame:
// each read at an offset (back and forth, through a frame, across frames,
// to the end) gives the very bytes of the WAVE frames, without decoding the
// whole file first.
TEST(FlacTrack, AStreamedFileReadsAtAnyOffsetAsTheWaveFrames) {
    TempDir dir;
    const std::string path = dir.File("long.flac");
    const Bytes pcm = test::MusicLikePcm(44100 * 20 + 333, 2, 5);
    TrackFileWriter w;
    w.SetFlac(FlacSettings{});
    w.OpenOutput(path, 2, 44100, false, TrackFileWriter::Create::New);
    w.Append(pcm.data(), static_cast<std::int64_t>(pcm.size()));
    ASSERT_EQ(w.CloseOutput(), FinishStatus::Kept);

    const auto audio = TrackAudio::Open(path);
    ASSERT_EQ(audio->GetSize64(), static_cast<std::int64_t>(pcm.size()));
    const auto size = static_cast<std::int64_t>(pcm.size());
    const std::int64_t offsets[] = {0, 3'000'000, 4 * 4096 - 8, 16, size - 4 * 700, 1'000'002, 4 * 4096 * 50 + 4, 8};
    for (const std::int64_t at : offsets) {
        const std::int64_t want = std::min<std::int64_t>(70'000, size - at);
        Bytes back(static_cast<std::size_t>(want));
        audio->SetPosition64(at);
        audio->ReadBuffer(back.data(), want);
        EXPECT_TRUE(std::equal(back.begin(), back.end(), pcm.begin() + at)) << at;
        EXPECT_EQ(audio->GetPosition64(), at + want);
    }
    Bytes tail(100);
    audio->SetPosition64(size - 4);
    EXPECT_EQ(audio->Read(tail.data(), 100), 4);
    EXPECT_EQ(audio->Write(tail.data(), 4), 0);
    EXPECT_THROW((void)TrackAudio::Open(dir.File("missing.flac")), FileOpenError);
    test::WriteFile(dir.File("not.flac"), Bytes(64, 'R'));
    EXPECT_THROW((void)TrackAudio::Open(dir.File("not.flac")), ReadError);
}

// What a kill leaves while a FLAC track is written (the file as it is on
// disk before CloseOutput) decodes with every tool up to its last frame:
// the header is complete from the start and each frame is in the file once
// encoded. repair then gives it its sample count.
TEST(FlacTrack, AnUnfinishedFileDecodesUpToItsLastFrameAndIsRepaired) {
    if (!test::HaveFlacTools()) {
        GTEST_SKIP() << "flac/metaflac not installed";
    }
    TempDir dir;
    const std::string path = dir.File("rec.flac");
    const Bytes pcm = test::MusicLikePcm(48000 * 4, 2);
    TrackFileWriter w;
    w.SetFlac(FlacSettings{});
    w.OpenOutput(path, 2, 48000, false, TrackFileWriter::Create::New);
    w.Append(pcm.data(), static_cast<std::int64_t>(pcm.size()));
    const std::string killed = dir.File("killed.flac");
    std::filesystem::copy_file(path, killed);
    (void)w.CloseOutput();
    EXPECT_EQ(test::Shell("flac -t -s " + test::Quoted(killed) + " 2>/dev/null"), 0);
    const Bytes decoded = test::FlacDecode(killed);
    // libFLAC holds at most one block (4096 frames) that it has not encoded yet.
    ASSERT_GE(decoded.size() + 4096 * 4, pcm.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), pcm.begin()));

    // The reader counts the frames the header does not give yet, and the
    // jobs' source holds exactly those frames.
    test::RecordingUserMessages messages;
    const auto p = TrackFileReader::ReadFileProperties(killed, 44100, 2, messages);
    ASSERT_TRUE(p.has_value());
    EXPECT_TRUE(p->flac);
    EXPECT_EQ(p->dataSize, static_cast<std::int64_t>(decoded.size()));
    EXPECT_EQ(p->channels, 2);
    EXPECT_EQ(p->sampleRate, 48000);
    {
        // Streamed from the file, which it holds as any source is held.
        const auto audio = TrackAudio::Open(killed);
        Bytes back(decoded.size());
        audio->ReadBuffer(back.data(), static_cast<std::int64_t>(back.size()));
        EXPECT_TRUE(back == decoded);
        EXPECT_EQ(audio->Read(back.data(), 1), 0);
        // No sample count to seek by: a step back still finds its frames.
        Bytes part(10000);
        ASSERT_EQ(audio->ReadAt(123456, part.data(), 10000), 10000);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), decoded.begin() + 123456));
    }
    EXPECT_EQ(messages.Count(), 0U);

    // Repair writes the sample count players need, then leaves the file be.
    const auto repaired = TrackFileRepair::Repair(killed, messages);
    EXPECT_EQ(repaired.verdict, TrackFileRepair::Verdict::Repaired);
    const std::string frames = std::to_string(decoded.size() / 4);
    EXPECT_EQ(test::ShellOutput("metaflac --show-total-samples " + test::Quoted(killed)), frames + "\n");
    EXPECT_TRUE(test::FlacDecode(killed) == decoded);
    const Bytes mended = test::ReadAll(killed);
    EXPECT_EQ(TrackFileRepair::Repair(killed, messages).verdict, TrackFileRepair::Verdict::AlreadyRight);
    EXPECT_EQ(TrackFileRepair::Repair(path, messages).verdict, TrackFileRepair::Verdict::AlreadyRight);
    EXPECT_TRUE(test::ReadAll(killed) == mended);
    EXPECT_EQ(messages.Count(), 0U);
}

// A FLAC file of another depth or more channels is refused with the
// reader's message, as an 8-bit WAVE file is; so is garbage named .flac.
TEST(FlacTrack, OnlySixteenBitMonoOrStereoIsRead) {
    if (!test::HaveFlacTools()) {
        GTEST_SKIP() << "flac/metaflac not installed";
    }
    TempDir dir;
    test::WriteFile(dir.File("pcm.raw"), test::MusicLikePcm(6000, 2));
    const std::string raw = test::Quoted(dir.File("pcm.raw"));
    ASSERT_EQ(test::Shell("flac -s --force-raw-format --endian=little --sign=signed --channels=1 --bps=24 "
                          "--sample-rate=44100 -o " +
                          test::Quoted(dir.File("deep.flac")) + " " + raw),
              0);
    ASSERT_EQ(test::Shell("flac -s --force-raw-format --endian=little --sign=signed --channels=4 --bps=16 "
                          "--sample-rate=44100 -o " +
                          test::Quoted(dir.File("four.flac")) + " " + raw),
              0);
    test::WriteFile(dir.File("junk.flac"), Bytes(300, 'j'));
    test::RecordingUserMessages messages;
    for (const char* name : {"deep.flac", "four.flac", "junk.flac"}) {
        EXPECT_FALSE(TrackFileReader::ReadFileProperties(dir.File(name), 44100, 2, messages)) << name;
        EXPECT_FALSE(TrackFileReader::PrepareForPlaying(dir.File(name), messages)) << name;
    }
    ASSERT_EQ(messages.Count(), 6U);
    const auto shown = messages.Messages();
    EXPECT_EQ(shown[0].text, UserText(TextId::UnsupportedFlac, {dir.File("deep.flac")}).Japanese());
    EXPECT_EQ(shown[2].text, UserText(TextId::UnsupportedFlac, {dir.File("four.flac")}).Japanese());
    EXPECT_EQ(shown[4].text, UserText(TextId::NotFlac, {dir.File("junk.flac")}).Japanese());
}

}  // namespace
}  // namespace zolvane2
