#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/MainThreadDispatcher.h"
#include "platform/NotifyWindow.h"
#include "play/TWaveOutThread.h"
#include "trackfile/TWaveOutPlayedEvent.h"

namespace zolvane2 {

// The player component: plays one track file at a time through its own
// playback thread and tells its owner when each playback has ended.
//
// Threads: every operation here belongs to the main thread (the one that the
// dispatcher given at construction serves); OnPlayEnd and OnPlayedEvent run
// there too. The component owns its thread: destroying the component asks the
// thread to quit and waits for it, so no thread outlives it.
class TWaveOutPlayer {
public:
    using TNotifyEvent = std::function<void(TWaveOutPlayer* Sender)>;

    // dispatcher: where "WM_PlayEnd" is turned into OnPlayEnd (by default the
    // program's main-thread dispatcher, which must be set).
    explicit TWaveOutPlayer(MainThreadDispatcher* dispatcher = GetMainThreadDispatcher());
    TWaveOutPlayer(const TWaveOutPlayer&) = delete;
    TWaveOutPlayer& operator=(const TWaveOutPlayer&) = delete;
    virtual ~TWaveOutPlayer();

    // Prepares a file for playing, reporting every problem with it. Returns
    // whether the file's layout was taken; after false the name is still set
    // (unless the file was not found) and playing it plays at most what the
    // file holds.
    bool SetFileName(const std::string& fileName);
    [[nodiscard]] std::string FileName() const { return thread_->FileName(); }

    // Both return at once; the end of the playback comes as OnPlayEnd.
    void Play();
    void Stop();
    // Moves the playback to a sample (frame) index of the file.
    void Seek(std::int64_t sampleIndex);

    [[nodiscard]] bool Stopped() const { return thread_->Stopped(); }
    [[nodiscard]] std::int64_t SampleCount() const;
    // What has been read from the file, up to two blocks ahead of what sounds.
    [[nodiscard]] std::int64_t SamplePosition() const;
    [[nodiscard]] int SamplesPerSec() const { return thread_->SamplesPerSec(); }
    void SetSamplesPerSec(int value) { thread_->SetSamplesPerSec(value); }
    [[nodiscard]] int Channels() const { return thread_->Channels(); }
    void SetChannels(int value) { thread_->SetChannels(value); }

    [[nodiscard]] const TWaveOutPlayedEvent& OnPlayedEvent() const { return thread_->OnPlayedEvent(); }
    void SetOnPlayedEvent(TWaveOutPlayedEvent handler) { thread_->SetOnPlayedEvent(std::move(handler)); }
    [[nodiscard]] const TNotifyEvent& OnPlayEnd() const { return onPlayEnd_; }
    void SetOnPlayEnd(TNotifyEvent handler) { onPlayEnd_ = std::move(handler); }

    // Why the latest playback ended, valid from its OnPlayEnd on.
    [[nodiscard]] TPlayEndReason EndReason() const { return endReason_; }
    // A value of the owner's (the window keeps its playing row here).
    [[nodiscard]] std::int64_t Tag() const { return tag_; }
    void SetTag(std::int64_t value) { tag_ = value; }

    [[nodiscard]] TWaveOutThread& PlaybackThread() { return *thread_; }
    void SetStopDrainTime(std::chrono::milliseconds value) { thread_->SetStopDrainTime(value); }

protected:
    // Fires OnPlayEnd.
    virtual void DoPlayEnd();

private:
    // 16-bit frames in a byte count of the file now set; 0 without channels.
    [[nodiscard]] std::int64_t FramesIn(std::int64_t bytes) const;
    void HiddenWindowProc(const Message& message);

    TNotifyEvent onPlayEnd_;
    TPlayEndReason endReason_ = TPlayEndReason::Played;
    std::int64_t tag_ = 0;
    // Lets a "WM_PlayEnd" still queued for the main thread find out that the
    // component has gone.
    std::shared_ptr<TWaveOutPlayer*> self_;
    std::unique_ptr<DispatchedNotifyWindow> hiddenWindow_;
    std::unique_ptr<TWaveOutThread> thread_;
};

}  // namespace zolvane2
