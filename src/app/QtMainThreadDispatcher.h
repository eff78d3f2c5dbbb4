#pragma once

#include <QObject>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/MainThreadDispatcher.h"

namespace zolvane2 {

// Main-thread dispatch over the Qt event loop. Create it on the main thread
// after the QApplication.
//
// Threads: Post and RunAndWait may be called from any thread; the work runs
// in the Qt event loop of the thread that created this object. A worker in
// RunAndWait waits on a completion of its own (not a Qt blocking connection),
// so Shutdown can release it when the main thread will no longer run work.
class QtMainThreadDispatcher final : public QObject, public MainThreadDispatcher {
    Q_OBJECT
public:
    QtMainThreadDispatcher();
    ~QtMainThreadDispatcher() override;

    void RunAndWait(const std::function<void()>& fn) override;
    void Post(std::function<void()> fn) override;
    // One pass of the event loop; waits at most maxWait for an event.
    void Pump(std::chrono::milliseconds maxWait) override;
    [[nodiscard]] bool IsMainThread() const override;
    void Shutdown() override;

private:
    struct Waiter {
        std::mutex mutex;
        std::condition_variable cv;
        bool started = false;   // the main thread took the work
        bool finished = false;  // the worker may go on
    };

    void Release(const std::shared_ptr<Waiter>& waiter);

    std::mutex mutex_;
    bool shutDown_ = false;
    std::vector<std::shared_ptr<Waiter>> waiting_;
};

}  // namespace zolvane2
