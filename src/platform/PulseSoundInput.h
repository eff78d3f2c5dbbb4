#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/CaptureLossWatch.h"
#include "platform/PulseConnection.h"
#include "platform/PulseStream.h"
#include "platform/SoundInput.h"

namespace zolvane2 {

// Sound input from a PulseAudio (or pipewire-pulse) record stream.
//
// Threads: the owner thread calls every member. The connection's main-loop
// thread runs the stream callbacks, which copy the captured bytes into the
// queued blocks (or into the keep buffer when none is queued) and post the
// filled blocks to the owner's queue. The stream's life cycle and the report
// of its loss (MM_WIM_DEVICE_LOST) are PulseStream's. The block queue, the keep buffer and the
// loss watch are shared between the two and touched only under the main loop's
// lock. Audio that is lost (a hole the server reports, a keep buffer that ran
// over, or a gap that the pace of arrival shows) is posted to the owner as
// MM_WIM_DATA_LOST; the watch looks every quarter second from a timer on the
// main loop.
class PulseSoundInput final : public SoundInput {
public:
    PulseSoundInput() = default;
    ~PulseSoundInput() override;

    [[nodiscard]] std::vector<std::string> DeviceNames() override;
    [[nodiscard]] std::vector<InputDeviceInfo> Devices() override;
    [[nodiscard]] int DeviceCount() override;
    [[nodiscard]] bool ServerReachable() override;
    // Follows the server's events on a connection of its own (PulseDeviceWatch).
    [[nodiscard]] std::unique_ptr<InputDeviceWatch> WatchDevices(const InputDeviceWatch::Changed& changed) override;
    [[nodiscard]] SoundResult Open(int deviceIndex, int sampleRate, int channels,
                                   std::shared_ptr<MessageQueue> owner) override;
    [[nodiscard]] SoundResult Prepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Unprepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult AddBuffer(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Start() override;
    [[nodiscard]] SoundResult Stop() override;
    [[nodiscard]] SoundResult Reset() override;
    [[nodiscard]] SoundResult Close() override;
    [[nodiscard]] std::string SourceText() const override { return sourceText_; }
    [[nodiscard]] bool SetTap(const std::shared_ptr<AudioTap>& tap) override;

    // Audio held back because no block was queued (lock taken inside).
    [[nodiscard]] std::int64_t KeptBytes();

    // How long a connection or a server request may take before it counts
    // as failed.
    static constexpr std::chrono::milliseconds kTimeout = PulseStream::kTimeout;
    // More than this (about six minutes of CD-quality stereo, three at 96 kHz)
    // is not kept; what is dropped is reported as lost.
    static constexpr std::size_t kMaxKeptBytes = std::size_t{64} * 1024U * 1024U;

private:
    struct Source {
        std::string name;
        std::string description;
    };

    [[nodiscard]] static SoundResult ListSources(PulseConnection& connection, std::vector<Source>& out);
    [[nodiscard]] SoundResult ConnectStream(const pa_sample_spec& format, const std::string& sourceName);
    void Keep(const std::uint8_t* data, std::size_t n);        // lock held; data nullptr: silence
    void Deliver();                                            // lock held
    void HandBack();                                           // lock held: the front block
    void ReportDataLost(std::int64_t bytes, std::int64_t at);  // lock held
    void StartWatch();                                         // lock held
    void StopWatch();                                          // lock held
    [[nodiscard]] std::size_t KeptSize() const { return kept_.size() - keptHead_; }
    void TearDown();

    static void OnRead(pa_stream* stream, std::size_t nbytes, void* userdata);
    static void OnTimingInfo(pa_stream* stream, int success, void* userdata);
    static void OnWatchTimer(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* userdata);

    PulseStream stream_{MM_WIM_DEVICE_LOST};
    std::deque<SoundBuffer*> queued_;
    std::vector<std::uint8_t> kept_;
    std::size_t keptHead_ = 0;
    std::string sourceText_;
    CaptureLossWatch watch_;
    PulseTimeEventPtr watchTimer_;
    std::optional<std::int64_t> serverHeld_;  // the server's latest word on what it holds
    std::int64_t droppedBytes_ = 0;           // keep buffer ran over, not yet reported
    std::int64_t dropAt_ = 0;
    std::shared_ptr<AudioTap> tap_;  // lock held
};

}  // namespace zolvane2
