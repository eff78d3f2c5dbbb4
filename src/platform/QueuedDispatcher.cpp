#include "platform/QueuedDispatcher.h"

namespace zolvane2 {

struct Completion {
    std::mutex mutex;
    std::condition_variable cv;
    bool finished = false;

    void Finish() {
        {
            const std::lock_guard lock(mutex);
            finished = true;
        }
        cv.notify_all();
    }
};

QueuedDispatcher::QueuedDispatcher() : mainThread_(std::this_thread::get_id()) {}

QueuedDispatcher::~QueuedDispatcher() {
    Shutdown();
}

void QueuedDispatcher::RunAndWait(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    auto done = std::make_shared<Completion>();
    {
        const std::lock_guard lock(mutex_);
        if (shutDown_) {
            return;
        }
        tasks_.push_back(Task{fn, done});
    }
    ready_.notify_all();
    std::unique_lock lock(done->mutex);
    done->cv.wait(lock, [&] { return done->finished; });
}

void QueuedDispatcher::Post(std::function<void()> fn) {
    {
        const std::lock_guard lock(mutex_);
        if (shutDown_) {
            return;
        }
        tasks_.push_back(Task{std::move(fn), nullptr});
    }
    ready_.notify_all();
}

std::size_t QueuedDispatcher::ProcessPending() {
    std::deque<Task> batch;
    {
        const std::lock_guard lock(mutex_);
        batch.swap(tasks_);
    }
    for (auto& task : batch) {
        // A throwing task must still release the worker that waits for it.
        struct Release {
            Completion* c;
            ~Release() {
                if (c != nullptr) {
                    c->Finish();
                }
            }
        } release{task.done.get()};
        task.fn();
    }
    return batch.size();
}

void QueuedDispatcher::Pump(std::chrono::milliseconds maxWait) {
    {
        std::unique_lock lock(mutex_);
        ready_.wait_for(lock, maxWait, [this] { return !tasks_.empty() || shutDown_; });
    }
    ProcessPending();
}

bool QueuedDispatcher::PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return pred();
        }
        Pump(std::min<std::chrono::milliseconds>(
            std::chrono::milliseconds(10), std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now)));
    }
    return true;
}

bool QueuedDispatcher::IsMainThread() const {
    return std::this_thread::get_id() == mainThread_;
}

void QueuedDispatcher::Shutdown() {
    std::deque<Task> dropped;
    {
        const std::lock_guard lock(mutex_);
        shutDown_ = true;
        dropped.swap(tasks_);
    }
    for (auto& task : dropped) {
        if (task.done) {
            task.done->Finish();
        }
    }
    ready_.notify_all();
}

}  // namespace zolvane2
