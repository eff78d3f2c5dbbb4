#include "trackfile/TrackFileReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "trackfile/FlacDecoder.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackAudio.h"

namespace zolvane2 {

namespace {

constexpr int kMaxWords = 200;
constexpr std::int64_t k2GB = std::int64_t{1} << 31;

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

int U16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

std::string Upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

// Reads 4-byte words from the stream's position until one equals tag; at most
// kMaxWords, and never past the end of the file.
bool FindTag(TLongStream& stream, const char* tag) {
    std::array<std::uint8_t, 4> word{};
    for (int i = 0; i < kMaxWords; ++i) {
        if (stream.Read(word.data(), 4) != 4) {
            return false;
        }
        if (std::memcmp(word.data(), tag, 4) == 0) {
            return true;
        }
    }
    return false;
}

struct WaveHeader {
    int formatTag = 0;
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;
    std::uint32_t formatSize = 0;
    std::int64_t dataOffset = 0;
    std::int64_t dataSize = 0;
};

enum class ParseResult { Ok, NoFormat, NoData };

void TakeFormat(const std::uint8_t* format, WaveHeader& header) {
    header.formatTag = U16(&format[0]);
    header.channels = U16(&format[2]);
    header.sampleRate = static_cast<int>(U32(&format[4]));
    header.blockAlign = U16(&format[12]);
    header.bitsPerSample = U16(&format[14]);
}

// Enough to tell a tidy file from noise; a file of more small chunks than
// this before its audio is left to the word scan.
constexpr int kMaxChunks = 1024;

// Follows the chunks of a tidy RIFF/WAVE file from offset 12 (id, size, a pad
// byte after an odd size) to the format and then the data chunk, so that
// whatever other programs put between them (LIST, bext, JUNK ...) is passed
// over however long it is, and letters inside it are never taken for a tag.
// False, having taken nothing, for any file that is not tidy: one whose RIFF
// size or a chunk before the data runs past the end (the provisional header
// of an interrupted recording), or whose format record is short.
bool WalkChunks(TLongStream& stream, std::int64_t fileSize, WaveHeader& header, std::int64_t& dataSizeField) {
    std::array<std::uint8_t, 12> riff{};
    stream.SetPosition64(0);
    if (stream.Read(riff.data(), 12) != 12 || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
        std::memcmp(&riff[8], "WAVE", 4) != 0 || 8 + static_cast<std::int64_t>(U32(&riff[4])) > fileSize) {
        return false;
    }
    WaveHeader found;
    bool haveFormat = false;
    std::int64_t at = 12;
    for (int i = 0; i < kMaxChunks; ++i) {
        std::array<std::uint8_t, 8> chunk{};
        stream.SetPosition64(at);
        if (stream.Read(chunk.data(), 8) != 8) {
            return false;
        }
        const std::int64_t size = U32(&chunk[4]);
        const std::int64_t body = at + 8;
        if (std::memcmp(chunk.data(), "data", 4) == 0) {
            if (!haveFormat) {
                return false;
            }
            found.dataOffset = body;
            header = found;
            dataSizeField = size;
            return true;
        }
        if (body + size > fileSize) {
            return false;
        }
        if (std::memcmp(chunk.data(), "fmt ", 4) == 0 && !haveFormat) {
            std::array<std::uint8_t, 16> format{};
            if (size < 16 || stream.Read(format.data(), 16) != 16) {
                return false;
            }
            TakeFormat(format.data(), found);
            found.formatSize = static_cast<std::uint32_t>(size);
            haveFormat = true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

// The reading of files that are not tidy, kept as it always was because it
// is what recovers interrupted recordings: 4-byte words are searched for
// "fmt " and, after the format chunk, for "data".
ParseResult ScanWords(TLongStream& stream, WaveHeader& header, std::int64_t& dataSizeField) {
    stream.SetPosition64(0);
    if (!FindTag(stream, "fmt ")) {
        return ParseResult::NoFormat;
    }
    stream.Seek64(4, TLongStream::soFromCurrent);
    std::array<std::uint8_t, 18> format{};
    if (stream.Read(format.data(), 18) != 18) {
        return ParseResult::NoData;
    }
    TakeFormat(format.data(), header);
    stream.Seek64(-22, TLongStream::soFromCurrent);
    std::array<std::uint8_t, 4> size{};
    if (stream.Read(size.data(), 4) != 4) {
        return ParseResult::NoData;
    }
    header.formatSize = U32(size.data());
    const auto chunkSize = static_cast<std::int32_t>(U32(size.data()));
    // A chunk size that points before the start leaves the position where it is.
    if (stream.GetPosition64() + chunkSize >= 0) {
        stream.Seek64(chunkSize, TLongStream::soFromCurrent);
    }
    if (!FindTag(stream, "data")) {
        return ParseResult::NoData;
    }
    dataSizeField = 0;
    if (stream.Read(size.data(), 4) == 4) {
        dataSizeField = U32(size.data());
    }
    header.dataOffset = stream.GetPosition64();
    return ParseResult::Ok;
}

// Steps shared by both readers: find the format chunk, take its record, find
// the data chunk and its size. The stream is closed when this returns.
ParseResult ParseWave(const std::string& path, std::int64_t fileSize, WaveHeader& header) {
    TLongFileStream stream(path, TLongFileStream::fmOpenRead);
    std::int64_t headerSize = 0;
    if (!WalkChunks(stream, fileSize, header, headerSize)) {
        const ParseResult scanned = ScanWords(stream, header, headerSize);
        if (scanned != ParseResult::Ok) {
            return scanned;
        }
    }
    header.dataOffset = std::min(header.dataOffset, fileSize);
    const std::int64_t present = fileSize - header.dataOffset;
    if (fileSize >= k2GB) {
        // Headers of files beyond 2 GB are capped; every frame counts.
        header.dataSize = present;
    } else if (headerSize == 0 || headerSize > present) {
        // Sizes never patched (the recording was interrupted), or a file cut
        // short (whatever size it declares, up to 4 GB): the whole frames that
        // are there are the data.
        const std::int64_t frameBytes = header.blockAlign > 0 ? header.blockAlign : 1;
        header.dataSize = present / frameBytes * frameBytes;
    } else {
        header.dataSize = headerSize;
    }
    return ParseResult::Ok;
}

void Report(UserMessages& messages, const std::string& path, TextId text, const UserText& title) {
    messages.Show(UserText(text, {path}), title, MsgIcon::Error, MsgButtons::Ok);
}

bool ParseOrReport(const std::string& path, std::int64_t fileSize, WaveHeader& header, UserMessages& messages) {
    switch (ParseWave(path, fileSize, header)) {
        case ParseResult::NoFormat:
            Report(messages, path, TextId::NotWave, TrackFileReader::kErrorTitle);
            return false;
        case ParseResult::NoData:
            Report(messages, path, TextId::NoData, TrackFileReader::kErrorTitle);
            return false;
        case ParseResult::Ok:
            break;
    }
    return true;
}

// Also a channel count whose frame could not be named by the 16-bit block
// align (65535 channels of 16 bits would wrap to 65534), refused before
// anything is reckoned from it.
bool Degenerate(const WaveHeader& h) {
    const std::int64_t sampleBytes = std::max((h.bitsPerSample + 7) / 8, 1);
    return h.channels == 0 || h.channels * sampleBytes > 0xFFFF || h.sampleRate <= 0 || h.blockAlign == 0;
}

// A FLAC file's STREAMINFO, reported and nothing when the file is no FLAC
// file or not one of 16-bit mono or stereo. A file whose sample count was
// never written (a killed recording) is counted by decoding it.
std::optional<FlacStreamInfo> ReadFlac(const std::string& path, UserMessages& messages, const UserText& title) {
    std::optional<FlacStreamInfo> info;
    {
        TLongFileStream stream(path, TLongFileStream::fmOpenRead);
        info = FlacDecoder::ReadStreamInfo(stream);
    }
    if (!info) {
        Report(messages, path, TextId::NotFlac, TrackFileReader::kErrorTitle);
        return std::nullopt;
    }
    if (info->bitsPerSample != 16 || info->channels > 2 || info->sampleRate <= 0) {
        Report(messages, path, TextId::UnsupportedFlac, title);
        return std::nullopt;
    }
    if (info->totalSamples == 0) {
        info->totalSamples = FlacDecoder::Decode(path, [](const std::uint8_t*, std::int64_t) {});
    }
    return info;
}

}  // namespace

bool TrackFileReader::IsTrackFileName(const std::string& path) {
    const std::string ext = Upper(FileSystem::ExtensionOf(path));
    return ext == ".WAV" || ext == ".RAW" || ext == ".FLAC";
}

bool TrackFileReader::IsRawFileName(const std::string& path) {
    return Upper(FileSystem::ExtensionOf(path)) == ".RAW";
}

std::string TrackFileReader::ChannelText(int channels) {
    if (channels == 1) {
        return "Mono";
    }
    if (channels == 2) {
        return "Stereo";
    }
    return std::to_string(channels) + "ch";
}

std::string TrackFileReader::LengthText(double seconds) {
    if (!(seconds >= 0) || !std::isfinite(seconds)) {
        seconds = 0;
    }
    // Rounded to the millisecond once, and every field taken from that, so
    // that a length a frame short of an hour carries into the hours
    // (00001:00:00) instead of reading 00000:00:00.
    const long long ms = std::llround(std::min(seconds, 1e15) * 1000.0);
    const long long hours = ms / 3600000;
    const long long minutes = (ms / 60000) % 60;
    const long long secs = (ms / 1000) % 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%5.5lld:%02lld:%02lld", hours, minutes, secs);
    return buffer;
}

std::string TrackFileReader::DateText(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec / 2 * 2);
    return buffer;
}

std::optional<FileProperties> TrackFileReader::ReadFileProperties(const std::string& path, int rawSampleRate,
                                                                  int rawChannels, UserMessages& messages) {
    const auto entry = FileSystem::LookUp(path);
    if (!entry || !IsTrackFileName(path)) {
        return std::nullopt;
    }
    FileProperties p;
    p.path = path;
    p.fileName = FileSystem::NameOf(path);
    p.folder = FileSystem::FolderOf(path);
    p.fileSize = entry->size;
    p.lastWrite = entry->lastWrite;
    p.dateText = DateText(entry->lastWrite);
    double frames = 0;
    if (IsRawFileName(path)) {
        p.raw = true;
        p.channels = rawChannels;
        p.sampleRate = rawSampleRate;
        p.dataOffset = 0;
        p.dataSize = entry->size;
        if (rawChannels > 0) {
            frames = std::trunc(static_cast<double>(entry->size) * 0.5 / rawChannels);
        }
    } else if (TrackAudio::IsFlacFileName(path)) {
        const auto info = ReadFlac(path, messages, UserText(TextId::UnsupportedTitle));
        if (!info) {
            return std::nullopt;
        }
        p.flac = true;
        p.channels = info->channels;
        p.sampleRate = info->sampleRate;
        p.dataOffset = 0;
        p.dataSize = info->totalSamples * info->channels * 2;
        frames = static_cast<double>(info->totalSamples);
    } else {
        WaveHeader h;
        if (!ParseOrReport(path, entry->size, h, messages)) {
            return std::nullopt;
        }
        if (h.formatTag != 1) {
            Report(messages, path, TextId::NotPcm, UserText(TextId::UnsupportedTitle));
            return std::nullopt;
        }
        if (h.bitsPerSample != 16) {
            Report(messages, path, TextId::Not16Bit, UserText(TextId::UnsupportedTitle));
            return std::nullopt;
        }
        if (Degenerate(h)) {
            Report(messages, path, TextId::UnsupportedWave, UserText(TextId::UnsupportedTitle));
            return std::nullopt;
        }
        p.formatTag = h.formatTag;
        p.channels = h.channels;
        p.sampleRate = h.sampleRate;
        p.bitsPerSample = h.bitsPerSample;
        p.dataOffset = h.dataOffset;
        p.dataSize = h.dataSize;
        p.formatSize = h.formatSize;
        frames = std::trunc(static_cast<double>(h.dataSize) / (h.bitsPerSample / 8.0) / h.channels);
    }
    p.lengthSeconds = p.sampleRate > 0 ? frames / p.sampleRate : 0.0;
    p.lengthText = LengthText(p.lengthSeconds);
    p.channelText = ChannelText(p.channels);
    return p;
}

std::optional<PlayInfo> TrackFileReader::PrepareForPlaying(const std::string& path, UserMessages& messages) {
    const auto entry = FileSystem::LookUp(path);
    if (!entry) {
        Report(messages, path, TextId::NotFound, kErrorTitle);
        return std::nullopt;
    }
    if (!IsTrackFileName(path)) {
        return std::nullopt;
    }
    PlayInfo info;
    if (IsRawFileName(path)) {
        info.raw = true;
        info.dataOffset = 0;
        info.dataSize = entry->size;
        return info;
    }
    if (TrackAudio::IsFlacFileName(path)) {
        const auto flac = ReadFlac(path, messages, kErrorTitle);
        if (!flac) {
            return std::nullopt;
        }
        info.flac = true;
        info.dataOffset = 0;
        info.dataSize = flac->totalSamples * flac->channels * 2;
        info.channels = flac->channels;
        info.sampleRate = flac->sampleRate;
        return info;
    }
    WaveHeader h;
    if (!ParseOrReport(path, entry->size, h, messages)) {
        return std::nullopt;
    }
    if (h.formatTag != 1 || Degenerate(h)) {
        Report(messages, path, TextId::UnsupportedWave, kErrorTitle);
        return std::nullopt;
    }
    info.dataOffset = h.dataOffset;
    info.dataSize = h.dataSize;
    info.channels = h.channels;
    info.sampleRate = h.sampleRate;
    info.formatTag = h.formatTag;
    info.bitsPerSample = h.bitsPerSample;
    return info;
}

}  // namespace zolvane2
