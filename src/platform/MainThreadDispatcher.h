#pragma once

#include <chrono>
#include <functional>

namespace zolvane2 {

// Runs work on the program's main thread. The window provides one over the Qt
// event loop, the command-line tool and the tests a QueuedDispatcher that they
// drain themselves.
class MainThreadDispatcher {
public:
    MainThreadDispatcher() = default;
    MainThreadDispatcher(const MainThreadDispatcher&) = delete;
    MainThreadDispatcher& operator=(const MainThreadDispatcher&) = delete;
    virtual ~MainThreadDispatcher() = default;

    // Runs fn on the main thread and returns after it ran. Called on the main
    // thread it runs at once. After Shutdown it returns without running fn, so
    // a worker never waits for a main thread that has gone.
    virtual void RunAndWait(const std::function<void()>& fn) = 0;
    // Queues fn for the main thread and returns at once.
    virtual void Post(std::function<void()> fn) = 0;
    // Runs queued work on the main thread, waiting at most maxWait for some.
    virtual void Pump(std::chrono::milliseconds maxWait) = 0;
    [[nodiscard]] virtual bool IsMainThread() const = 0;
    virtual void Shutdown() = 0;
};

// The dispatcher that threads use for Synchronize. Set once by the program's
// entry (or a test) before any thread starts.
void SetMainThreadDispatcher(MainThreadDispatcher* dispatcher);
[[nodiscard]] MainThreadDispatcher* GetMainThreadDispatcher();

}  // namespace zolvane2
