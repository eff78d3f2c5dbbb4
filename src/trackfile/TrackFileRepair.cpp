#include "trackfile/TrackFileRepair.h"

#include <array>
#include <cstring>
#include <memory>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TLongFileStream.h"
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

// Whether a well-formed chunk (four printable letters, a size that fits in
// the file) starts at offset: the data chunk then ends where its size says,
// and what follows is not audio left out of the header.
bool ChunkAt(TLongStream& stream, std::int64_t offset, std::int64_t fileSize) {
    if (offset + 8 > fileSize) {
        return false;
    }
    std::array<std::uint8_t, 8> b{};
    stream.SetPosition64(offset);
    stream.ReadBuffer(b.data(), 8);
    for (int i = 0; i < 4; ++i) {
        if (b[i] < 0x20 || b[i] > 0x7E) {
            return false;
        }
    }
    return offset + 8 + static_cast<std::int64_t>(U32(&b[4])) <= fileSize;
}

constexpr const char* kTooLongEnding = "_tooLONG.wav";

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

void Refuse(UserMessages& messages, const std::string& path, const char* text, const char* title) {
    messages.Show(path + "\r\n" + text, title, MsgIcon::Error, MsgButtons::Ok);
}

}  // namespace

TrackFileRepair::Outcome TrackFileRepair::Repair(const std::string& path, UserMessages& messages) {
    Outcome outcome;
    outcome.fileName = path;
    const auto entry = FileSystem::LookUp(path);
    if (!entry) {
        Refuse(messages, path, TrackFileReader::kNotFound, TrackFileReader::kErrorTitle);
        return outcome;
    }
    if (!TrackFileReader::IsTrackFileName(path) || TrackFileReader::IsRawFileName(path)) {
        Refuse(messages, path, TrackFileReader::kNotWave, TrackFileReader::kErrorTitle);
        return outcome;
    }
    // The reader's own checks and messages decide what is a 16-bit PCM WAVE file.
    const auto properties = TrackFileReader::ReadFileProperties(path, 44100, 2, messages);
    if (!properties) {
        return outcome;
    }
    auto owned = std::make_unique<TLongFileStream>(path, TLongFileStream::fmOpenReadWrite);
    TLongFileStream& stream = *owned;
    const std::int64_t fileSize = stream.GetSize64();
    std::array<std::uint8_t, 4> tag{};
    stream.ReadBuffer(tag.data(), 4);
    const std::int64_t dataOffset = properties->dataOffset;
    if (std::memcmp(tag.data(), "RIFF", 4) != 0 || dataOffset < 12 || dataOffset > fileSize) {
        // Without a RIFF size to mend, this is no file the recorder left.
        Refuse(messages, path, TrackFileReader::kNotWave, TrackFileReader::kErrorTitle);
        return outcome;
    }
    const std::uint32_t riff = ReadU32At(stream, 4);
    const std::uint32_t data = ReadU32At(stream, dataOffset - 4);
    outcome.riffSize = riff;
    outcome.dataSize = data;

    const bool capped = TrackFileWriter::MustCap(fileSize, CapPolicy::RecorderAndCombine);
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(properties->channels);
    const std::int64_t wholeFrames = (fileSize - dataOffset) / frameBytes * frameBytes;
    const std::uint32_t wantData = capped ? TrackFileWriter::kCappedDataSize : static_cast<std::uint32_t>(wholeFrames);
    const std::uint32_t wantRiff =
        capped ? TrackFileWriter::kCappedRiffSize : static_cast<std::uint32_t>(dataOffset - 8 + wholeFrames);

    const std::int64_t declaredEnd = dataOffset + data + (data & 1U);
    // A size past the end (the provisional header of a file killed before
    // its first update, or a file cut short) is mended as a short one is.
    const bool dataShort =
        (data < wantData && !ChunkAt(stream, declaredEnd, fileSize)) || dataOffset + std::int64_t{data} > fileSize;
    const bool riffShort = !dataShort && riff == 0;
    if (!dataShort && !riffShort) {
        outcome.verdict = Verdict::AlreadyRight;
        return outcome;
    }
    std::array<std::uint8_t, 4> b{};
    bool written = true;
    if (dataShort) {
        PutU32(b.data(), wantData);
        written = stream.WriteAt(dataOffset - 4, b.data(), 4);
        outcome.dataSize = wantData;
    }
    const std::uint32_t newRiff = dataShort || capped ? wantRiff : static_cast<std::uint32_t>(fileSize - 8);
    PutU32(b.data(), newRiff);
    written = written && stream.WriteAt(4, b.data(), 4);
    if (!written) {
        throw WriteError(kStreamWriteErrorText);
    }
    outcome.riffSize = newRiff;
    outcome.verdict = Verdict::Repaired;
    owned.reset();
    if (capped && !EndsWith(path, kTooLongEnding)) {
        const std::string tooLong = TrackFileWriter::TooLongName(path);
        if (FileSystem::RenameNoReplace(path, tooLong)) {
            outcome.fileName = tooLong;
        }
    }
    return outcome;
}

}  // namespace zolvane2
