#include "record/GapSplitter.h"

#include <algorithm>
#include <cstring>

namespace zolvane2 {

void GapSplitter::Start(std::int32_t sampleRate, std::int32_t channels, const GapSettings& settings) {
    finder_ = std::make_unique<GapFinder>(sampleRate, std::max(channels, 1), settings, GapFinder::Use::Live);
    frameBytes_ = 2 * static_cast<std::int64_t>(std::max(channels, 1));
    delay_ = finder_->MaxDelayFrames();
    held_.clear();
    heldStart_ = 0;
    fed_ = 0;
    written_ = 0;
    inPiece_ = false;
    cutFailed_ = false;
    eventFrame_ = 0;
}

void GapSplitter::ProcessBlock(const std::uint8_t* bytes, std::int64_t count) {
    if (!finder_ || cutFailed_) {
        return;
    }
    const std::int64_t frames = count / frameBytes_;
    held_.insert(held_.end(), bytes, bytes + frames * frameBytes_);
    samples_.resize(static_cast<std::size_t>(frames * frameBytes_ / 2));
    std::memcpy(samples_.data(), bytes, static_cast<std::size_t>(frames * frameBytes_));
    fed_ += frames;
    finder_->Feed(samples_.data(), frames);
    Handle(finder_->TakeEvents());
    // No decision can reach further back than the finder's delay.
    const std::int64_t settled = std::max<std::int64_t>(fed_ - delay_, 0);
    if (inPiece_) {
        WriteTo(settled);
    }
    DropBefore(inPiece_ ? written_ : settled);
}

void GapSplitter::Finish() {
    if (!finder_ || cutFailed_) {
        return;
    }
    const bool wasInPiece = inPiece_;
    finder_->Finish();
    Handle(finder_->TakeEvents());
    if (wasInPiece && !inPiece_) {
        // The piece ended at the end of the run; a next one never starts.
        return;
    }
    if (inPiece_) {
        WriteTo(fed_);
    }
}

void GapSplitter::Handle(const std::vector<GapEvent>& events) {
    for (const GapEvent& e : events) {
        if (cutFailed_) {
            return;
        }
        eventFrame_ = e.frame;
        if (e.kind == GapEvent::Kind::PieceStart) {
            inPiece_ = true;
            written_ = std::max(e.frame, heldStart_);
            owner_.TrackTriggered(std::max<std::int64_t>(fed_ - written_, 0));
        } else if (inPiece_) {
            WriteTo(e.frame);
            inPiece_ = false;
            cutFailed_ = !owner_.CutTrack();
        }
    }
}

void GapSplitter::WriteTo(std::int64_t to) {
    to = std::min(to, fed_);
    if (to <= written_) {
        return;
    }
    const std::int64_t from = written_ - heldStart_;
    owner_.AppendToTrack(held_.data() + from * frameBytes_, (to - written_) * frameBytes_);
    written_ = to;
}

void GapSplitter::DropBefore(std::int64_t frame) {
    const std::int64_t drop = std::clamp<std::int64_t>(frame - heldStart_, 0, fed_ - heldStart_);
    // Dropped in large steps, so that the copy costs little per frame.
    if (drop > 0 && (drop * frameBytes_ >= static_cast<std::int64_t>(held_.size()) / 2 || drop == fed_ - heldStart_)) {
        held_.erase(held_.begin(), held_.begin() + drop * frameBytes_);
        heldStart_ += drop;
    }
}

}  // namespace zolvane2
