#pragma once

#include <cstdint>

#include "trackfile/FinishStatus.h"

namespace zolvane2 {

// The recording-time limit of a recording run, counted in recorded frames:
// the clock starts at the first track, and with net time it stands still
// while waiting for a trigger and gives back the time of a track that was
// deleted as empty. A limit of 0 means no limit.
//
// Positions are frames counted from the start of the run; the capture thread
// passes the frame at which each track starts and ends, so the limit falls on
// the very frame it names, whatever the size of the blocks.
//
// Used on one thread only (the capture thread).
class RecordingClock {
public:
    RecordingClock(std::int64_t limitFrames, bool netTime) : limit_(limitFrames), netTime_(netTime) {}

    // A track started at this frame (the window's WM_Triggered).
    void TrackStarted(std::int64_t frame);
    // A track ended at this frame and the run goes on (WM_RecEnd); a deleted
    // track gives its time back.
    void TrackEnded(FinishStatus status, std::int64_t frame);

    [[nodiscard]] bool Started() const { return started_; }
    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] bool Limited() const { return limit_ > 0; }
    [[nodiscard]] std::int64_t LimitFrames() const { return limit_; }
    // Frames counted against the limit up to this frame.
    [[nodiscard]] std::int64_t Used(std::int64_t frame) const;
    // Frames that may follow this one before the limit is reached; however a
    // track starts among them, the limit is not passed (no limit: a very
    // large number).
    [[nodiscard]] std::int64_t Left(std::int64_t frame) const;
    [[nodiscard]] bool Expired(std::int64_t frame) const;

private:
    std::int64_t limit_;
    bool netTime_;
    bool started_ = false;
    bool running_ = false;
    std::int64_t since_ = 0;
    std::int64_t used_ = 0;
    std::int64_t usedAtTrigger_ = 0;
};

}  // namespace zolvane2
