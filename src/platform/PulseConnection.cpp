#include "platform/PulseConnection.h"

#include "platform/PulseLock.h"

namespace zolvane2 {

namespace {

struct Timeout {
    PulseConnection* connection = nullptr;
    bool passed = false;
};

void OnTimeout(pa_mainloop_api* /*api*/, pa_time_event* /*e*/, const struct timeval* /*tv*/, void* userdata) {
    auto* t = static_cast<Timeout*>(userdata);
    t->passed = true;
    t->connection->Signal();
}

}  // namespace

PulseConnection::~PulseConnection() {
    if (started_) {
        pa_threaded_mainloop_stop(mainloop_.get());
    }
    context_.reset();
    mainloop_.reset();
}

SoundResult PulseConnection::Connect(std::chrono::milliseconds timeout) {
    mainloop_.reset(pa_threaded_mainloop_new());
    if (!mainloop_) {
        return PA_ERR_INTERNAL;
    }
    if (pa_threaded_mainloop_start(mainloop_.get()) < 0) {
        return PA_ERR_INTERNAL;
    }
    started_ = true;
    const PulseLock lock(mainloop_.get());
    PulseProplistPtr props(pa_proplist_new());
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_NAME, "Zolvane2");
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_ID, "zolvane2");
    context_.reset(pa_context_new_with_proplist(Api(), "Zolvane2", props.get()));
    if (!context_) {
        return PA_ERR_INTERNAL;
    }
    pa_context_set_state_callback(context_.get(), &PulseConnection::OnContextState, this);
    // Never start a server of our own: a missing server is an error to report.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return LastError();
    }
    if (!WaitUntil([this] { return pa_context_get_state(context_.get()) == PA_CONTEXT_READY; }, timeout)) {
        const bool failed = !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_.get()));
        return failed ? LastError() : kSoundErrTimeout;
    }
    wasReady_ = true;
    return kSoundOk;
}

bool PulseConnection::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) {
        return true;
    }
    Timeout t{this, false};
    struct timeval tv {};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, static_cast<pa_usec_t>(timeout.count()) * PA_USEC_PER_MSEC);
    pa_mainloop_api* api = Api();
    const PulseTimeEventPtr timer(api->time_new(api, &tv, &OnTimeout, &t), PulseTimeEventDeleter{api});
    while (!done() && !t.passed && context_ && PA_CONTEXT_IS_GOOD(pa_context_get_state(context_.get()))) {
        pa_threaded_mainloop_wait(mainloop_.get());
    }
    return done();
}

SoundResult PulseConnection::Finish(pa_operation* op, Request& request, std::chrono::milliseconds timeout) {
    if (op == nullptr) {
        return LastError();
    }
    const PulseOperationPtr owned(op);
    request.connection = this;
    if (!WaitUntil([&] { return request.done; }, timeout)) {
        // Cancelling also drops the callback, so `request` may go.
        pa_operation_cancel(op);
        return Ready() ? kSoundErrTimeout : LastError();
    }
    return request.success ? kSoundOk : LastError();
}

SoundResult PulseConnection::Finish(pa_operation* op, std::chrono::milliseconds timeout) {
    if (op == nullptr) {
        return LastError();
    }
    const PulseOperationPtr owned(op);
    if (!WaitUntil([&] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, timeout)) {
        pa_operation_cancel(op);
        return Ready() ? kSoundErrTimeout : LastError();
    }
    return pa_operation_get_state(op) == PA_OPERATION_DONE ? kSoundOk : LastError();
}

SoundResult PulseConnection::WaitForStream(pa_stream* stream, std::chrono::milliseconds timeout) {
    if (!WaitUntil([stream] { return pa_stream_get_state(stream) != PA_STREAM_CREATING; }, timeout)) {
        return kSoundErrTimeout;
    }
    if (pa_stream_get_state(stream) != PA_STREAM_READY) {
        return LastError();
    }
    return kSoundOk;
}

SoundResult PulseConnection::Cork(pa_stream* stream, bool cork, std::chrono::milliseconds timeout) {
    Request request{this};
    return Finish(pa_stream_cork(stream, cork ? 1 : 0, &PulseConnection::StreamDone, &request), request, timeout);
}

SoundResult PulseConnection::Flush(pa_stream* stream, std::chrono::milliseconds timeout) {
    Request request{this};
    return Finish(pa_stream_flush(stream, &PulseConnection::StreamDone, &request), request, timeout);
}

std::optional<pa_sample_spec> PulseConnection::PcmFormat(int sampleRate, int channels) {
    const pa_sample_spec format{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(sampleRate),
                                static_cast<std::uint8_t>(channels)};
    if (sampleRate <= 0 || channels <= 0 || channels > static_cast<int>(PA_CHANNELS_MAX) ||
        pa_sample_spec_valid(&format) == 0) {
        return std::nullopt;
    }
    return format;
}

std::optional<SoundResult> PulseConnection::StreamFailure(pa_stream* stream) {
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED) {
        return std::nullopt;
    }
    const int e = pa_context_errno(pa_stream_get_context(stream));
    return e == PA_OK ? PA_ERR_KILLED : e;
}

SoundResult PulseConnection::LastError() const {
    const int e = context_ ? pa_context_errno(context_.get()) : PA_ERR_INTERNAL;
    return e == PA_OK ? PA_ERR_UNKNOWN : e;
}

bool PulseConnection::Ready() const {
    return context_ && pa_context_get_state(context_.get()) == PA_CONTEXT_READY;
}

void PulseConnection::StreamDone(pa_stream* /*stream*/, int success, void* userdata) {
    auto* r = static_cast<Request*>(userdata);
    r->done = true;
    r->success = success != 0;
    r->connection->Signal();
}

void PulseConnection::ContextDone(pa_context* /*context*/, int success, void* userdata) {
    auto* r = static_cast<Request*>(userdata);
    r->done = true;
    r->success = success != 0;
    r->connection->Signal();
}

void PulseConnection::OnContextState(pa_context* context, void* userdata) {
    auto* self = static_cast<PulseConnection*>(userdata);
    const pa_context_state_t state = pa_context_get_state(context);
    if (self->wasReady_ && !PA_CONTEXT_IS_GOOD(state) && !self->lostReported_) {
        self->lostReported_ = true;
        if (self->onLost_) {
            const int e = pa_context_errno(context);
            self->onLost_(e == PA_OK ? PA_ERR_CONNECTIONTERMINATED : e);
        }
    }
    self->Signal();
}

}  // namespace zolvane2
