#include "record/RecordingClock.h"

#include <algorithm>
#include <limits>

namespace zolvane2 {

void RecordingClock::TrackStarted(std::int64_t frame) {
    if (!started_) {
        started_ = true;
        used_ = 0;
    }
    // A clock that already runs keeps running (fixed-length pieces follow
    // each other without a pause).
    if (!running_) {
        running_ = true;
        since_ = frame;
    }
    usedAtTrigger_ = Used(frame);
}

void RecordingClock::TrackEnded(FinishStatus status, std::int64_t frame) {
    if (!netTime_) {
        return;
    }
    if (running_) {
        used_ += frame - since_;
        running_ = false;
    }
    if (status == FinishStatus::Deleted) {
        used_ = usedAtTrigger_;
    }
}

std::int64_t RecordingClock::Used(std::int64_t frame) const {
    return running_ ? used_ + std::max<std::int64_t>(frame - since_, 0) : used_;
}

std::int64_t RecordingClock::Left(std::int64_t frame) const {
    if (!Limited()) {
        return std::numeric_limits<std::int64_t>::max() / 4;
    }
    return std::max<std::int64_t>(limit_ - Used(frame), 0);
}

bool RecordingClock::Expired(std::int64_t frame) const {
    return Limited() && started_ && Used(frame) >= limit_;
}

}  // namespace zolvane2
