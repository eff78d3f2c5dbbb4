#include "record/GapDecider.h"

#include <algorithm>

namespace zolvane2 {

GapDecider::GapDecider(const Timing& timing) : timing_(timing) {
    timing_.stepFrames = std::max<std::int64_t>(timing_.stepFrames, 1);
    timing_.minimumGapSteps = std::max<std::int64_t>(timing_.minimumGapSteps, 1);
    timing_.dilationSteps = std::max<std::int64_t>(timing_.dilationSteps, 0);
    timing_.delayFrames = std::max<std::int64_t>(timing_.delayFrames, 0);
    timing_.tailFrames = std::max<std::int64_t>(timing_.tailFrames, 0);
    const std::int64_t tailSteps = (2 * timing_.tailFrames + timing_.stepFrames - 1) / timing_.stepFrames;
    endingSteps_ = std::max(timing_.minimumGapSteps, tailSteps);
}

void GapDecider::Step(bool sound) {
    if (sound) {
        lastSound_ = steps_;
    }
    ++steps_;
    // Step s is sound when a sound lies within dilation steps of it, so it
    // is known once step s + dilation has come.
    for (; decided_ + timing_.dilationSteps < steps_; ++decided_) {
        Decide(decided_, lastSound_ >= decided_ - timing_.dilationSteps);
    }
}

void GapDecider::Finish(std::int64_t totalFrames) {
    for (; decided_ < steps_; ++decided_) {
        Decide(decided_, lastSound_ >= decided_ - timing_.dilationSteps);
    }
    if (state_ == State::InPiece) {
        const std::int64_t soundEnd = quietSteps_ > 0 ? quietStart_ : steps_;
        Emit(GapEvent::Kind::PieceEnd, std::min(Frame(soundEnd) + timing_.tailFrames, totalFrames));
        state_ = State::AfterPiece;
    }
}

void GapDecider::Decide(std::int64_t step, bool sound) {
    if (sound) {
        switch (state_) {
            case State::BeforeFirst:
                Emit(GapEvent::Kind::PieceStart, std::max<std::int64_t>(Frame(step) - timing_.delayFrames, 0));
                break;
            case State::InPiece:
                if (quietSteps_ >= timing_.minimumGapSteps) {
                    const std::int64_t middle = (Frame(quietStart_) + Frame(step)) / 2;
                    Emit(GapEvent::Kind::PieceEnd, std::min(Frame(quietStart_) + timing_.tailFrames, middle));
                    Emit(GapEvent::Kind::PieceStart, std::max(Frame(step) - timing_.delayFrames, middle));
                }
                break;
            case State::AfterPiece: {
                const std::int64_t middle = (Frame(lastEnd_) + Frame(step)) / 2;
                Emit(GapEvent::Kind::PieceStart, std::max(Frame(step) - timing_.delayFrames, middle));
                break;
            }
        }
        state_ = State::InPiece;
        quietSteps_ = 0;
        return;
    }
    if (state_ != State::InPiece) {
        return;
    }
    if (quietSteps_ == 0) {
        quietStart_ = step;
    }
    if (++quietSteps_ >= endingSteps_) {
        Emit(GapEvent::Kind::PieceEnd, Frame(quietStart_) + timing_.tailFrames);
        lastEnd_ = quietStart_;
        quietSteps_ = 0;
        state_ = State::AfterPiece;
    }
}

std::vector<GapEvent> GapDecider::TakeEvents() {
    std::vector<GapEvent> events;
    events.swap(events_);
    return events;
}

}  // namespace zolvane2
