#include "record/RecordingClock.h"

namespace zolvane2 {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

void RecordingClock::TrackStarted(Clock::time_point now) {
    if (!started_) {
        started_ = true;
        used_ = milliseconds(0);
    }
    // A clock that already runs keeps running (fixed-length pieces follow
    // each other without a pause).
    if (!running_) {
        running_ = true;
        since_ = now;
    }
    usedAtTrigger_ = Used(now);
}

void RecordingClock::TrackEnded(int status, Clock::time_point now) {
    if (!netTime_) {
        return;
    }
    if (running_) {
        used_ += duration_cast<milliseconds>(now - since_);
        running_ = false;
    }
    if (status == 2) {
        used_ = usedAtTrigger_;
    }
}

milliseconds RecordingClock::Used(Clock::time_point now) const {
    return running_ ? used_ + duration_cast<milliseconds>(now - since_) : used_;
}

std::int64_t RecordingClock::RemainingSeconds(Clock::time_point now) const {
    const std::int64_t left = limit_ * 1000 - Used(now).count();
    return left <= 0 ? 0 : (left + 999) / 1000;
}

bool RecordingClock::Expired(Clock::time_point now) const {
    return limit_ > 0 && started_ && Used(now).count() >= limit_ * 1000;
}

}  // namespace zolvane2
