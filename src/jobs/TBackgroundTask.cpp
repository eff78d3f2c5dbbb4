#include "jobs/TBackgroundTask.h"

#include <exception>
#include <utility>

namespace zolvane2 {

TBackgroundTask::TBackgroundTask(Body body) : body_(std::move(body)) {}

TBackgroundTask::~TBackgroundTask() {
    Cancel();
    WaitFor();
}

bool TBackgroundTask::Report(std::int64_t done, std::int64_t total) {
    if (total > 0) {
        percent_.store(static_cast<int>(done * 100 / total));
    }
    return !Cancelled();
}

void TBackgroundTask::Execute() {
    try {
        body_(*this);
    } catch (const std::exception& e) {
        error_ = e.what();
    }
    done_.store(true, std::memory_order_release);
}

}  // namespace zolvane2
