#include "app/QtMainThreadDispatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace zolvane2 {

QtMainThreadDispatcher::QtMainThreadDispatcher() = default;

QtMainThreadDispatcher::~QtMainThreadDispatcher() {
    Shutdown();
}

bool QtMainThreadDispatcher::IsMainThread() const {
    return QThread::currentThread() == thread();
}

void QtMainThreadDispatcher::Release(const std::shared_ptr<Waiter>& waiter) {
    {
        const std::lock_guard lock(waiter->mutex);
        waiter->finished = true;
    }
    waiter->cv.notify_all();
}

void QtMainThreadDispatcher::RunAndWait(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    auto waiter = std::make_shared<Waiter>();
    {
        const std::lock_guard lock(mutex_);
        if (shutDown_) {
            return;
        }
        waiting_.push_back(waiter);
    }
    // The copy keeps the work alive in the queued call even if Shutdown lets
    // the worker return first; started tells Shutdown that it may no longer
    // drop the work because the main thread is already running it.
    QMetaObject::invokeMethod(
        this,
        [this, waiter, work = fn] {
            {
                const std::lock_guard lock(waiter->mutex);
                if (waiter->finished) {
                    return;
                }
                waiter->started = true;
            }
            struct Done {
                QtMainThreadDispatcher* self;
                const std::shared_ptr<Waiter>& w;
                ~Done() {
                    {
                        const std::lock_guard lock(self->mutex_);
                        auto& list = self->waiting_;
                        list.erase(std::remove(list.begin(), list.end(), w), list.end());
                    }
                    self->Release(w);
                }
            } done{this, waiter};
            work();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(waiter->mutex);
    waiter->cv.wait(lock, [&] { return waiter->finished; });
}

void QtMainThreadDispatcher::Post(std::function<void()> fn) {
    {
        const std::lock_guard lock(mutex_);
        if (shutDown_) {
            return;
        }
    }
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void QtMainThreadDispatcher::Pump(std::chrono::milliseconds maxWait) {
    // The timer bounds the wait: processEvents with WaitForMoreEvents returns
    // after the first batch of events, and the timer's expiry is one.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, maxWait.count())));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtMainThreadDispatcher::Shutdown() {
    std::vector<std::shared_ptr<Waiter>> waiting;
    {
        const std::lock_guard lock(mutex_);
        shutDown_ = true;
        waiting.swap(waiting_);
    }
    for (const auto& waiter : waiting) {
        bool running = false;
        {
            const std::lock_guard lock(waiter->mutex);
            running = waiter->started && !waiter->finished;
        }
        // Work the main thread is running now releases its worker itself.
        if (!running) {
            Release(waiter);
        }
    }
}

}  // namespace zolvane2
