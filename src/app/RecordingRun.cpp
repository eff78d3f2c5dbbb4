#include "app/RecordingRun.h"

#include <algorithm>
#include <cmath>

namespace zolvane2 {

void RecordingRun::Begin(int limitSeconds, std::int64_t rate, bool netTime) {
    running_ = true;
    netTime_ = netTime;
    limitSeconds_ = std::max(0, limitSeconds);
    remainingSeconds_ = limitSeconds_;
    rate_ = rate;
    losses_.clear();
    firstTriggerPending_ = true;
    autoExit_ = AutoExit::Normal;
}

void RecordingRun::Triggered() {
    if (firstTriggerPending_) {
        firstTriggerPending_ = false;
        remainingSeconds_ = limitSeconds_;
    }
    remainingAtTrigger_ = remainingSeconds_;
}

void RecordingRun::EmptyTrackDeleted() {
    if (netTime_) {
        remainingSeconds_ = remainingAtTrigger_;
    }
}

void RecordingRun::Finish() {
    running_ = false;
    firstTriggerPending_ = true;
}

bool RecordingRun::CountDown(std::int64_t usedFrames, Countdown& shown) {
    if (limitSeconds_ <= 0 || rate_ <= 0) {
        return false;
    }
    const std::int64_t limit = static_cast<std::int64_t>(limitSeconds_) * rate_;
    const std::int64_t left = std::max<std::int64_t>(limit - usedFrames, 0);
    remainingSeconds_ = static_cast<int>((left + rate_ - 1) / rate_);
    shown.remainingSeconds = remainingSeconds_;
    shown.percent =
        static_cast<int>(std::trunc(static_cast<double>(limit - left) / static_cast<double>(limit) * 100.0));
    return true;
}

double RecordingRun::LostSeconds() const {
    std::int64_t frames = 0;
    for (const CaptureLoss& loss : losses_) {
        frames += loss.frames;
    }
    return rate_ > 0 ? static_cast<double>(frames) / static_cast<double>(rate_) : 0;
}

bool RecordingRun::TakeRecordingExit() {
    if (autoExit_ != AutoExit::TimeLimitReached) {
        return false;
    }
    autoExit_ = AutoExit::Normal;
    return true;
}

bool RecordingRun::TakePlaybackExit() {
    if (autoExit_ != AutoExit::Normal) {
        autoExit_ = AutoExit::Normal;
        return false;
    }
    return true;
}

}  // namespace zolvane2
