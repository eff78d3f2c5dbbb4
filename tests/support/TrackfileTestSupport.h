#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace zolvane2::test {

using Bytes = std::vector<std::uint8_t>;

// Replaces the file by a new one: truncating a file that holds data makes
// ext4 flush it on close, which would slow tests that rewrite one file often.
inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    ::unlink(path.c_str());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    Bytes b(ec ? 0 : static_cast<std::size_t>(size));
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    b.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return b;
}

// Fills a pre-sized buffer from the front; keeps GCC's bounds analysis of
// vector growth out of the way.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& b) : b_(b) {}
    void Le(std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) {
            b_.at(at_++) = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFU);
        }
    }
    void Tag(const char* tag) {
        for (int i = 0; i < 4; ++i) {
            b_.at(at_++) = static_cast<std::uint8_t>(tag[i]);
        }
    }
    void Byte(std::uint8_t v) { b_.at(at_++) = v; }

private:
    Bytes& b_;
    std::size_t at_ = 0;
};

inline std::uint32_t GetLe32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The parts of a WAVE header a test may want to bend.
struct WaveLayout {
    int formatTag = 1;
    int channels = 2;
    std::uint32_t sampleRate = 44100;
    int blockAlign = -1;  // -1: channels × bits / 8
    int bitsPerSample = 16;
    std::uint32_t dataSize = 0;  // header value
    bool riff = true;            // "RIFF" at offset 0, else "XXXX"
    Bytes extraChunkBody;        // a "LIST" chunk between fmt and data when withExtraChunk
    bool withExtraChunk = false;
};

// A canonical header (+ optional extra chunk) followed by dataBytes bytes of
// a simple ramp.
inline Bytes MakeWave(const WaveLayout& s, std::size_t dataBytes) {
    const std::size_t extra = s.withExtraChunk ? 8 + s.extraChunkBody.size() : 0;
    Bytes b(44 + extra + dataBytes);
    ByteWriter w(b);
    w.Tag(s.riff ? "RIFF" : "XXXX");
    w.Le(b.size() - 8, 4);
    w.Tag("WAVE");
    w.Tag("fmt ");
    w.Le(16, 4);
    w.Le(static_cast<std::uint64_t>(s.formatTag), 2);
    w.Le(static_cast<std::uint64_t>(s.channels), 2);
    w.Le(s.sampleRate, 4);
    const int align = s.blockAlign >= 0 ? s.blockAlign : s.channels * s.bitsPerSample / 8;
    w.Le(static_cast<std::uint64_t>(s.sampleRate) * static_cast<std::uint64_t>(align), 4);
    w.Le(static_cast<std::uint64_t>(align), 2);
    w.Le(static_cast<std::uint64_t>(s.bitsPerSample), 2);
    if (s.withExtraChunk) {
        w.Tag("LIST");
        w.Le(s.extraChunkBody.size(), 4);
        for (const std::uint8_t c : s.extraChunkBody) {
            w.Byte(c);
        }
    }
    w.Tag("data");
    w.Le(s.dataSize, 4);
    for (std::size_t i = 0; i < dataBytes; ++i) {
        w.Byte(static_cast<std::uint8_t>(i * 7));
    }
    return b;
}

// A WAVE header's two sizes as another program would read them, beside the
// size of the file, for files written as this program writes them (the
// data from byte 44 on).
struct HeaderSizes {
    std::uint32_t riff = 0;
    std::uint32_t data = 0;
    std::int64_t fileSize = -1;  // -1: unreadable
    // Audio bytes in the file that the header leaves out.
    [[nodiscard]] std::int64_t Unlisted() const { return fileSize - 44 - static_cast<std::int64_t>(data); }
};

inline HeaderSizes ReadHeaderSizes(const std::string& path) {
    HeaderSizes h;
    Bytes head(44);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return h;
    }
    if (::pread(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size())) {
        h.riff = GetLe32(head, 4);
        h.data = GetLe32(head, 40);
        h.fileSize = ::lseek(fd, 0, SEEK_END);
    }
    ::close(fd);
    return h;
}

}  // namespace zolvane2::test
