#pragma once

#include <pulse/thread-mainloop.h>

namespace zolvane2 {

// Holds the threaded main loop's lock for a scope. Every call into the client
// library from outside its thread happens under one of these.
class PulseLock {
public:
    explicit PulseLock(pa_threaded_mainloop* mainloop) : mainloop_(mainloop) { pa_threaded_mainloop_lock(mainloop_); }
    ~PulseLock() { pa_threaded_mainloop_unlock(mainloop_); }
    PulseLock(const PulseLock&) = delete;
    PulseLock& operator=(const PulseLock&) = delete;

private:
    pa_threaded_mainloop* mainloop_;
};

}  // namespace zolvane2
