#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Message.h"
#include "platform/SoundInput.h"
#include "platform/Thread.h"
#include "platform/UserMessages.h"
#include "record/GapSplitter.h"
#include "record/InputMonitor.h"
#include "record/RecordingClock.h"
#include "record/RecordingObserver.h"
#include "record/RecordingSettings.h"
#include "record/SplitterOwner.h"
#include "record/TWaveInMessages.h"
#include "record/TWaveInReport.h"
#include "record/TriggerSplitter.h"
#include "trackfile/TMemoryStream.h"
#include "trackfile/TWaveOutPlayedEvent.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {

class NotifyWindow;

// Audio of a recording run that never reached its files.
struct CaptureLoss {
    std::int64_t atFrame = 0;     // about where, in frames from the start of the run
    std::int64_t frames = 0;      // how much
    std::int32_t track = 0;       // the track being recorded (or waited for) then
    std::int64_t trackFrame = 0;  // about where in that track's file, in frames
};

// The recorder: runs the input device with two blocks in circulation, hands
// a copy of every filled block to OnLevelData, feeds the splitter and writes
// the numbered track files, and reports to its notify window.
//
// Threads: the main thread creates the object (which lists the devices),
// writes the settings only while Idle() and then posts Start; it reads Idle()
// and the other atomics at any time. The capture thread alone
// touches the device, the blocks, the splitter's buffers, the track file and
// the per-recording state. OnLevelData is written and called only on the main
// thread (DoLevelData runs there through Synchronize while this thread
// waits). The device posts filled blocks, and the audio it lost, to this
// thread's own queue; the log of losses is appended here and read by the
// window's thread under lossMutex_. The recording-time clock is this thread's
// alone; the window reads only what it has used (an atomic).
class TWaveInThread : public Thread, private SplitterOwner {
public:
    // input: the sound input (nullptr: the server's, CreateSoundInput);
    // messages: where message boxes go (nullptr: GetUserMessages()).
    explicit TWaveInThread(std::unique_ptr<SoundInput> input = nullptr, UserMessages* messages = nullptr);
    ~TWaveInThread() override;

    [[nodiscard]] const TWaveInMessages& Messages() const { return messages_; }
    // "コントロールパネルの設定(WAVE_MAPPER)" followed by every input device.
    [[nodiscard]] const std::vector<std::string>& DeviceNames() const { return deviceNames_; }
    [[nodiscard]] int DeviceCount() const { return deviceCount_; }
    // The input's sources as the server lists them now, for a device list
    // that follows devices coming and going. The listing uses nothing of an
    // open device, so the main thread may ask at any time.
    [[nodiscard]] std::vector<InputDeviceInfo> ListDevices() const { return input_->Devices(); }
    // Tells of changes to that list while the watch lives (SoundInput::WatchDevices).
    [[nodiscard]] std::unique_ptr<InputDeviceWatch> WatchDevices(const InputDeviceWatch::Changed& changed) const {
        return input_->WatchDevices(changed);
    }

