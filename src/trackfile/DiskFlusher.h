#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace zolvane2 {

// Flushes written audio to the disk on a helper thread, so that the thread
// writing a track never waits for the disk: a power cut then loses seconds,
// not what the page cache held.
//
// Threads: the owner's thread calls Request and the destructor; the helper
// thread alone flushes and closes the handles it was given. The queue is
// guarded by the mutex; LastError is atomic.
class DiskFlusher {
public:
    DiskFlusher();
    // Flushes what is still queued, then ends the helper thread.
    ~DiskFlusher();
    DiskFlusher(const DiskFlusher&) = delete;
    DiskFlusher& operator=(const DiskFlusher&) = delete;

    // Takes fd (owned from now on): flushes its file's data and closes it.
    // While an earlier flush is still queued the request is not needed (that
    // flush covers the same data once it runs): fd is closed and false is
    // answered.
    bool Request(int fd);

    // errno of a flush that failed since the last call, 0 when none did.
    [[nodiscard]] int TakeError() { return lastError_.exchange(0); }

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<int> queue_;
    bool shutdown_ = false;
    std::atomic<int> lastError_{0};
    std::thread thread_;
};

}  // namespace zolvane2
