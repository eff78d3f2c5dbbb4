#pragma once

#include <cstdint>
#include <vector>

#include "record/GapDecider.h"
#include "record/GapGuide.h"
#include "record/GapLevelMeter.h"
#include "record/GapSettings.h"
#include "record/NoiseFloor.h"

namespace zolvane2 {

// Finds the pieces of a record side, a tape or a broadcast by the gaps
// between them, in the presence of hiss, hum, rumble, surface noise and
// clicks, without a threshold set by anyone.
//
// Two ways to use it:
//  - Whole (re-divide): Feed all of the audio, Finish, then ask for Pieces()
//    or a guided cut (ForCount, ForDurations). Only the level track is kept
//    (a byte per 20 ms: 180 kB an hour); the floor is that of the whole side.
//  - Live (recording): Feed blocks as they come and take the events after
//    each; the floor is learned from what has come so far (the groove ahead
//    of the music gives it). A decision lies at most MaxDelayFrames() behind
//    the audio fed, so that much audio must be held back.
// Both decide with the same GapDecider, so a side played live is cut as its
// re-divide cuts it once the floor has been heard.
class GapFinder {
public:
    enum class Use { Whole, Live };

    GapFinder(std::int32_t sampleRate, std::int32_t channels, const GapSettings& settings, Use use = Use::Whole);

    // Whole frames of interleaved 16-bit samples.
    void Feed(const std::int16_t* samples, std::int64_t frames);
    void Finish();

    // Live: the events decided since the last call.
    [[nodiscard]] std::vector<GapEvent> TakeEvents() { return decider_.TakeEvents(); }
    [[nodiscard]] std::int64_t MaxDelayFrames() const;

    // Whole, after Finish: the pieces found, those shorter than the minimum
    // length left out.
    [[nodiscard]] std::vector<GapPiece> Pieces() const { return pieces_; }
    [[nodiscard]] GapGuide::Result ForCount(std::int32_t count) const { return Guide().ForCount(count); }
    [[nodiscard]] GapGuide::Result ForDurations(const std::vector<double>& seconds, double rangeSeconds) const {
        return Guide().ForDurations(seconds, rangeSeconds);
    }

    [[nodiscard]] double FloorDb() const { return GapLevelMeter::DbOf(floor_.FloorCode()); }
    [[nodiscard]] double ThresholdDb() const { return GapLevelMeter::DbOf(Threshold()); }
    [[nodiscard]] const std::vector<std::uint8_t>& Levels() const { return steps_; }
    [[nodiscard]] std::int64_t StepFrames() const { return meter_.StepFrames(); }
    [[nodiscard]] std::int64_t TotalFrames() const { return totalFrames_; }

private:
    [[nodiscard]] GapGuide Guide() const;
    [[nodiscard]] std::uint8_t Threshold() const { return floor_.ThresholdCode(settings_.sensitivityDb); }
    void TakeSteps();
    [[nodiscard]] static GapDecider::Timing TimingFor(std::int32_t sampleRate, const GapSettings& settings,
                                                      std::int64_t stepFrames);

    std::int32_t sampleRate_;
    GapSettings settings_;
    Use use_;
    GapLevelMeter meter_;
    NoiseFloor floor_;
    GapDecider::Timing timing_;
    GapDecider decider_;
    std::vector<std::uint8_t> steps_;  // Whole: the level track; Live: steps not yet decided
    std::int64_t totalFrames_ = 0;
    std::vector<GapPiece> pieces_;
};

}  // namespace zolvane2