    // Settings: main thread, while Idle(). Configure hands over a whole run
    // through the setters below, in the order their corrections need.
    void Configure(const RecordingSettings& settings);
    [[nodiscard]] int DeviceIndex() const { return deviceIndex_.load(); }
    void SetDeviceIndex(int value) { deviceIndex_.store(value); }
    [[nodiscard]] std::int32_t SampleRate() const { return splitter_.Conditions().SampleRate; }
    void SetSampleRate(std::int32_t value) { splitter_.Conditions().SampleRate = value; }
    [[nodiscard]] std::int32_t Channels() const { return splitter_.Conditions().Channels; }
    void SetChannels(std::int32_t value) { splitter_.Conditions().Channels = value; }
    void SetTriggerLevel(std::int32_t value) { splitter_.Conditions().TriggerLevel = value; }
    void SetUseTrigger(bool value) { splitter_.Conditions().UseTrigger = value; }
    void SetCutByInterval(bool value) { splitter_.Conditions().CutByInterval = value; }
    // Gap mode: the finder's settings, at SampleRate.
    void SetFindGaps(bool value, const GapSettings& settings) {
        splitter_.Conditions().FindGaps = value;
        gapSettings_ = settings;
    }
    void SetIntervalFrames(std::int64_t value) { splitter_.Conditions().IntervalFrames = value; }
    void SetTriggerDelay(double seconds) { splitter_.SetTriggerDelay(seconds); }
    void SetTrackInterval(double seconds) { splitter_.SetTrackInterval(seconds); }
    void SetLastTimeAfterTrigger(double seconds) { splitter_.SetLastTimeAfterTrigger(seconds); }
    void SetDigits(std::int32_t digits) { splitter_.SetDigits(digits); }
    void SetMaxTrackNumber(std::int64_t value) { splitter_.SetMaxTrackNumber(value); }
    // Trigger mode: a track shorter than this is deleted like an empty one
    // (set SampleRate first).
    void SetMinimumTrackLength(double seconds) {
        splitter_.Conditions().MinimumFrames =
            std::max<std::int64_t>(TriggerSplitter::SecondsToFrames(splitter_.Conditions().SampleRate, seconds), 0);
    }
    // Set while idle; called on the capture thread.
    void SetObserver(RecordingObserver* observer) { observer_ = observer; }
    [[nodiscard]] const CuttingConditions& Conditions() const { return splitter_.Conditions(); }
    void SetNotifyWindow(zolvane2::NotifyWindow* window) { notifyWindow_.store(window); }
    [[nodiscard]] std::string BaseFileName() const;
    void SetBaseFileName(const std::string& name);
    [[nodiscard]] bool RawOutput() const { return rawOutput_.load(); }
    void SetRawOutput(bool value) { rawOutput_.store(value); }
    // FLAC tracks instead of WAVE ones, with these album tags; set while idle.
    void SetFlacOutput(std::optional<FlacSettings> settings, TrackTags tags = {}) {
        flacOutput_ = settings;
        tags_ = std::move(tags);
    }
    // Tags of the tracks by their place among the kept ones (0 first), in
    // place of those of SetFlacOutput: a track list's. Set while idle; called
    // on the recorder's thread as each track is opened.
    void SetTrackTags(std::function<TrackTags(std::int64_t index)> tags) { trackTags_ = std::move(tags); }
    // The recording-time limit in seconds of recorded audio, from the first
    // track (0: none); with netTime only the time inside tracks counts. The
    // thread stops itself on the frame the limit falls on.
    void SetRecordingTime(std::int64_t seconds, bool netTime);
    // The input is heard through the sound output while it records
    // (InputMonitor); failed is told, on another thread, when the output
    // cannot play it. Set while idle; during a run, post the monitor message
    // to turn it on or off at once.
    void SetMonitor(bool on, InputMonitor::Failed failed = nullptr) {
        monitorOn_.store(on);
        monitorFailed_ = std::move(failed);
    }
    [[nodiscard]] bool MonitorOn() const { return monitorOn_.load(); }
    // Main thread only.
    [[nodiscard]] const TWaveOutPlayedEvent& OnLevelData() const { return onLevelData_; }
    void SetOnLevelData(TWaveOutPlayedEvent handler) { onLevelData_ = std::move(handler); }

    // State the main thread may read at any time.
    [[nodiscard]] bool Idle() const { return idle_.load(); }
    [[nodiscard]] int LevelIndex() const { return levelIndex_.load(); }
    // Tracks of the last run deleted for being shorter than the minimum.
    [[nodiscard]] std::int32_t ShortTracksDropped() const { return shortDropped_.load(); }
    // Frames written to the open track so far: its recorded audio, which a
    // stall does not advance.
    [[nodiscard]] std::int64_t TrackFrames() const { return trackFrames_.load(); }
    // Frames counted against the recording-time limit so far in this run.
    [[nodiscard]] std::int64_t RecordingTimeUsedFrames() const { return usedFrames_.load(); }
    // The run ended because its recording time was up (set before its
    // WM_RecFinish, cleared at the next start).
    [[nodiscard]] bool TimeLimitReached() const { return timeLimitReached_.load(); }
    // The audio lost in this run so far; WM_RecLost carries the index of each
    // new entry. Kept until the next start.
    [[nodiscard]] std::vector<CaptureLoss> Losses() const;
    [[nodiscard]] CaptureLoss LossAt(std::size_t index) const;

    // How long a stop waits for the device to settle, discarding the thread's
    // messages meanwhile (one second; tests shorten it).
    void SetStopDrainTime(std::chrono::milliseconds value) { stopDrainMs_.store(value.count()); }
    // Called on the capture thread just before each track file is created,
    // with its name; tests take the name there, as another program may.
    // Set while idle.
    void SetBeforeCreate(std::function<void(const std::string&)> hook) { beforeCreate_ = std::move(hook); }

protected:
    void Execute() override;
    // Calls OnLevelData with this thread and the latest level stream.
    virtual void DoLevelData();

private:
    struct Block {
        SoundBuffer header;
        std::vector<std::uint8_t> bytes;
    };

