#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/MessageQueue.h"

namespace zolvane2 {

enum class ThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

struct ThreadState;

// Base of every worker thread.
//
// Ownership: the creating (main) thread calls the setters before Resume and
// Terminate/WaitFor afterwards; Execute and everything it touches belong to
// the worker. The message queue is shared: anyone posts, only the worker
// takes. With free-on-terminate the object deletes itself after Execute; the
// OS thread handle stays with the ThreadRegistry, which joins it, so no
// thread is ever left detached at exit.
class Thread {
public:
    Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    // Terminates and waits when the thread still runs (not free-on-terminate).
    virtual ~Thread();

    // Starts Execute on a new thread; later calls do nothing.
    void Resume();
    // Sets the terminated flag and wakes a worker blocked on its queue.
    void Terminate();
    [[nodiscard]] bool Terminated() const { return terminated_.load(); }
    // Waits until Execute has returned, pumping the main-thread dispatcher when
    // called on the main thread so a worker inside Synchronize can finish.
    void WaitFor();

    void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }
    [[nodiscard]] bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetPriority(ThreadPriority priority);
    [[nodiscard]] ThreadPriority Priority() const { return priority_.load(); }
    // Runs on the main thread after Execute returned, while the worker waits.
    void SetOnTerminate(std::function<void()> handler) { onTerminate_ = std::move(handler); }

    [[nodiscard]] MessageQueue& Queue() { return *queue_; }
    [[nodiscard]] std::shared_ptr<MessageQueue> QueueHandle() const { return queue_; }
    [[nodiscard]] bool Running() const;
    [[nodiscard]] std::shared_ptr<ThreadState> Handle() const { return state_; }

protected:
    virtual void Execute() = 0;
    // Runs fn on the main thread while this worker waits.
    static void Synchronize(const std::function<void()>& fn);

private:
    void Run();
    void ApplyPriority();

    std::shared_ptr<ThreadState> state_;
    std::shared_ptr<MessageQueue> queue_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<ThreadPriority> priority_{ThreadPriority::Normal};
    std::atomic<int> nativeTid_{0};
    std::function<void()> onTerminate_;
};

// Waits for the thread behind a handle (taken before the thread could free
// itself) to finish; pumps the dispatcher on the main thread.
void WaitForThread(const std::shared_ptr<ThreadState>& handle);

// Every thread the program started. At exit the entry point calls JoinAll so
// that nothing runs on after main returns.
class ThreadRegistry {
public:
    static void Add(const std::shared_ptr<ThreadState>& state);
    // Joins every thread that has finished; cheap, called now and then.
    static void Reap();
    // Asks nothing of the threads; waits until each has finished, then joins.
    static void JoinAll();
    [[nodiscard]] static std::size_t RunningCount();
};

}  // namespace zolvane2
