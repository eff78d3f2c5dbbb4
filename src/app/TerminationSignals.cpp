#include "app/TerminationSignals.h"

#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <csignal>

#include <sys/socket.h>

namespace zolvane2 {

namespace {

std::array<int, 2> g_pair{-1, -1};
std::atomic<bool> g_installed{false};

void OnSignal(int /*signal*/) {
    const char byte = 1;
    // Only async-signal-safe work here; a full pipe just means a close is
    // already on its way.
    (void)!::write(g_pair[0], &byte, 1);
}

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (g_installed.exchange(true)) {
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair.data()) != 0) {
        g_installed = false;
        return;
    }
    notifier_ = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Readable);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals) {
        ::sigaction(s, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    for (const int s : kSignals) {
        std::signal(s, SIG_DFL);
    }
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair = {-1, -1};
    g_installed = false;
}

void TerminationSignals::Readable() {
    char buffer[64];
    while (::read(g_pair[1], buffer, sizeof buffer) > 0) {
    }
    if (onSignal_) {
        onSignal_();
    }
}

}  // namespace zolvane2
