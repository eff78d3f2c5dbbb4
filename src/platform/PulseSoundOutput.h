#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>

#include "platform/PulseConnection.h"
#include "platform/PulseStream.h"
#include "platform/SoundOutput.h"

namespace zolvane2 {

// Sound output to the server's default sink through a playback stream.
//
// Threads: the owner thread calls every member. The main-loop thread runs the
// callbacks: a short timer asks the server how far it has read while blocks
// are pending, and the answer hands back each block whose last byte has been
// played (read by the server and out of the sink's buffer), posting it to the
// owner's queue. A block is thus never handed back before the server has it,
// and stopping right after the last block came back cuts nothing off. The
// pending list and the byte counters are touched only under the main loop's
// lock. The stream's life cycle and the report of its loss
// (MM_WOM_DEVICE_LOST) are PulseStream's.
class PulseSoundOutput final : public SoundOutput {
public:
    PulseSoundOutput() = default;
    ~PulseSoundOutput() override;

    [[nodiscard]] int DeviceCount() override;
    [[nodiscard]] SoundResult Open(int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) override;
    [[nodiscard]] SoundResult SetVolume(std::uint16_t left, std::uint16_t right) override;
    [[nodiscard]] SoundResult Prepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Unprepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Write(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Pause() override;
    [[nodiscard]] SoundResult Restart() override;
    [[nodiscard]] SoundResult Reset() override;
    [[nodiscard]] SoundResult Close() override;
    void SetLatency(std::chrono::milliseconds latency) override { latency_ = latency; }

    static constexpr std::chrono::milliseconds kTimeout = PulseStream::kTimeout;
    // How often the server is asked for its read position while blocks wait.
    static constexpr pa_usec_t kPollUsec = 10 * PA_USEC_PER_MSEC;

private:
    struct Pending {
        SoundBuffer* buffer;
        std::int64_t end;  // stream offset just past the block's last byte
    };

    [[nodiscard]] SoundResult ConnectStream(const pa_sample_spec& format);
    void Complete();  // lock held
    void ArmTimer();  // lock held
    void TearDown();

    static void OnTimer(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* userdata);
    static void OnTiming(pa_stream* stream, int success, void* userdata);

    PulseStream stream_{MM_WOM_DEVICE_LOST};
    PulseTimeEventPtr timer_;
    std::deque<Pending> pending_;
    std::int64_t written_ = 0;
    std::int64_t consumed_ = 0;  // stream offset of the last byte heard
    std::int64_t lastRead_ = 0;
    std::chrono::steady_clock::time_point lastReadChange_;
    int channels_ = 0;
    std::chrono::milliseconds latency_{0};
    bool timerArmed_ = false;
    bool updateInFlight_ = false;
};

}  // namespace zolvane2
