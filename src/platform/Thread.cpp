#include "platform/Thread.h"

#include <unistd.h>

#include <chrono>
#include <mutex>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>

#include "platform/MainThreadDispatcher.h"

namespace zolvane2 {

struct ThreadState {
    std::thread handle;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
};

namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}
std::vector<std::shared_ptr<ThreadState>>& RegistryList() {
    static std::vector<std::shared_ptr<ThreadState>> list;
    return list;
}

int NiceFor(ThreadPriority p) {
    switch (p) {
        case ThreadPriority::Idle:
            return 19;
        case ThreadPriority::Lowest:
            return 10;
        case ThreadPriority::Lower:
            return 5;
        case ThreadPriority::Normal:
            return 0;
        case ThreadPriority::Higher:
            return -5;
        case ThreadPriority::Highest:
            return -10;
        case ThreadPriority::TimeCritical:
            return -15;
    }
    return 0;
}

void WaitFinished(ThreadState& state) {
    MainThreadDispatcher* d = GetMainThreadDispatcher();
    const bool pump = d != nullptr && d->IsMainThread();
    while (!state.finished.load()) {
        if (pump) {
            d->Pump(std::chrono::milliseconds(5));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

}  // namespace

Thread::Thread() : state_(std::make_shared<ThreadState>()), queue_(std::make_shared<MessageQueue>()) {}

Thread::~Thread() {
    // A free-on-terminate thread deletes itself from its own Run.
    if (state_->started.load() && !state_->finished.load() && !freeOnTerminate_.load()) {
        Terminate();
        WaitFor();
    }
}

void Thread::Resume() {
    if (state_->started.exchange(true)) {
        return;
    }
    ThreadRegistry::Reap();
    ThreadRegistry::Add(state_);
    const std::lock_guard lock(RegistryMutex());
    state_->handle = std::thread([this] { Run(); });
}

void Thread::Run() {
    {
        // Resume stores the handle under this lock; wait until it has.
        const std::lock_guard lock(RegistryMutex());
    }
    nativeTid_.store(static_cast<int>(::syscall(SYS_gettid)));
    ApplyPriority();
    try {
        Execute();
    } catch (...) {
        // An escaped error must not take the process down; the thread ends.
    }
    if (onTerminate_) {
        Synchronize(onTerminate_);
    }
    const std::shared_ptr<ThreadState> state = state_;
    if (freeOnTerminate_.load()) {
        delete this;
    }
    state->finished.store(true);
}

void Thread::Terminate() {
    terminated_.store(true);
    queue_->Post(WM_QUIT);
}

void Thread::WaitFor() {
    if (!state_->started.load()) {
        return;
    }
    WaitForThread(state_);
}

bool Thread::Running() const {
    return state_->started.load() && !state_->finished.load();
}

void Thread::SetPriority(ThreadPriority priority) {
    priority_.store(priority);
    if (nativeTid_.load() != 0) {
        ApplyPriority();
    }
}

void Thread::ApplyPriority() {
    // Raising priority needs privileges most users lack; the thread then runs
    // at normal priority, which the audio paths are sized for anyway.
    const int tid = nativeTid_.load();
    if (tid != 0) {
        (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceFor(priority_.load()));
    }
}

void Thread::Synchronize(const std::function<void()>& fn) {
    MainThreadDispatcher* d = GetMainThreadDispatcher();
    if (d == nullptr) {
        fn();
        return;
    }
    d->RunAndWait(fn);
}

void WaitForThread(const std::shared_ptr<ThreadState>& handle) {
    if (!handle || !handle->started.load()) {
        return;
    }
    WaitFinished(*handle);
    ThreadRegistry::Reap();
}

void ThreadRegistry::Add(const std::shared_ptr<ThreadState>& state) {
    const std::lock_guard lock(RegistryMutex());
    RegistryList().push_back(state);
}

void ThreadRegistry::Reap() {
    std::vector<std::shared_ptr<ThreadState>> done;
    {
        const std::lock_guard lock(RegistryMutex());
        auto& list = RegistryList();
        for (auto it = list.begin(); it != list.end();) {
            if ((*it)->finished.load() && (*it)->handle.joinable() &&
                (*it)->handle.get_id() != std::this_thread::get_id()) {
                done.push_back(*it);
                it = list.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& s : done) {
        s->handle.join();
    }
}

void ThreadRegistry::JoinAll() {
    for (;;) {
        std::shared_ptr<ThreadState> next;
        {
            const std::lock_guard lock(RegistryMutex());
            auto& list = RegistryList();
            if (list.empty()) {
                return;
            }
            next = list.front();
            list.erase(list.begin());
        }
        WaitFinished(*next);
        if (next->handle.joinable()) {
            next->handle.join();
        }
    }
}

std::size_t ThreadRegistry::RunningCount() {
    const std::lock_guard lock(RegistryMutex());
    std::size_t n = 0;
    for (const auto& s : RegistryList()) {
        n += s->finished.load() ? 0U : 1U;
    }
    return n;
}

}  // namespace zolvane2
