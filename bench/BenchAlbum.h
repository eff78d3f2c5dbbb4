#pragma once

// The album the job benchmarks work on: a 55-minute 44.1 kHz stereo WAVE
// (about 580 MB) of twelve loud pieces separated by 4-second quiet gaps,
// written with the program's own track-file writer.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchDir.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2::bench {

constexpr int kRate = 44100;
constexpr int kPieces = 12;
constexpr std::int64_t kTotalSeconds = 55 * 60;
constexpr std::int64_t kGapSeconds = 4;

// A cheap noise source: the loud parts must stay loud frame by frame, the
// quiet ones below the trigger level of 300.
struct Noise {
    std::uint32_t state = 12345;
    std::int16_t Next(int amplitude) {
        state = state * 1664525U + 1013904223U;
        return static_cast<std::int16_t>(static_cast<int>(state >> 16) % (2 * amplitude + 1) - amplitude);
    }
};

// Writes the album to path; answers its data bytes.
inline std::int64_t MakeAlbum(const std::string& path) {
    const std::int64_t totalFrames = kTotalSeconds * kRate;
    const std::int64_t gapFrames = kGapSeconds * kRate;
    const std::int64_t pieceFrames = (totalFrames - (kPieces - 1) * gapFrames) / kPieces;
    TrackFileWriter writer;
    writer.OpenOutput(path, 2, kRate, false);
    Noise noise;
    std::vector<std::int16_t> chunk;
    const auto emit = [&](std::int64_t frames, int amplitude) {
        while (frames > 0) {
            const std::int64_t n = std::min<std::int64_t>(frames, 102400);
            chunk.resize(static_cast<std::size_t>(n * 2));
            for (auto& v : chunk) {
                v = noise.Next(amplitude);
                if (amplitude > 300 && v > -400 && v < 400) {
                    v = static_cast<std::int16_t>(v < 0 ? v - 400 : v + 400);
                }
            }
            writer.Append(chunk.data(), n * 4);
            frames -= n;
        }
    };
    std::int64_t written = 0;
    for (int p = 0; p < kPieces; ++p) {
        if (p > 0) {
            emit(gapFrames, 40);
            written += gapFrames;
        }
        const std::int64_t frames = p == kPieces - 1 ? totalFrames - written : pieceFrames;
        emit(frames, 12000);
        written += frames;
    }
    (void)writer.CloseOutput();
    return totalFrames * 4;
}

}  // namespace zolvane2::bench
