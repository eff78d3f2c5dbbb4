#include "trackfile/DiskFlusher.h"

#include <unistd.h>

#include <cerrno>

namespace zolvane2 {

DiskFlusher::DiskFlusher() : thread_([this] { Run(); }) {}

DiskFlusher::~DiskFlusher() {
    {
        const std::lock_guard lock(mutex_);
        shutdown_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool DiskFlusher::Request(int fd) {
    if (fd < 0) {
        return false;
    }
    {
        const std::lock_guard lock(mutex_);
        if (queue_.empty()) {
            queue_.push_back(fd);
            fd = -1;
        }
    }
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    wake_.notify_one();
    return true;
}

void DiskFlusher::Run() {
    for (;;) {
        int fd = -1;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return shutdown_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            fd = queue_.front();
            queue_.pop_front();
        }
        int rc;
        do {
            rc = ::fdatasync(fd);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            lastError_.store(errno);
        }
        ::close(fd);
    }
}

}  // namespace zolvane2
