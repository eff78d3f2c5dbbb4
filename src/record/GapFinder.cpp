#include "record/GapFinder.h"

#include <algorithm>
#include <cmath>

namespace zolvane2 {

GapDecider::Timing GapFinder::TimingFor(std::int32_t sampleRate, const GapSettings& settings, std::int64_t stepFrames) {
    GapDecider::Timing t;
    t.stepFrames = stepFrames;
    const double steps = std::max(settings.minimumGapSeconds, 0.0) * sampleRate / static_cast<double>(stepFrames);
    t.minimumGapSteps = std::max<std::int64_t>(std::llround(std::min(steps, 1e12)), 1);
    // The meter's window hears a sound start this much late and its end
    // this much early: the share of the window that may be quiet.
    constexpr int kShiftBlocks = GapLevelMeter::kHalfWindowBlocks * (100 - 2 * GapLevelMeter::kPercentile) / 100;
    t.dilationSteps = kShiftBlocks / GapLevelMeter::kBlocksPerStep;
    t.delayFrames = settings.delayFrames;
    t.tailFrames = settings.tailFrames;
    return t;
}

GapFinder::GapFinder(std::int32_t sampleRate, std::int32_t channels, const GapSettings& settings, Use use)
    : sampleRate_(sampleRate),
      settings_(settings),
      use_(use),
      meter_(sampleRate, channels),
      timing_(TimingFor(sampleRate, settings, meter_.StepFrames())),
      decider_(timing_) {}

std::int64_t GapFinder::MaxDelayFrames() const {
    // The meter's look ahead, the dilation, and the longest quiet run the
    // decider waits through before it ends a piece, plus the pre-roll that
    // a start reaches back.
    const std::int64_t ending = std::max(timing_.minimumGapSteps * timing_.stepFrames, 2 * timing_.tailFrames);
    return (GapLevelMeter::LagSteps() + timing_.dilationSteps + 1) * timing_.stepFrames + ending + timing_.delayFrames +
           timing_.stepFrames;
}

void GapFinder::Feed(const std::int16_t* samples, std::int64_t frames) {
    if (frames <= 0) {
        return;
    }
    totalFrames_ += frames;
    const std::size_t before = steps_.size();
    meter_.Feed(samples, frames, steps_);
    for (std::size_t i = before; i < steps_.size(); ++i) {
        floor_.Add(steps_[i]);
    }
    if (use_ == Use::Live) {
        TakeSteps();
    }
}

void GapFinder::TakeSteps() {
    for (const std::uint8_t code : steps_) {
        decider_.Step(code > Threshold());
    }
    steps_.clear();
}

void GapFinder::Finish() {
    const std::size_t before = steps_.size();
    meter_.Finish(steps_);
    for (std::size_t i = before; i < steps_.size(); ++i) {
        floor_.Add(steps_[i]);
    }
    if (use_ == Use::Live) {
        TakeSteps();
        decider_.Finish(totalFrames_);
        return;
    }
    const std::uint8_t threshold = Threshold();
    for (const std::uint8_t code : steps_) {
        decider_.Step(code > threshold);
    }
    decider_.Finish(totalFrames_);
    pieces_.clear();
    GapPiece piece;
    for (const GapEvent& e : decider_.TakeEvents()) {
        if (e.kind == GapEvent::Kind::PieceStart) {
            piece.startFrame = e.frame;
        } else {
            piece.endFrame = e.frame;
            if (piece.endFrame > piece.startFrame && piece.endFrame - piece.startFrame >= settings_.minimumFrames) {
                pieces_.push_back(piece);
            }
        }
    }
}

GapGuide GapFinder::Guide() const {
    GapGuide::Levels levels;
    levels.steps = &steps_;
    levels.floorCode = floor_.FloorCode();
    levels.thresholdCode = Threshold();
    levels.musicCode = floor_.MusicCode();
    levels.totalFrames = totalFrames_;
    levels.sampleRate = sampleRate_;
    return GapGuide(levels, timing_);
}

}  // namespace zolvane2