    // Returns false when the message ends the thread.
    bool HandleMessage(const Message& message);
    void StartRecording();
    void BufferFilled(LParam lParam);
    void TrackChange();
    // Stop steps; quiet: device errors are not shown (one message was shown
    // already for the failure that ends the recording).
    void StopRecording(bool quiet);
    void BeginMonitor();
    void EndMonitor();
    void SwitchMonitor(bool on);
    void DeviceLost(WParam code);
    void DataLost(WParam bytes, LParam atBytes);
    // Feeds one block to the splitter, in pieces that end on the frame the
    // recording-time limit falls on; false when the run has ended.
    bool FeedSplitter(const std::uint8_t* bytes, std::int64_t count);
    // A failure while recording: shown once, then the recording is stopped
    // with its file finished.
    void FailRecording(const UserText& text);
    // The text an error is shown with: a failed write names the track file,
    // and the system's reason follows where the error carries one.
    [[nodiscard]] UserText FailureText(const std::exception& e) const;

    // A start that got as far as the device: everything is given back and the
    // window is told, so it leaves its waiting state.
    void AbandonStart();
    void DrainQueue();
    void FreeBlocks();
    // Creates the file of the first free number from trackNumber_ on and
    // moves trackNumber_ to it; false (trackNumber_ 0) when none is left.
    [[nodiscard]] bool OpenTrackFile();
    [[nodiscard]] FinishStatus CloseTrackFile();
    [[nodiscard]] std::int32_t FindFreeNumber(std::int32_t start) const;
    void PostToWindow(const TWaveInReport& report);
    void ShowDeviceError(SoundResult code);
    [[nodiscard]] UserMessages& Boxes() const;
    [[nodiscard]] int IndexOf(const SoundBuffer* header) const;

    // The frame of the last cut of whichever splitter cuts this run.
    [[nodiscard]] std::int64_t EventFrame() const;

    // SplitterOwner.
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override;
    [[nodiscard]] bool CutTrack() override;
    void TrackTriggered(std::int64_t preRollFrames) override;
    [[nodiscard]] std::int64_t CurrentTrackSize() override;

    const TWaveInMessages messages_;
    UserMessages* boxes_;
    std::unique_ptr<SoundInput> input_;
    std::vector<std::string> deviceNames_;
    int deviceCount_ = 0;

    // Settings.
    std::atomic<int> deviceIndex_{0};
    std::atomic<zolvane2::NotifyWindow*> notifyWindow_{nullptr};
    std::atomic<bool> rawOutput_{false};
    std::optional<FlacSettings> flacOutput_;  // set while idle
    TrackTags tags_;
    TrackFormat format_ = TrackFormat::Wave;  // of the run
    std::atomic<std::int64_t> limitSeconds_{0};
    std::atomic<bool> netTime_{false};
    mutable std::mutex baseFileNameMutex_;
    std::string baseFileName_;
    TWaveOutPlayedEvent onLevelData_;
    TriggerSplitter splitter_;
    GapSettings gapSettings_;
    GapSplitter gapSplitter_{*this};

    // State.
    std::atomic<bool> idle_{true};
    std::atomic<int> levelIndex_{0};
    std::atomic<std::int64_t> stopDrainMs_{1000};
    std::atomic<std::int64_t> usedFrames_{0};
    std::atomic<std::int64_t> trackFrames_{0};
    std::atomic<bool> timeLimitReached_{false};
    mutable std::mutex lossMutex_;
    std::vector<CaptureLoss> losses_;
    std::atomic<std::int32_t> shortDropped_{0};
    RecordingObserver* observer_ = nullptr;
    std::function<void(const std::string&)> beforeCreate_;
    bool quitPending_ = false;
    std::atomic<bool> monitorOn_{false};  // set while idle, or by the monitor message
    InputMonitor::Failed monitorFailed_;

    // Capture thread only.
    std::array<std::unique_ptr<TMemoryStream>, 2> levelStreams_;
    std::array<std::unique_ptr<Block>, kSoundBufferCount> blocks_;
    bool deviceOpen_ = false;
    std::int32_t trackNumber_ = 0;
    std::int64_t keptTracks_ = 0;  // of the run, before the open one
    std::function<TrackTags(std::int64_t)> trackTags_;
    std::string stem_;
    bool raw_ = false;
    TrackFileWriter writer_;
    RecordingClock clock_{0, false};
    std::int64_t framesFed_ = 0;
    std::unique_ptr<InputMonitor> monitor_;
};

}  // namespace zolvane2
