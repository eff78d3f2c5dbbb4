#include "platform/PulseDeviceWatch.h"

#include <algorithm>

namespace zolvane2 {

PulseDeviceWatch::PulseDeviceWatch(Changed changed) : changed_(std::move(changed)) {
    mainloop_.reset(pa_threaded_mainloop_new());
    if (!mainloop_) {
        return;
    }
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_.get());
    retry_ =
        PulseTimeEventPtr(api->time_new(api, nullptr, &PulseDeviceWatch::OnRetry, this), PulseTimeEventDeleter{api});
    // The loop's thread does not run yet, so no lock is needed to begin.
    Connect();
    started_ = pa_threaded_mainloop_start(mainloop_.get()) >= 0;
}

PulseDeviceWatch::~PulseDeviceWatch() {
    if (started_) {
        pa_threaded_mainloop_stop(mainloop_.get());
    }
    context_.reset();
    retry_.reset();
    mainloop_.reset();
}

void PulseDeviceWatch::Connect() {
    ready_ = false;
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(mainloop_.get()), "Zolvane2 device list"));
    if (!context_) {
        RetryLater();
        return;
    }
    pa_context_set_state_callback(context_.get(), &PulseDeviceWatch::OnState, this);
    pa_context_set_subscribe_callback(context_.get(), &PulseDeviceWatch::OnEvent, this);
    // Never start a server of our own; one that is missing is waited for.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        RetryLater();
    }
}

void PulseDeviceWatch::RetryLater() {
    if (retryArmed_ || !retry_) {
        return;
    }
    struct timeval tv {};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, backoff_);
    pa_threaded_mainloop_get_api(mainloop_.get())->time_restart(retry_.get(), &tv);
    retryArmed_ = true;
    backoff_ = std::min(backoff_ * 2, kLastRetryUsec);
}

void PulseDeviceWatch::OnState(pa_context* context, void* userdata) {
    auto* self = static_cast<PulseDeviceWatch*>(userdata);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        self->ready_ = true;
        self->backoff_ = kFirstRetryUsec;
        const auto mask =
            static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* op = pa_context_subscribe(context, mask, &PulseDeviceWatch::OnSubscribed, self)) {
            pa_operation_unref(op);
        }
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        if (self->ready_) {
            self->ready_ = false;
            self->changed_();
        }
        // The context is replaced from the timer, not from its own callback.
        self->RetryLater();
    }
}

void PulseDeviceWatch::OnSubscribed(pa_context* /*context*/, int success, void* userdata) {
    // From here on every change is heard; what happened before is not known.
    if (success != 0) {
        static_cast<PulseDeviceWatch*>(userdata)->changed_();
    }
}

void PulseDeviceWatch::OnEvent(pa_context* /*context*/, pa_subscription_event_type_t type, std::uint32_t /*index*/,
                               void* userdata) {
    auto* self = static_cast<PulseDeviceWatch*>(userdata);
    const auto facility = static_cast<unsigned>(type) & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = static_cast<unsigned>(type) & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // A source changes whenever it starts, idles or is suspended; only its
    // coming and going change the list. The server's changes include its
    // default source.
    if ((facility == PA_SUBSCRIPTION_EVENT_SOURCE && kind != PA_SUBSCRIPTION_EVENT_CHANGE) ||
        facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        self->changed_();
    }
}

void PulseDeviceWatch::OnRetry(pa_mainloop_api* /*api*/, pa_time_event* /*e*/, const struct timeval* /*tv*/,
                               void* userdata) {
    auto* self = static_cast<PulseDeviceWatch*>(userdata);
    self->retryArmed_ = false;
    self->Connect();
}

}  // namespace zolvane2
