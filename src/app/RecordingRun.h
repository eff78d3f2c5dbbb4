#pragma once

#include <cstdint>
#include <vector>

#include "record/TWaveInThread.h"

namespace zolvane2 {

// The window's recording run, from the start until the capture thread's
// finish report: whether it runs, the recording-time countdown, the audio
// lost so far and whether the window closes by itself when it ends.
class RecordingRun {
public:
    // Whether the end of a recording run or of a playback closes the window
    // (when "終了" is on): a run that used up its recording time does; a
    // playback the user stopped, skipped or split does not.
    enum class AutoExit { Normal, TimeLimitReached, Suppressed };

    // The run starts with the seconds it may record (0: no limit) at the
    // input's frame rate, counted as net time (only while tracks record) or
    // not; the countdown waits for the first trigger.
    void Begin(int limitSeconds, std::int64_t rate, bool netTime);
    // A track started: the first one starts the countdown; each one notes the
    // time left, which an empty track hands back under net time.
    void Triggered();
    void EmptyTrackDeleted();
    // The finish report: the run is over and the countdown waits again.
    void Finish();

    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] int LimitSeconds() const { return limitSeconds_; }
    [[nodiscard]] int RemainingSeconds() const { return remainingSeconds_; }
    [[nodiscard]] bool FirstTriggerPending() const { return firstTriggerPending_; }
    [[nodiscard]] bool NetTime() const { return netTime_; }
    [[nodiscard]] std::int64_t Rate() const { return rate_; }

    // The countdown's display from the frames the capture thread has used:
    // false when there is no limit to count down. Percent is of the limit.
    struct Countdown {
        int remainingSeconds = 0;
        int percent = 0;
    };
    [[nodiscard]] bool CountDown(std::int64_t usedFrames, Countdown& shown);

    // Audio the capture thread reported lost in this run (or the last one).
    void AddLoss(const CaptureLoss& loss) { losses_.push_back(loss); }
    [[nodiscard]] const std::vector<CaptureLoss>& Losses() const { return losses_; }
    [[nodiscard]] double LostSeconds() const;

    [[nodiscard]] AutoExit AutoExitState() const { return autoExit_; }
    void SuppressAutoExit() { autoExit_ = AutoExit::Suppressed; }
    void MarkTimeLimitReached() { autoExit_ = AutoExit::TimeLimitReached; }
    // The end of the run asks whether to close: once, after its time limit.
    [[nodiscard]] bool TakeRecordingExit();
    // The end of a playback asks whether to close: not when a stop, a skip or
    // a run's time limit has spoken for this end.
    [[nodiscard]] bool TakePlaybackExit();

private:
    bool running_ = false;
    int limitSeconds_ = 0;
    int remainingSeconds_ = 0;
    int remainingAtTrigger_ = 0;
    bool firstTriggerPending_ = true;
    bool netTime_ = false;
    std::int64_t rate_ = 0;
    std::vector<CaptureLoss> losses_;
    AutoExit autoExit_ = AutoExit::Normal;
};

}  // namespace zolvane2
