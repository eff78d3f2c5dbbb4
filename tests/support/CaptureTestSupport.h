#pragma once

// Helpers for capture tests: known 16-bit PCM signals made of loud pieces and
// quiet gaps, and reading track files back.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "support/WaveFile.h"

namespace zolvane2::test {

// Interleaved signed 16-bit little-endian frames, built piece by piece.
class Signal {
public:
    explicit Signal(int channels) : channels_(channels) {}

    // Frames of digital silence.
    Signal& Quiet(std::int64_t frames) {
        bytes_.resize(bytes_.size() + static_cast<std::size_t>(frames * FrameBytes()), 0);
        return *this;
    }
    // Frames whose every sample is at least 1000 in magnitude and whose values
    // change from frame to frame, so that a moved or repeated frame shows.
    Signal& Loud(std::int64_t frames, int seed = 0) {
        for (std::int64_t f = 0; f < frames; ++f) {
            for (int c = 0; c < channels_; ++c) {
                const std::int64_t k = Frames() * 7 + c * 3 + seed;
                auto v = static_cast<std::int16_t>(1000 + k % 20000);
                if (((f + c) & 1) != 0) {
                    v = static_cast<std::int16_t>(-v);
                }
                const auto u = static_cast<std::uint16_t>(v);
                bytes_.push_back(static_cast<std::uint8_t>(u & 0xFFU));
                bytes_.push_back(static_cast<std::uint8_t>(u >> 8U));
            }
        }
        return *this;
    }
    // Quiet frames up to the next multiple of `bytes` bytes.
    Signal& PadTo(std::int64_t bytes) {
        const auto rest = static_cast<std::int64_t>(bytes_.size()) % bytes;
        if (rest != 0) {
            bytes_.resize(bytes_.size() + static_cast<std::size_t>(bytes - rest), 0);
        }
        return *this;
    }

    [[nodiscard]] std::int64_t FrameBytes() const { return 2 * static_cast<std::int64_t>(channels_); }
    [[nodiscard]] std::int64_t Frames() const { return static_cast<std::int64_t>(bytes_.size()) / FrameBytes(); }
    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    // Frames [from, to).
    [[nodiscard]] std::vector<std::uint8_t> Slice(std::int64_t from, std::int64_t to) const {
        return {bytes_.begin() + static_cast<std::ptrdiff_t>(from * FrameBytes()),
                bytes_.begin() + static_cast<std::ptrdiff_t>(to * FrameBytes())};
    }

private:
    int channels_;
    std::vector<std::uint8_t> bytes_;
};

// The samples of a finished WAVE track file; empty when the file is missing
// or its header does not describe exactly the bytes that follow it.
[[nodiscard]] inline std::vector<std::uint8_t> WaveSamples(const std::string& path, int channels, int rate) {
    const auto b = test::ReadAll(path);
    if (b.size() < 44 || ReadLe(b, 4) != b.size() - 8 || ReadLe(b, 40) != b.size() - 44 ||
        ReadLe(b, 24) != static_cast<std::uint32_t>(rate) || b[22] != channels) {
        return {};
    }
    return {b.begin() + 44, b.end()};
}

}  // namespace zolvane2::test
