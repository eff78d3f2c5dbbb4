#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <pulse/pulseaudio.h>

#include "platform/Message.h"
#include "platform/MessageQueue.h"
#include "platform/PulseConnection.h"
#include "platform/PulseHandles.h"
#include "platform/SoundBuffer.h"

namespace zolvane2 {

// One record or playback stream on a connection of its own: connecting,
// corking, flushing, taking it down, and telling the owner once when the
// stream or its server is lost.
//
// Threads: the owner thread calls every member. Members marked "lock held"
// need a PulseLock on Mainloop(); the others take it themselves. The
// connection's main-loop thread runs the state callbacks, which only note the
// loss, post it to the owner's queue and signal a waiting owner. The stream's
// own data callbacks belong to the user of this class and follow the same
// rule.
class PulseStream {
public:
    enum class Direction { Record, Playback };

    struct Settings {
        Direction direction = Direction::Record;
        const char* name = "";  // the stream's name as the server shows it
        pa_sample_spec format{};
        pa_buffer_attr attr{};
        pa_stream_flags_t flags = PA_STREAM_NOFLAGS;
        const char* device = nullptr;        // nullptr: the server's default
        const pa_cvolume* volume = nullptr;  // playback only
        // Record only: runs on the main-loop thread with the lock held.
        pa_stream_request_cb_t onRead = nullptr;
        void* userdata = nullptr;
    };

    // lostMessage: what the owner is sent when the stream is lost (wParam the
    // error code).
    explicit PulseStream(MsgId lostMessage) : lostMessage_(lostMessage) {}
    PulseStream(const PulseStream&) = delete;
    PulseStream& operator=(const PulseStream&) = delete;
    ~PulseStream() { Close(); }

    // A connection to the server for the stream to come; its failure leaves
    // nothing open.
    [[nodiscard]] SoundResult Connect(std::shared_ptr<MessageQueue> owner);
    // Creates the stream and waits until the server has it ready.
    [[nodiscard]] SoundResult Open(const Settings& settings);
    // Takes the stream down, then the connection. underLock runs first with
    // the lock held (timers of the user go there, before the main loop).
    void Close(const std::function<void()>& underLock = {});

    [[nodiscard]] bool Connected() const { return connection_ != nullptr; }
    [[nodiscard]] bool HasStream() const { return stream_ != nullptr; }
    [[nodiscard]] PulseConnection& Connection() const { return *connection_; }
    [[nodiscard]] pa_threaded_mainloop* Mainloop() const { return connection_->Mainloop(); }
    [[nodiscard]] pa_stream* Get() const { return stream_.get(); }
    [[nodiscard]] MessageQueue& Owner() const { return *owner_; }

    // Lock held. kSoundOk, or why the stream can take no request now.
    [[nodiscard]] SoundResult Usable() const;
    // Lock held. Pauses or resumes the stream, waiting for the answer.
    [[nodiscard]] SoundResult Cork(bool cork);
    // Lock held. Drops what the server holds of the stream.
    [[nodiscard]] SoundResult Flush();
    // Lock held.
    [[nodiscard]] bool LostReported() const { return lostReported_; }

    // How long a connection or a server request may take before it counts
    // as failed.
    static constexpr std::chrono::milliseconds kTimeout{5000};

private:
    void ReportLost(SoundResult code);  // lock held
    static void OnState(pa_stream* stream, void* userdata);

    MsgId lostMessage_;
    std::unique_ptr<PulseConnection> connection_;
    PulseStreamPtr stream_;
    std::shared_ptr<MessageQueue> owner_;
    bool ready_ = false;  // a loss before this is Open's own failure
    bool lostReported_ = false;
};

}  // namespace zolvane2
