#include "trackfile/TrackFileRepair.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/stat.h>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/FlacDecoder.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackAudio.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFU);
    }
}

std::uint32_t ReadU32At(TLongStream& stream, std::int64_t offset) {
    std::array<std::uint8_t, 4> b{};
    stream.SetPosition64(offset);
    stream.ReadBuffer(b.data(), 4);
    return U32(b.data());
}

// A tail no tidy file carries this many chunks after its audio.
constexpr int kMaxTrailingChunks = 1024;

// Whether what lies from offset to the end of the file is a run of chunks
// (four printable letters, a size, a pad byte after an odd size) whose last
// one ends exactly at the end, with or without its pad byte: the data chunk
// then ends where its size says, and what follows is not audio left out of
// the header. Audio almost never passes this; a single chunk-like header at
// the declared end of a killed recording would, one time in some 30,000.
bool ChunksToTheEnd(TLongStream& stream, std::int64_t offset, std::int64_t fileSize) {
    std::int64_t at = offset;
    for (int i = 0; i < kMaxTrailingChunks && fileSize - at >= 8; ++i) {
        std::array<std::uint8_t, 8> b{};
        stream.SetPosition64(at);
        stream.ReadBuffer(b.data(), 8);
        for (int k = 0; k < 4; ++k) {
            if (b[k] < 0x20 || b[k] > 0x7E) {
                return false;
            }
        }
        const std::int64_t size = U32(&b[4]);
        const std::int64_t end = at + 8 + size;
        if (end == fileSize || (end + 1 == fileSize && (size & 1) != 0)) {
            return true;
        }
        at = end + (size & 1);
    }
    return false;
}

// What a look at the header and the tail decided.
struct Plan {
    std::uint32_t riff = 0;  // the sizes the header holds
    std::uint32_t data = 0;
    bool mendData = false;
    bool mendRiff = false;
    bool capped = false;
    std::uint32_t newData = 0;
    std::uint32_t newRiff = 0;
};

// False when the file has no RIFF size to mend. Reads only.
bool Decide(TLongStream& stream, const FileProperties& properties, Plan& plan) {
    const std::int64_t fileSize = stream.GetSize64();
    std::array<std::uint8_t, 4> tag{};
    stream.SetPosition64(0);
    stream.ReadBuffer(tag.data(), 4);
    const std::int64_t dataOffset = properties.dataOffset;
    if (std::memcmp(tag.data(), "RIFF", 4) != 0 || dataOffset < 12 || dataOffset > fileSize) {
        return false;
    }
    plan = Plan{};
    plan.riff = ReadU32At(stream, 4);
    plan.data = ReadU32At(stream, dataOffset - 4);
    plan.capped = TrackFileWriter::MustCap(fileSize, CapPolicy::RecorderAndCombine);
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(properties.channels);
    const std::int64_t wholeFrames = (fileSize - dataOffset) / frameBytes * frameBytes;
    const std::uint32_t wantData =
        plan.capped ? TrackFileWriter::kCappedDataSize : static_cast<std::uint32_t>(wholeFrames);
    const std::uint32_t wantRiff =
        plan.capped ? TrackFileWriter::kCappedRiffSize : static_cast<std::uint32_t>(dataOffset - 8 + wholeFrames);

    // Some writers leave out the pad byte after odd-sized audio: their
    // further chunks begin a byte early.
    const std::int64_t declaredEnd = dataOffset + plan.data;
    const bool chunksFollow = ChunksToTheEnd(stream, declaredEnd + (plan.data & 1U), fileSize) ||
                              ((plan.data & 1U) != 0 && ChunksToTheEnd(stream, declaredEnd, fileSize));
    // A size past the end (the provisional header of a file killed before
    // its first update, or a file cut short) is mended as a short one is.
    plan.mendData = (plan.data < wantData && !chunksFollow) || declaredEnd > fileSize;
    plan.mendRiff = plan.mendData || plan.riff == 0;
    plan.newData = plan.mendData ? wantData : plan.data;
    plan.newRiff = plan.mendData || plan.capped ? wantRiff : static_cast<std::uint32_t>(fileSize - 8);
    return true;
}

// Blocks a file holds beyond its end that no one will write any more: an
// interrupted recording's reservation. Filesystems keep a little past the end
// of their own accord, far less than this.
constexpr std::int64_t kReservedSlack = std::int64_t{1} << 20;

std::int64_t BlocksBeyondTheEnd(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return 0;
    }
    return std::max<std::int64_t>(static_cast<std::int64_t>(st.st_blocks) * 512 - st.st_size, 0);
}

std::int64_t BlocksBeyondTheEnd(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return 0;
    }
    return std::max<std::int64_t>(static_cast<std::int64_t>(st.st_blocks) * 512 - st.st_size, 0);
}

