#include "cli/StopSignals.h"

namespace zolvane2::cli {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnStopSignal(int signal) {
    if (g_signal != 0) {
        // The second stop: the program ends as the signal's default has it.
        // Both calls are async-signal-safe.
        (void)std::signal(signal, SIG_DFL);
        (void)std::raise(signal);
        return;
    }
    g_signal = signal;
}

}  // namespace

StopSignals::StopSignals() {
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    (void)sigaction(SIGINT, &action, &oldInt_);
    (void)sigaction(SIGTERM, &action, &oldTerm_);
    (void)sigaction(SIGHUP, &action, &oldHup_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    (void)sigaction(SIGPIPE, &ignore, &oldPipe_);
}

StopSignals::~StopSignals() {
    (void)sigaction(SIGINT, &oldInt_, nullptr);
    (void)sigaction(SIGTERM, &oldTerm_, nullptr);
    (void)sigaction(SIGHUP, &oldHup_, nullptr);
    (void)sigaction(SIGPIPE, &oldPipe_, nullptr);
}

bool StopSignals::Raised() {
    return g_signal != 0;
}

int StopSignals::Signal() {
    return static_cast<int>(g_signal);
}

}  // namespace zolvane2::cli
