#pragma once

#include <pulse/pulseaudio.h>

#include "platform/InputDeviceWatch.h"
#include "platform/PulseHandles.h"

namespace zolvane2 {

// Follows the sound server's events about capture sources and about the
// server itself on one long-lived connection, instead of asking for the list
// again and again.
//
// Threads: the constructor and destructor run on the owner's thread; the
// destructor stops the main loop, so nothing runs after it. Everything else
// runs on the main loop's thread and never waits: the callbacks only note
// the connection's state, ask for the events, report a change or arm the
// retry timer. When the server goes away (or is not there yet) the watch
// reports a change (its sources have gone with it) and connects again after
// one second, then after twice as long each time up to half a minute. Once
// the server has taken the subscription, a change is reported as well: from
// then on every change is heard, and sources may have come and gone before.
class PulseDeviceWatch final : public InputDeviceWatch {
public:
    explicit PulseDeviceWatch(Changed changed);
    ~PulseDeviceWatch() override;
    PulseDeviceWatch(const PulseDeviceWatch&) = delete;
    PulseDeviceWatch& operator=(const PulseDeviceWatch&) = delete;

    static constexpr pa_usec_t kFirstRetryUsec = PA_USEC_PER_SEC;
    static constexpr pa_usec_t kLastRetryUsec = 30 * PA_USEC_PER_SEC;

private:
    void Connect();
    void RetryLater();

    static void OnState(pa_context* context, void* userdata);
    static void OnSubscribed(pa_context* context, int success, void* userdata);
    static void OnEvent(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index, void* userdata);
    static void OnRetry(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* userdata);

    Changed changed_;
    PulseMainloopPtr mainloop_;
    PulseTimeEventPtr retry_;
    PulseContextPtr context_;
    pa_usec_t backoff_ = kFirstRetryUsec;
    bool retryArmed_ = false;
    bool ready_ = false;  // the current connection has been ready
    bool started_ = false;
};

}  // namespace zolvane2