// Writes the sizes the plan mends, then gives back the blocks past the end.
void Apply(TLongFileStream& stream, const FileProperties& properties, const Plan& plan,
           TrackFileRepair::Outcome& outcome) {
    outcome.riffSize = plan.riff;
    outcome.dataSize = plan.data;
    struct stat before {};
    const bool timed = ::fstat(stream.Handle(), &before) == 0;
    if (plan.mendRiff) {
        std::array<std::uint8_t, 4> b{};
        bool written = true;
        if (plan.mendData) {
            PutU32(b.data(), plan.newData);
            written = stream.WriteAt(properties.dataOffset - 4, b.data(), 4);
        }
        PutU32(b.data(), plan.newRiff);
        written = written && stream.WriteAt(4, b.data(), 4);
        if (!written) {
            throw WriteError(UserText(TextId::StreamWrite));
        }
        outcome.dataSize = plan.newData;
        outcome.riffSize = plan.newRiff;
    }
    // Cutting the file to its own size gives back every block past the end.
    const std::int64_t beyond = BlocksBeyondTheEnd(stream.Handle());
    if (beyond > 0 && ::ftruncate(stream.Handle(), static_cast<off_t>(stream.GetSize64())) == 0) {
        outcome.releasedBytes = std::max<std::int64_t>(beyond - BlocksBeyondTheEnd(stream.Handle()), 0);
        if (!plan.mendRiff && timed) {
            // Only space was given back: the track keeps its time.
            const std::array<timespec, 2> times{timespec{0, UTIME_OMIT}, before.st_mtim};
            (void)::futimens(stream.Handle(), times.data());
        }
    }
}

constexpr const char* kTooLongEnding = "_tooLONG.wav";

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

void Refuse(UserMessages& messages, const std::string& path, TextId text) {
    messages.Show(UserText(text, {path}), TrackFileReader::kErrorTitle, MsgIcon::Error, MsgButtons::Ok);
}

// STREAMINFO's 36-bit sample count lies in the low nibble of byte 21 of the
// file and the four bytes after it.
constexpr std::int64_t kFlacSampleCountAt = 21;

TrackFileRepair::Outcome RepairFlac(const std::string& path, UserMessages& messages) {
    TrackFileRepair::Outcome outcome;
    outcome.fileName = path;
    outcome.flac = true;
    // The reader's checks and messages decide what is a FLAC file we read.
    std::optional<FlacStreamInfo> info;
    {
        TLongFileStream reading(path, TLongFileStream::fmOpenRead);
        info = FlacDecoder::ReadStreamInfo(reading);
    }
    if (!info || info->bitsPerSample != 16 || info->channels > 2) {
        (void)TrackFileReader::ReadFileProperties(path, 44100, 2, messages);
        return outcome;
    }
    outcome.samples = info->totalSamples;
    outcome.verdict = TrackFileRepair::Verdict::AlreadyRight;
    if (info->totalSamples != 0) {
        return outcome;
    }
    const std::int64_t frames = FlacDecoder::Decode(path, [](const std::uint8_t*, std::int64_t) {});
    if (frames == 0) {
        return outcome;
    }
    TLongFileStream stream(path, TLongFileStream::fmOpenReadWrite);
    std::array<std::uint8_t, 5> count{};
    stream.SetPosition64(kFlacSampleCountAt);
    stream.ReadBuffer(count.data(), 1);
    count[0] = static_cast<std::uint8_t>((count[0] & 0xF0U) | ((frames >> 32) & 0x0FU));
    for (int i = 1; i < 5; ++i) {
        count[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((frames >> (8 * (4 - i))) & 0xFF);
    }
    errno = 0;
    if (!stream.WriteAt(kFlacSampleCountAt, count.data(), 5)) {
        throw WriteError(UserText(TextId::StreamWrite), errno);
    }
    outcome.samples = frames;
    outcome.verdict = TrackFileRepair::Verdict::Repaired;
    return outcome;
}

}  // namespace

TrackFileRepair::Outcome TrackFileRepair::Repair(const std::string& path, UserMessages& messages) {
    Outcome outcome;
    outcome.fileName = path;
    const auto entry = FileSystem::LookUp(path);
    if (!entry) {
        Refuse(messages, path, TextId::NotFound);
        return outcome;
    }
    if (TrackAudio::IsFlacFileName(path)) {
        return RepairFlac(path, messages);
    }
    if (!TrackFileReader::IsTrackFileName(path) || TrackFileReader::IsRawFileName(path)) {
        Refuse(messages, path, TextId::NotWave);
        return outcome;
    }
    // The reader's own checks and messages decide what is a 16-bit PCM WAVE file.
    const auto properties = TrackFileReader::ReadFileProperties(path, 44100, 2, messages);
    if (!properties) {
        return outcome;
    }
    if (properties->formatSize < 16) {
        Refuse(messages, path, TextId::FormatTooShort);
        return outcome;
    }
    // Decided by reading only, so a right file on a read-only disk is fine.
    Plan plan;
    bool known = false;
    {
        TLongFileStream reading(path, TLongFileStream::fmOpenRead);
        known = Decide(reading, *properties, plan);
    }
    if (!known) {
        // Without a RIFF size to mend, this is no file the recorder left.
        Refuse(messages, path, TextId::NotWave);
        return outcome;
    }
    outcome.riffSize = plan.riff;
    outcome.dataSize = plan.data;
    if (!plan.mendRiff && BlocksBeyondTheEnd(path) <= kReservedSlack) {
        outcome.verdict = Verdict::AlreadyRight;
        return outcome;
    }

    {
        TLongFileStream stream(path, TLongFileStream::fmOpenReadWrite);
        // Decided again under the lock that is now held.
        if (!Decide(stream, *properties, plan)) {
            Refuse(messages, path, TextId::NotWave);
            return outcome;
        }
        Apply(stream, *properties, plan, outcome);
    }
    if (!plan.mendRiff) {
        outcome.verdict = Verdict::AlreadyRight;
        return outcome;
    }
    outcome.verdict = Verdict::Repaired;
    if (plan.capped && !EndsWith(path, kTooLongEnding)) {
        const std::string tooLong = TrackFileWriter::TooLongName(path);
        if (FileSystem::RenameNoReplace(path, tooLong)) {
            outcome.fileName = tooLong;
        }
    }
    return outcome;
}

}  // namespace zolvane2
