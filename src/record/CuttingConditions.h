#pragma once

#include <cstdint>

namespace zolvane2 {

enum class CutMode {
    Trigger,      // by trigger level and silence
    FixedLength,  // pieces of IntervalFrames frames
    None,         // one file
    Gaps,         // by the gaps the gap finder measures (GapFinder, GapSplitter)
};

// Where tracks are cut, all counts in frames (2 × Channels bytes).
struct CuttingConditions {
    std::int32_t SampleRate = 44100;
    std::int32_t Channels = 1;
    bool UseTrigger = true;  // wins over CutByInterval
    bool CutByInterval = false;
    bool FindGaps = false;            // the gap finder cuts (GapSplitter); after UseTrigger, before CutByInterval
    std::int32_t TriggerLevel = 0;    // a peak above it triggers, below it is quiet
    std::int32_t DelayFrames = 0;     // pre-roll kept ahead of the triggering frame
    std::int32_t SilenceFrames = 0;   // quiet frames that end a track
    std::int32_t TailFrames = 0;      // quiet frames kept at a track's end, ≤ SilenceFrames
    std::int64_t IntervalFrames = 0;  // piece length in fixed-length mode
    std::int32_t Digits = 5;
    std::int32_t MaxTrackNumber = 99999;
    // Trigger mode: a track with fewer frames is deleted like an empty one
    // (a click between two pieces); 0 keeps every track.
    std::int64_t MinimumFrames = 0;

    [[nodiscard]] CutMode Mode() const {
        if (UseTrigger) {
            return CutMode::Trigger;
        }
        if (FindGaps) {
            return CutMode::Gaps;
        }
        return CutByInterval ? CutMode::FixedLength : CutMode::None;
    }
    [[nodiscard]] std::int64_t FrameBytes() const { return 2 * static_cast<std::int64_t>(Channels); }
};

}  // namespace zolvane2
