#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zolvane2 {

class FlacEncoder;

// Runs a FlacEncoder on a helper thread, so that the recording thread only
// copies its blocks into a queue and never waits for the encoder: an encoder
// that falls behind (a busy machine, a slow disk under it) holds the audio
// in the queue as a slow disk holds it in the recorder's own, and none is
// lost.
//
// Threads: the owner's thread calls Push, Finish and the destructor; the
// helper thread alone uses the encoder until Finish has joined it. The
// queue is guarded by the mutex.
class FlacEncodeWorker {
public:
    explicit FlacEncodeWorker(std::unique_ptr<FlacEncoder> encoder);
    // Stops the helper thread; audio still queued is dropped (an output
    // given up).
    ~FlacEncodeWorker();
    FlacEncodeWorker(const FlacEncodeWorker&) = delete;
    FlacEncodeWorker& operator=(const FlacEncodeWorker&) = delete;

    // Queues a copy of count bytes; rethrows an error the encoder met since.
    void Push(const std::uint8_t* bytes, std::int64_t count);
    // Encodes everything queued, ends the helper thread and finishes the
    // stream; rethrows the first error the encoder met.
    void Finish();

private:
    void Run();
    void Stop();
    void RethrowError();

    std::unique_ptr<FlacEncoder> encoder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::vector<std::uint8_t>> queue_;
    bool draining_ = false;  // Finish: encode what is queued, then end
    bool abandon_ = false;   // destructor: end now
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace zolvane2
