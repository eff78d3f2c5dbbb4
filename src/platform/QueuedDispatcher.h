#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MainThreadDispatcher.h"

namespace zolvane2 {

// A main-thread dispatcher without a GUI: work queues up until the main thread
// (the one that created the object) drains it with Pump or ProcessPending.
// Tests drain it synchronously instead of sleeping.
class QueuedDispatcher final : public MainThreadDispatcher {
public:
    QueuedDispatcher();
    ~QueuedDispatcher() override;

    void RunAndWait(const std::function<void()>& fn) override;
    void Post(std::function<void()> fn) override;
    void Pump(std::chrono::milliseconds maxWait) override;
    [[nodiscard]] bool IsMainThread() const override;
    void Shutdown() override;

    // Runs everything queued now; returns how many tasks ran.
    std::size_t ProcessPending();
    // Pumps until pred() holds or timeout passes; returns pred().
    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

private:
    struct Task {
        std::function<void()> fn;
        std::shared_ptr<struct Completion> done;
    };

    std::thread::id mainThread_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Task> tasks_;
    bool shutDown_ = false;
};

}  // namespace zolvane2
