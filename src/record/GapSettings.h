#pragma once

#include <cstdint>

namespace zolvane2 {

// What the gap finder is told; everything else it measures from the source.
// The settings' defaults live with the program's other settings
// (CuttingSettings::Gaps() gives them); a value-initialised one is no choice.
struct GapSettings {
    // How far from its expected place a boundary given by track times may
    // move to a gap, unless the settings say otherwise (CuttingSettings'
    // snap range starts from it).
    static constexpr double kDefaultSnapRangeSeconds = 15.0;

    // How far above the measured noise floor a stretch may lie and still
    // count as gap.
    double sensitivityDb = 0;
    // The shortest quiet stretch that separates two pieces; shorter ones are
    // rests inside a piece.
    double minimumGapSeconds = 0;
    // Gap kept ahead of a piece's first sound and after its last one; both
    // give way to the middle of a gap too short for them.
    std::int64_t delayFrames = 0;
    std::int64_t tailFrames = 0;
    // Pieces shorter than this (with what they keep of the gaps) are dropped;
    // 0 keeps every piece.
    std::int64_t minimumFrames = 0;
};

}  // namespace zolvane2
