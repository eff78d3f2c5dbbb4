#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "record/RumbleFilter.h"

namespace zolvane2 {

// Turns 16-bit interleaved PCM into the gap finder's level track: one byte
// per step of about 20 ms, the level in half decibels above −120 dBFS.
//
// The audio is high-passed (RumbleFilter), its energy measured in blocks of
// 2.5 ms, and each step takes a low percentile of the blocks within ±200 ms.
// A click or pop fills a block or a few, so a gap full of crackle keeps the
// level of its hiss as long as most of its blocks are clean; music keeps
// nearly all of its blocks loud. The step's level is known 200 ms (and a
// step) after its audio: the delay of the live finder.
class GapLevelMeter {
public:
    static constexpr int kBlocksPerSecond = 400;
    static constexpr int kBlocksPerStep = 8;
    static constexpr int kHalfWindowBlocks = 80;
    // The share of a window's blocks that may lie above the level taken:
    // 70 % of them may be clicks.
    static constexpr int kPercentile = 30;
    static constexpr double kFloorDb = -120.0;

    GapLevelMeter(std::int32_t sampleRate, std::int32_t channels);

    // Appends every step that is complete to steps. A partial frame at the
    // end of samples is not allowed: whole frames only.
    void Feed(const std::int16_t* samples, std::int64_t frames, std::vector<std::uint8_t>& steps);
    // The steps still open at the end of the audio.
    void Finish(std::vector<std::uint8_t>& steps);

    [[nodiscard]] std::int64_t BlockFrames() const { return blockFrames_; }
    [[nodiscard]] std::int64_t StepFrames() const { return blockFrames_ * kBlocksPerStep; }
    // How many steps of audio lie ahead of the last step emitted.
    [[nodiscard]] static constexpr int LagSteps() { return kHalfWindowBlocks / kBlocksPerStep + 1; }

    [[nodiscard]] static double DbOf(std::uint8_t code) { return kFloorDb + code / 2.0; }
    [[nodiscard]] static std::uint8_t CodeOf(double db);

private:
    void EndBlock(std::vector<std::uint8_t>& steps);
    void EmitReady(std::int64_t availableBlocks, std::vector<std::uint8_t>& steps);

    std::int32_t channels_;
    std::int64_t blockFrames_;
    std::vector<RumbleFilter> filters_;
    double energy_ = 0;
    std::int64_t framesInBlock_ = 0;
    // Block codes of the window, by block index modulo the ring's size.
    std::array<std::uint8_t, 256> ring_{};
    std::array<std::int32_t, 256> histogram_{};
    std::int64_t blocks_ = 0;  // blocks measured
    std::int64_t lo_ = 0;      // the window: blocks [lo_, hi_)
    std::int64_t hi_ = 0;
    std::int64_t nextStep_ = 0;
};

}  // namespace zolvane2
