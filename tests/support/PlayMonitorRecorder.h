#pragma once

// Records what the private test server's null sink plays, through its monitor
// source, so that playback tests can compare it with the file that was played.

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <pulse/pulseaudio.h>

namespace zolvane2::test {

// Threads: the test thread calls Start, Bytes and Stop; libpulse's main-loop
// thread runs the callbacks, which only copy the data under mutex_ or signal.
class PlayMonitorRecorder {
public:
    PlayMonitorRecorder() = default;
    PlayMonitorRecorder(const PlayMonitorRecorder&) = delete;
    PlayMonitorRecorder& operator=(const PlayMonitorRecorder&) = delete;
    ~PlayMonitorRecorder() { Stop(); }

    // Starts recording source (s16le, rate, channels); false with a reason
    // when the server or the source is not there.
    bool Start(const std::string& source, int rate, int channels, std::string& error) {
        loop_.reset(pa_threaded_mainloop_new());
        if (!loop_) {
            error = "no main loop";
            return false;
        }
        context_.reset(pa_context_new(pa_threaded_mainloop_get_api(loop_.get()), "zolvane2-test-monitor"));
        pa_context_set_state_callback(context_.get(), &PlayMonitorRecorder::OnContextState, this);
        if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
            pa_threaded_mainloop_start(loop_.get()) < 0) {
            error = pa_strerror(pa_context_errno(context_.get()));
            return false;
        }
        running_ = true;
        const Lock lock(loop_.get());
        for (;;) {
            const pa_context_state_t s = pa_context_get_state(context_.get());
            if (s == PA_CONTEXT_READY) {
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(s)) {
                error = pa_strerror(pa_context_errno(context_.get()));
                return false;
            }
            pa_threaded_mainloop_wait(loop_.get());
        }
        pa_sample_spec format{};
        format.format = PA_SAMPLE_S16LE;
        format.rate = static_cast<std::uint32_t>(rate);
        format.channels = static_cast<std::uint8_t>(channels);
        stream_.reset(pa_stream_new(context_.get(), "monitor", &format, nullptr));
        if (!stream_) {
            error = pa_strerror(pa_context_errno(context_.get()));
            return false;
        }
        pa_stream_set_state_callback(stream_.get(), &PlayMonitorRecorder::OnStreamState, this);
        pa_stream_set_read_callback(stream_.get(), &PlayMonitorRecorder::OnRead, this);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = 4096;
        if (pa_stream_connect_record(stream_.get(), source.c_str(), &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
            error = pa_strerror(pa_context_errno(context_.get()));
            return false;
        }
        for (;;) {
            const pa_stream_state_t s = pa_stream_get_state(stream_.get());
            if (s == PA_STREAM_READY) {
                return true;
            }
            if (!PA_STREAM_IS_GOOD(s)) {
                error = pa_strerror(pa_context_errno(context_.get()));
                return false;
            }
            pa_threaded_mainloop_wait(loop_.get());
        }
    }

    [[nodiscard]] std::vector<std::uint8_t> Bytes() const {
        const std::lock_guard lock(mutex_);
        return bytes_;
    }

    void Stop() {
        if (!loop_) {
            return;
        }
        if (running_) {
            {
                const Lock lock(loop_.get());
                if (stream_) {
                    pa_stream_set_read_callback(stream_.get(), nullptr, nullptr);
                    pa_stream_set_state_callback(stream_.get(), nullptr, nullptr);
                    (void)pa_stream_disconnect(stream_.get());
                }
                stream_.reset();
                pa_context_set_state_callback(context_.get(), nullptr, nullptr);
                pa_context_disconnect(context_.get());
            }
            pa_threaded_mainloop_stop(loop_.get());
            running_ = false;
        }
        stream_.reset();
        context_.reset();
        loop_.reset();
    }

private:
    struct LoopFree {
        void operator()(pa_threaded_mainloop* m) const { pa_threaded_mainloop_free(m); }
    };
    struct ContextFree {
        void operator()(pa_context* c) const { pa_context_unref(c); }
    };
    struct StreamFree {
        void operator()(pa_stream* s) const { pa_stream_unref(s); }
    };
    class Lock {
    public:
        explicit Lock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }

    private:
        pa_threaded_mainloop* loop_;
    };

    static void OnContextState(pa_context* /*c*/, void* self) {
        pa_threaded_mainloop_signal(static_cast<PlayMonitorRecorder*>(self)->loop_.get(), 0);
    }
    static void OnStreamState(pa_stream* /*s*/, void* self) {
        pa_threaded_mainloop_signal(static_cast<PlayMonitorRecorder*>(self)->loop_.get(), 0);
    }
    static void OnRead(pa_stream* s, std::size_t /*n*/, void* userdata) {
        auto* self = static_cast<PlayMonitorRecorder*>(userdata);
        const void* data = nullptr;
        std::size_t size = 0;
        while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &size) == 0) {
            if (size == 0) {
                break;
            }
            {
                const std::lock_guard lock(self->mutex_);
                if (data != nullptr) {
                    const auto* p = static_cast<const std::uint8_t*>(data);
                    self->bytes_.insert(self->bytes_.end(), p, p + size);
                } else {
                    // A hole in the stream: silence.
                    self->bytes_.insert(self->bytes_.end(), size, 0);
                }
            }
            (void)pa_stream_drop(s);
        }
    }

    std::unique_ptr<pa_threaded_mainloop, LoopFree> loop_;
    std::unique_ptr<pa_context, ContextFree> context_;
    std::unique_ptr<pa_stream, StreamFree> stream_;
    bool running_ = false;
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace zolvane2::test
