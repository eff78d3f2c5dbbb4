#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Thread.h"

namespace zolvane2 {

// One long read of a file off the main thread (the levels of a file for its
// review, a pass of the gap finder), with progress and cancellation.
//
// Threads: the main thread makes the task, Resumes it and then only reads
// Percent and Done, or cancels; it destroys the task, which waits for the
// worker. Nothing is handed to the main thread while the worker runs: the
// body keeps its results where the main thread finds them once Done is
// true. No Synchronize, so destroying a running task cannot deadlock.
class TBackgroundTask : public Thread {
public:
    // The body reads; it calls Report after each block and stops when that
    // answers false.
    using Body = std::function<void(TBackgroundTask& task)>;

    explicit TBackgroundTask(Body body);
    ~TBackgroundTask() override;

    // done of total; false once Cancel was called.
    bool Report(std::int64_t done, std::int64_t total);
    void Cancel() { cancelled_.store(true); }
    [[nodiscard]] bool Cancelled() const { return cancelled_.load(); }
    [[nodiscard]] int Percent() const { return percent_.load(); }
    // The body has returned (or thrown); what it kept may now be read.
    [[nodiscard]] bool Done() const { return done_.load(std::memory_order_acquire); }
    // The text of what the body threw; empty when it did not.
    [[nodiscard]] const std::string& ErrorText() const { return error_; }

protected:
    void Execute() override;

private:
    Body body_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> percent_{0};
    std::atomic<bool> done_{false};
    std::string error_;  // the worker's until done_
};

}  // namespace zolvane2
