#pragma once

#include <climits>
#include <cstdint>
#include <vector>

namespace zolvane2 {

// Where a piece begins or ends, in frames from the start of the audio.
struct GapEvent {
    enum class Kind { PieceStart, PieceEnd };
    Kind kind = Kind::PieceStart;
    std::int64_t frame = 0;

    bool operator==(const GapEvent&) const = default;
};

// One piece found: frames [startFrame, endFrame).
struct GapPiece {
    std::int64_t startFrame = 0;
    std::int64_t endFrame = 0;

    bool operator==(const GapPiece&) const = default;
};

// Decides pieces from a level track step by step, told for each step whether
// it is sound. The same decisions serve a whole file (steps from the stored
// track) and a live recording (steps as they are measured), so both cut alike.
//
// A step's sound reaches Dilation steps either side: the meter's percentile
// window hears an onset that much late and an end that much early. A quiet
// run of at least MinimumGapSteps between sounds is a gap; shorter ones are
// rests. A piece starts DelayFrames ahead of its first sound and ends
// TailFrames after its last, but never past the middle of its gap. The end is
// known once the gap has lasted long enough to hold the tail on both halves,
// or when the next sound comes: the live finder's delay is bounded by that.
class GapDecider {
public:
    struct Timing {
        std::int64_t stepFrames = 1;
        std::int64_t minimumGapSteps = 1;
        std::int64_t dilationSteps = 0;
        std::int64_t delayFrames = 0;
        std::int64_t tailFrames = 0;
    };

    explicit GapDecider(const Timing& timing);

    void Step(bool sound);
    // The end of the audio, totalFrames long.
    void Finish(std::int64_t totalFrames);
    // The events decided since the last call, in order.
    [[nodiscard]] std::vector<GapEvent> TakeEvents();
    [[nodiscard]] bool InPiece() const { return state_ == State::InPiece; }

private:
    enum class State { BeforeFirst, InPiece, AfterPiece };
    void Decide(std::int64_t step, bool sound);
    void Emit(GapEvent::Kind kind, std::int64_t frame) { events_.push_back({kind, frame}); }
    [[nodiscard]] std::int64_t Frame(std::int64_t step) const { return step * timing_.stepFrames; }

    Timing timing_;
    std::int64_t endingSteps_;                // a quiet run this long ends the piece at once
    std::int64_t steps_ = 0;                  // steps given
    std::int64_t decided_ = 0;                // steps decided (dilated)
    std::int64_t lastSound_ = INT64_MIN / 2;  // no sound yet
    State state_ = State::BeforeFirst;
    std::int64_t quietStart_ = 0;
    std::int64_t quietSteps_ = 0;
    std::int64_t lastEnd_ = 0;  // the step where the last piece's sound ended
    std::vector<GapEvent> events_;
};

}  // namespace zolvane2
