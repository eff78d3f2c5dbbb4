#pragma once

#include <chrono>
#include <cstdint>

namespace zolvane2 {

// The recording-time limit of a recording run, as the window keeps it: the
// clock starts at the first track, and with net time it stands still while
// waiting for a trigger and gives back the time of a track that was deleted
// as empty. A limit of 0 means no limit.
//
// Used on one thread only (the window's or the command's); times are passed in so the rules
// can be checked without waiting.
class RecordingClock {
public:
    using Clock = std::chrono::steady_clock;

    RecordingClock(std::int64_t limitSeconds, bool netTime) : limit_(limitSeconds), netTime_(netTime) {}

    // A track started (the window's WM_Triggered).
    void TrackStarted(Clock::time_point now);
    // A track file was closed and the run goes on (WM_RecEnd); status 2: the
    // file was empty and deleted.
    void TrackEnded(int status, Clock::time_point now);

    [[nodiscard]] bool Started() const { return started_; }
    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] std::chrono::milliseconds Used(Clock::time_point now) const;
    // Seconds left, rounded up (the limit itself before the first track).
    [[nodiscard]] std::int64_t RemainingSeconds(Clock::time_point now) const;
    [[nodiscard]] bool Expired(Clock::time_point now) const;
    [[nodiscard]] bool Limited() const { return limit_ > 0; }

private:
    std::int64_t limit_;
    bool netTime_;
    bool started_ = false;
    bool running_ = false;
    Clock::time_point since_{};
    std::chrono::milliseconds used_{0};
    std::chrono::milliseconds usedAtTrigger_{0};
};

}  // namespace zolvane2
