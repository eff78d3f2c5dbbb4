#include "trackfile/FlacEncodeWorker.h"

#include "trackfile/FlacEncoder.h"

namespace zolvane2 {

FlacEncodeWorker::FlacEncodeWorker(std::unique_ptr<FlacEncoder> encoder)
    : encoder_(std::move(encoder)), thread_([this] { Run(); }) {}

FlacEncodeWorker::~FlacEncodeWorker() {
    {
        const std::lock_guard lock(mutex_);
        abandon_ = true;
    }
    Stop();
}

void FlacEncodeWorker::Stop() {
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void FlacEncodeWorker::RethrowError() {
    if (error_) {
        std::rethrow_exception(error_);
    }
}

void FlacEncodeWorker::Push(const std::uint8_t* bytes, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    std::vector<std::uint8_t> copy(bytes, bytes + count);
    {
        const std::lock_guard lock(mutex_);
        RethrowError();
        queue_.push_back(std::move(copy));
    }
    wake_.notify_one();
}

void FlacEncodeWorker::Finish() {
    {
        const std::lock_guard lock(mutex_);
        draining_ = true;
    }
    Stop();
    // The helper thread has ended: the encoder is this thread's now.
    RethrowError();
    encoder_->Finish();
}

void FlacEncodeWorker::Run() {
    for (;;) {
        std::vector<std::uint8_t> block;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return abandon_ || draining_ || !queue_.empty(); });
            if (abandon_ || error_ || queue_.empty()) {
                return;
            }
            block = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            encoder_->Encode(block.data(), static_cast<std::int64_t>(block.size()));
        } catch (...) {
            const std::lock_guard lock(mutex_);
            error_ = std::current_exception();
            queue_.clear();
        }
    }
}

}  // namespace zolvane2
