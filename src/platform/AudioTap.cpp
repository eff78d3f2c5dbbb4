#include "platform/AudioTap.h"

#include <algorithm>
#include <cstring>

namespace zolvane2 {

AudioTap::AudioTap(std::int64_t maxBytes, std::int64_t frameBytes, std::shared_ptr<MessageQueue> listener, MsgId ready)
    : max_(static_cast<std::size_t>(std::max<std::int64_t>(maxBytes / std::max<std::int64_t>(frameBytes, 1), 1) *
                                    std::max<std::int64_t>(frameBytes, 1))),
      frameBytes_(static_cast<std::size_t>(std::max<std::int64_t>(frameBytes, 1))),
      listener_(std::move(listener)),
      ready_(ready),
      ring_(max_, 0) {}

void AudioTap::Put(const std::uint8_t* data, std::size_t n) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        // Only the newest max_ bytes of a long piece could ever be heard.
        if (n > max_) {
            if (data != nullptr) {
                data += n - max_;
            }
            dropped_ += static_cast<std::int64_t>(n - max_);
            n = max_;
        }
        if (size_ + n > max_) {
            // Whole frames of the oldest go, so the listener stays on frame.
            const std::size_t over = size_ + n - max_;
            const std::size_t drop = std::min((over + frameBytes_ - 1) / frameBytes_ * frameBytes_, size_);
            head_ = (head_ + drop) % max_;
            size_ -= drop;
            dropped_ += static_cast<std::int64_t>(drop);
        }
        std::size_t tail = (head_ + size_) % max_;
        std::size_t left = n;
        while (left > 0) {
            const std::size_t piece = std::min(left, max_ - tail);
            if (data != nullptr) {
                std::memcpy(ring_.data() + tail, data, piece);
                data += piece;
            } else {
                std::memset(ring_.data() + tail, 0, piece);
            }
            tail = (tail + piece) % max_;
            left -= piece;
        }
        size_ = std::min(size_ + n, max_);
        wake = !woken_;
        woken_ = true;
    }
    if (wake && listener_) {
        (void)listener_->Post(ready_);
    }
}

std::size_t AudioTap::Take(std::uint8_t* out, std::size_t room) {
    const std::lock_guard lock(mutex_);
    woken_ = false;
    const std::size_t n = std::min(size_, room) / frameBytes_ * frameBytes_;
    std::size_t done = 0;
    while (done < n) {
        const std::size_t piece = std::min(n - done, max_ - head_);
        std::memcpy(out + done, ring_.data() + head_, piece);
        head_ = (head_ + piece) % max_;
        done += piece;
    }
    size_ -= n;
    return n;
}

std::int64_t AudioTap::DroppedBytes() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace zolvane2
