#pragma once

#include <memory>

#include <pulse/pulseaudio.h>

namespace zolvane2 {

// Owners of the sound server's objects. Streams and contexts are taken apart
// with the main loop locked, or after it has stopped, as the client library
// requires.
struct PulseMainloopDeleter {
    void operator()(pa_threaded_mainloop* m) const { pa_threaded_mainloop_free(m); }
};
struct PulseContextDeleter {
    void operator()(pa_context* c) const {
        pa_context_set_state_callback(c, nullptr, nullptr);
        if (PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) {
            pa_context_disconnect(c);
        }
        pa_context_unref(c);
    }
};
struct PulseStreamDeleter {
    void operator()(pa_stream* s) const {
        pa_stream_set_state_callback(s, nullptr, nullptr);
        pa_stream_set_read_callback(s, nullptr, nullptr);
        pa_stream_set_write_callback(s, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(s))) {
            pa_stream_disconnect(s);
        }
        pa_stream_unref(s);
    }
};
struct PulseOperationDeleter {
    void operator()(pa_operation* o) const { pa_operation_unref(o); }
};
struct PulseProplistDeleter {
    void operator()(pa_proplist* p) const { pa_proplist_free(p); }
};

// A timer on the main loop; freed through the loop's own interface.
struct PulseTimeEventDeleter {
    pa_mainloop_api* api = nullptr;
    void operator()(pa_time_event* e) const { api->time_free(e); }
};

using PulseMainloopPtr = std::unique_ptr<pa_threaded_mainloop, PulseMainloopDeleter>;
using PulseContextPtr = std::unique_ptr<pa_context, PulseContextDeleter>;
using PulseStreamPtr = std::unique_ptr<pa_stream, PulseStreamDeleter>;
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationDeleter>;
using PulseProplistPtr = std::unique_ptr<pa_proplist, PulseProplistDeleter>;
using PulseTimeEventPtr = std::unique_ptr<pa_time_event, PulseTimeEventDeleter>;

}  // namespace zolvane2
