#pragma once

// WAVE files as tests write them: the 44-byte header this program writes,
// with the fields a test may want to bend.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zolvane2::test {

using Bytes = std::vector<std::uint8_t>;

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

}  // namespace zolvane2::test
