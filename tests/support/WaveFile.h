#pragma once

// WAVE files as tests write them: the 44-byte header this program writes,
// with the fields a test may want to bend, and little-endian bytes read and
// written in place.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/TestFiles.h"

namespace zolvane2::test {

// Fills a pre-sized buffer from the front; keeps GCC's bounds analysis of
// vector growth out of the way.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& b, std::size_t at = 0) : b_(b), at_(at) {}
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
    std::size_t at_;
};

// The unsigned little-endian number of width bytes at `at` (Bytes or
// QByteArray); out of range throws.
template <typename Buffer>
[[nodiscard]] std::uint32_t ReadLe(const Buffer& b, std::size_t at, int width = 4) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) {
        const auto index = static_cast<typename Buffer::size_type>(at + static_cast<std::size_t>(i));
        v = (v << 8U) | static_cast<std::uint8_t>(b.at(index));
    }
    return v;
}

// Appends a RIFF chunk's head: its four-letter id and the size of its body.
inline void AppendChunkHead(Bytes& b, const std::string& id, std::size_t bodySize) {
    const std::size_t at = b.size();
    b.resize(at + 8);
    ByteWriter w(b, at);
    w.Tag(id.c_str());
    w.Le(bodySize, 4);
}

// 16-bit samples as little-endian bytes.
[[nodiscard]] inline Bytes Pcm(const std::vector<std::int16_t>& samples) {
    Bytes b(samples.size() * 2);
    ByteWriter w(b);
    for (const std::int16_t s : samples) {
        w.Le(static_cast<std::uint16_t>(s), 2);
    }
    return b;
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

// The header for the layout, in front of dataBytes bytes that the caller
// appends (the RIFF size counts them; the data size is the layout's).
inline Bytes WaveHeader(const WaveLayout& s, std::size_t dataBytes) {
    const std::size_t extra = s.withExtraChunk ? 8 + s.extraChunkBody.size() : 0;
    Bytes b(44 + extra);
    ByteWriter w(b);
    w.Tag(s.riff ? "RIFF" : "XXXX");
    w.Le(b.size() + dataBytes - 8, 4);
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
    return b;
}

// The header of a finished 16-bit file holding dataSize bytes.
inline Bytes WaveHeader(int channels, int rate, std::uint32_t dataSize) {
    WaveLayout s;
    s.channels = channels;
    s.sampleRate = static_cast<std::uint32_t>(rate);
    s.dataSize = dataSize;
    return WaveHeader(s, dataSize);
}

// The header for the layout followed by data (copied into one buffer sized
// up front: growing the 44-byte header trips GCC's bounds analysis).
inline Bytes WaveWithData(const WaveLayout& s, const Bytes& data) {
    const Bytes header = WaveHeader(s, data.size());
    Bytes b(header.size() + data.size());
    std::copy(header.begin(), header.end(), b.begin());
    std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(header.size()));
    return b;
}

// How a written test file departs from a finished 16-bit PCM file.
struct WaveOptions {
    int formatTag = 1;
    std::int64_t headerDataSize = -1;  // -1: the real data size
    std::int64_t holeBytes = 0;        // data bytes after `data` left as a hole (sparse), counted in the header
    Bytes trailing;                    // bytes after the data chunk, outside the RIFF size

    [[nodiscard]] static WaveOptions Format(int tag) {
        WaveOptions o;
        o.formatTag = tag;
        return o;
    }
    [[nodiscard]] static WaveOptions HeaderDataSize(std::int64_t size) {
        WaveOptions o;
        o.headerDataSize = size;
        return o;
    }
    [[nodiscard]] static WaveOptions Hole(std::int64_t bytes) {
        WaveOptions o;
        o.holeBytes = bytes;
        return o;
    }
    [[nodiscard]] static WaveOptions Trailing(Bytes bytes) {
        WaveOptions o;
        o.trailing = std::move(bytes);
        return o;
    }
};

// Writes a WAVE file of data (a fresh file in place of any old one) and
// returns its path; a file that cannot be written throws, failing the test.
inline std::string WriteWave(const std::string& path, int channels, int rate, const Bytes& data,
                             const WaveOptions& options = {}) {
    const auto dataBytes = static_cast<std::int64_t>(data.size()) + options.holeBytes;
    WaveLayout s;
    s.formatTag = options.formatTag;
    s.channels = channels;
    s.sampleRate = static_cast<std::uint32_t>(rate);
    s.dataSize = static_cast<std::uint32_t>(options.headerDataSize < 0 ? dataBytes : options.headerDataSize);
    WriteFile(path, WaveHeader(s, static_cast<std::size_t>(dataBytes)));
    AppendFile(path, data);
    if (options.holeBytes > 0 && !ResizeSparse(path, 44 + dataBytes)) {
        FailFile("cannot extend", path);
    }
    AppendFile(path, options.trailing);
    return path;
}

}  // namespace zolvane2::test
