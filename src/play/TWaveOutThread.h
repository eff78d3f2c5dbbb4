#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Message.h"
#include "platform/SoundOutput.h"
#include "platform/Thread.h"
#include "platform/UserText.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TMemoryStream.h"
#include "trackfile/TWaveOutPlayedEvent.h"

namespace zolvane2 {

class NotifyWindow;

// Why a "WM_PlayEnd" was posted; travels in its wParam. The window treats
// every value as the end of the playback; the reasons other than Played tell
// it that nothing was heard, so it need not go on with the next file.
enum class TPlayEndReason : WParam {
    Played = 0,        // played to the end, stopped, or ended by a device error
    NoDevice = 1,      // no output device: nothing started
    DeviceFailed = 2,  // the device could not be opened or set up
    FileFailed = 3,    // the file could not be opened or read at the start, or has a rate no output plays
};

// The five registered messages of the player and its thread.
struct TWaveOutMessages {
    MsgId start;
    MsgId stop;
    MsgId seek;
    MsgId quit;
    MsgId playEnd;

    [[nodiscard]] static TWaveOutMessages Register();
};

// The playback thread: opens the default output, streams one file through two
// rotating blocks, hands each block that starts to sound to OnPlayedEvent and
// reports the end of each playback with "WM_PlayEnd".
//
// Threads: the main thread creates the object, sets FileName, the layout,
// SamplesPerSec, Channels and the notify window while no playback runs, and
// writes SeekOffset at any time. The playback thread alone touches the device,
// the file, the blocks and the level streams. Stopped, Position, DataStart,
// DataSize and SeekOffset are atomics because the main thread reads them while
// the thread plays. OnPlayedEvent is written and called only on the main
// thread (DoPlayed runs there through Synchronize while this thread waits).
class TWaveOutThread : public Thread {
public:
    static constexpr std::int64_t kBlockBytes = kSoundBufferBytes;

    explicit TWaveOutThread(zolvane2::NotifyWindow* notifyWindow);
    ~TWaveOutThread() override;

    [[nodiscard]] const TWaveOutMessages& Messages() const { return messages_; }

    [[nodiscard]] std::string FileName() const;
    void SetFileName(const std::string& fileName);
    [[nodiscard]] int SamplesPerSec() const { return samplesPerSec_.load(); }
    void SetSamplesPerSec(int value) { samplesPerSec_.store(value); }
    [[nodiscard]] int Channels() const { return channels_.load(); }
    void SetChannels(int value) { channels_.store(value); }
    [[nodiscard]] std::int64_t DataStart() const { return dataStart_.load(); }
    void SetDataStart(std::int64_t value) { dataStart_.store(value); }
    [[nodiscard]] std::int64_t DataSize() const { return dataSize_.load(); }
    void SetDataSize(std::int64_t value) { dataSize_.store(value); }
    [[nodiscard]] std::int64_t Position() const { return position_.load(); }
    [[nodiscard]] bool Stopped() const { return stopped_.load(); }
    [[nodiscard]] std::int64_t SeekOffset() const { return seekOffset_.load(); }
    void SetSeekOffset(std::int64_t value) { seekOffset_.store(value); }
    [[nodiscard]] int LevelIndex() const { return levelIndex_.load(); }
    void SetNotifyWindow(zolvane2::NotifyWindow* window) { notifyWindow_.store(window); }

    // Main thread only.
    [[nodiscard]] const TWaveOutPlayedEvent& OnPlayedEvent() const { return onPlayedEvent_; }
    void SetOnPlayedEvent(TWaveOutPlayedEvent handler) { onPlayedEvent_ = std::move(handler); }

    // How long a stop waits for the device to settle, discarding the thread's
    // messages meanwhile (one second; tests shorten it).
    void SetStopDrainTime(std::chrono::milliseconds value) { stopDrainMs_.store(value.count()); }

protected:
    void Execute() override;
    // Calls OnPlayedEvent with this thread and the latest level stream.
    virtual void DoPlayed();

private:
    struct Block {
        SoundBuffer header;
        std::vector<std::uint8_t> bytes;
    };

    // Returns false when the message ends the thread.
    bool HandleMessage(const Message& message);
    void StartPlayback();
    // A start that failed at the device: close it, say why, report the end.
    // text is shown whole: callers limit a device's text themselves.
    void GiveUpStart(const UserText& text, TPlayEndReason reason = TPlayEndReason::DeviceFailed);
    void BlockDone(LParam lParam);
    void SeekPlayback();
    // Stop steps: pause, reset, drain, close, free, post "WM_PlayEnd".
    void StopPlayback();
    // Pauses, resets and closes the device under the busy pointer.
    void SettleAndClose();
    void DeviceLost(WParam code);

    void ReadBlock(Block& block);
    void HandOverLevel(int index);
    // Closes the device and frees the blocks and the file without a word.
    void ReleasePlayback();
    void ShowDeviceError(SoundResult code) const;
    void PostPlayEnd(TPlayEndReason reason);
    void DrainQueue();
    [[nodiscard]] int IndexOf(const SoundBuffer* header) const;

    const TWaveOutMessages messages_;
    std::atomic<zolvane2::NotifyWindow*> notifyWindow_;

    mutable std::mutex fileNameMutex_;
    std::string fileName_;
    std::atomic<int> samplesPerSec_{44100};
    std::atomic<int> channels_{1};
    std::atomic<bool> stopped_{true};
    std::atomic<std::int64_t> dataStart_{44};
    std::atomic<std::int64_t> dataSize_{0};
    std::atomic<std::int64_t> position_{0};
    std::atomic<std::int64_t> seekOffset_{0};
    std::atomic<std::int64_t> stopDrainMs_{1000};

    TWaveOutPlayedEvent onPlayedEvent_;
    std::array<std::unique_ptr<TMemoryStream>, 2> levelStreams_;
    std::atomic<int> levelIndex_{0};

    // One playback: from Start to Stop.
    std::unique_ptr<SoundOutput> device_;
    std::unique_ptr<TLongStream> file_;
    std::array<std::unique_ptr<Block>, 2> blocks_;
    // The layout of the open file, limited to what the file holds.
    std::int64_t playStart_ = 0;
    std::int64_t playSize_ = 0;
    std::int64_t playFrameBytes_ = 2;
    // A quit request that came in while a stop drained the queue.
    bool quitPending_ = false;
};

}  // namespace zolvane2
