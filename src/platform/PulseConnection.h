#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include <pulse/pulseaudio.h>

#include "platform/PulseHandles.h"
#include "platform/SoundBuffer.h"

namespace zolvane2 {

// A connection to the sound server with its own threaded main loop.
//
// Threads: the owner calls every member; the main loop's thread runs the
// library's callbacks, which only record state and signal. Members marked
// "lock held" need a PulseLock on Mainloop(). The lost handler runs on the
// main loop's thread with the lock held and must only copy or signal.
class PulseConnection {
public:
    using LostHandler = std::function<void(SoundResult)>;

    // The completion of one server request.
    struct Request {
        PulseConnection* connection = nullptr;
        bool done = false;
        bool success = false;
    };

    PulseConnection() = default;
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;
    // Stops the main loop, then disconnects. Streams must be gone already.
    ~PulseConnection();

    // Starts the main loop and connects within timeout.
    [[nodiscard]] SoundResult Connect(std::chrono::milliseconds timeout);

    [[nodiscard]] pa_threaded_mainloop* Mainloop() const { return mainloop_.get(); }
    [[nodiscard]] pa_context* Context() const { return context_.get(); }
    [[nodiscard]] pa_mainloop_api* Api() const { return pa_threaded_mainloop_get_api(mainloop_.get()); }

    // Lock held. Waits until done() holds, the connection fails or timeout
    // passes; returns done().
    [[nodiscard]] bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Lock held. Waits for a request started with StreamDone/ContextDone as
    // its callback and `request` as user data; takes ownership of op.
    [[nodiscard]] SoundResult Finish(pa_operation* op, Request& request, std::chrono::milliseconds timeout);
    // Lock held. Waits for a request that reports through its own callback
    // (lists); takes ownership of op.
    [[nodiscard]] SoundResult Finish(pa_operation* op, std::chrono::milliseconds timeout);
    // Lock held. Waits until a stream whose connect has been asked for leaves
    // the creating state; kSoundOk once the server has it ready.
    [[nodiscard]] SoundResult WaitForStream(pa_stream* stream, std::chrono::milliseconds timeout);
    // Lock held. Corks (pauses) or uncorks the stream, waiting for the answer.
    [[nodiscard]] SoundResult Cork(pa_stream* stream, bool cork, std::chrono::milliseconds timeout);
    // Lock held. Drops what the server holds of the stream, waiting for the
    // answer.
    [[nodiscard]] SoundResult Flush(pa_stream* stream, std::chrono::milliseconds timeout);
    // Lock held. The connection's last error, never kSoundOk.
    [[nodiscard]] SoundResult LastError() const;
    // Lock held.
    [[nodiscard]] bool Ready() const;
    // Lock held. Called once when a ready connection fails.
    void SetOnLost(LostHandler handler) { onLost_ = std::move(handler); }
    // From callbacks: wakes the waiting owner.
    void Signal() { pa_threaded_mainloop_signal(mainloop_.get(), 0); }

    // Signed 16-bit little-endian in the given shape; nothing when the server
    // could not take it.
    [[nodiscard]] static std::optional<pa_sample_spec> PcmFormat(int sampleRate, int channels);
    // For a stream's state callback: the code to report when the stream has
    // failed or been ended by the server, else nothing.
    [[nodiscard]] static std::optional<SoundResult> StreamFailure(pa_stream* stream);

    static void StreamDone(pa_stream* stream, int success, void* userdata);
    static void ContextDone(pa_context* context, int success, void* userdata);

private:
    static void OnContextState(pa_context* context, void* userdata);

    PulseMainloopPtr mainloop_;
    PulseContextPtr context_;
    bool started_ = false;
    bool wasReady_ = false;
    bool lostReported_ = false;
    LostHandler onLost_;
};

}  // namespace zolvane2
