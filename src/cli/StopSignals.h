#pragma once

#include <csignal>

namespace zolvane2::cli {

// While one lives, Ctrl-C and SIGTERM only raise a flag: the command's loop
// then stops its device the way the window's Stop button does, so the device
// is closed and open files are finished before the program ends. The old
// handling comes back afterwards. One lives at a time.
class StopSignals {
public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    // Whether a stop signal came since the guard was set up.
    [[nodiscard]] static bool Raised();

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

}  // namespace zolvane2::cli
