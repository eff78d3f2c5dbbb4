#include "cli/StopSignals.h"

namespace zolvane2::cli {

namespace {

volatile std::sig_atomic_t g_raised = 0;

extern "C" void OnStopSignal(int /*signal*/) {
    g_raised = 1;
}

}  // namespace

StopSignals::StopSignals() {
    g_raised = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    (void)sigaction(SIGINT, &action, &oldInt_);
    (void)sigaction(SIGTERM, &action, &oldTerm_);
}

StopSignals::~StopSignals() {
    (void)sigaction(SIGINT, &oldInt_, nullptr);
    (void)sigaction(SIGTERM, &oldTerm_, nullptr);
}

bool StopSignals::Raised() {
    return g_raised != 0;
}

}  // namespace zolvane2::cli
