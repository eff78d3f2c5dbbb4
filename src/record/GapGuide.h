#pragma once

#include <cstdint>
#include <vector>

#include "record/GapDecider.h"

namespace zolvane2 {

// Cuts a whole side into pieces it is told about: how many there are, or how
// long each one is. Works on the finder's level track (GapLevelMeter) with
// its floor and threshold.
//
// Every quiet stretch between the first and the last sound is a candidate,
// measured against a threshold twice as far above the floor as the finder's:
// its score sums the squared depth below that line over its steps, so a
// stretch at the floor outweighs a longer one that only dips, and a longer
// gap outweighs a shorter one at the same depth.
class GapGuide {
public:
    struct Levels {
        const std::vector<std::uint8_t>* steps = nullptr;
        std::uint8_t floorCode = 0;
        std::uint8_t thresholdCode = 0;
        std::uint8_t musicCode = 0;
        std::int64_t totalFrames = 0;
        std::int32_t sampleRate = 44100;
    };
    // A piece whose length is far from the one given.
    struct Mismatch {
        std::int32_t piece = 0;  // 0-based
        double expectedSeconds = 0;
        double foundSeconds = 0;
    };
    struct Result {
        std::vector<GapPiece> pieces;
        // --tracks: gaps there were to cut at (fewer than asked for: fewer pieces).
        std::int32_t gapsAvailable = 0;
        // Track times: boundaries (0-based, after that piece) with no gap in
        // range, cut at the expected time itself.
        std::vector<std::int32_t> unsnapped;
        std::vector<Mismatch> mismatches;
    };
    // A piece is named when its length differs from the one given by more
    // than this.
    static constexpr double kMismatchSeconds = 5.0;

    GapGuide(const Levels& levels, const GapDecider::Timing& timing);

    // count pieces from the count − 1 most gap-like gaps.
    [[nodiscard]] Result ForCount(std::int32_t count) const;
    // One piece per duration: each expected boundary, counted from the start
    // of the piece before it, moves to the best gap within rangeSeconds.
    [[nodiscard]] Result ForDurations(const std::vector<double>& seconds, double rangeSeconds) const;

private:
    struct Candidate {
        std::int64_t soundEnd = 0;    // step where the sound before it ends
        std::int64_t soundStart = 0;  // step where the sound after it starts
        double score = 0;
        [[nodiscard]] std::int64_t Middle() const { return (soundEnd + soundStart) / 2; }
    };
    [[nodiscard]] std::vector<GapPiece> PiecesAt(const std::vector<Candidate>& cuts) const;
    [[nodiscard]] std::int64_t Frame(std::int64_t step) const { return step * timing_.stepFrames; }

    Levels levels_;
    GapDecider::Timing timing_;
    std::int64_t firstSound_ = 0;  // steps [firstSound_, lastSound_) hold the sound
    std::int64_t lastSound_ = 0;
    std::vector<Candidate> candidates_;
};

}  // namespace zolvane2
