#pragma once

#include <csignal>

namespace zolvane2::cli {

// The exit status of a command that stopped because stdout was closed: what
// the shell shows for a program ended by SIGPIPE.
inline constexpr int kClosedOutputStatus = 128 + SIGPIPE;

// While one lives, Ctrl-C (SIGINT), SIGTERM and SIGHUP (a closed terminal or
// ssh session) only raise a flag: the command's loop then stops the way the
// window's Stop button does, so the device is closed and open files are
// finished before the program ends. A second such signal ends the program at
// once, as the signal would without the guard. SIGPIPE is ignored, so that a
// closed stdout shows as a failed write, which the command treats as a stop
// too. The old handling comes back afterwards. One lives at a time.
class StopSignals {
public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    // Whether a stop signal came since the guard was set up.
    [[nodiscard]] static bool Raised();
    // The first stop signal that came; 0 when none.
    [[nodiscard]] static int Signal();

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    struct sigaction oldHup_ {};
    struct sigaction oldPipe_ {};
};

}  // namespace zolvane2::cli
