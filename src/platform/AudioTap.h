#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Message.h"
#include "platform/MessageQueue.h"

namespace zolvane2 {

// A copy of what a capture takes in, for a listener on the side (hearing
// the input while it records). The capture's callback only copies in, under
// a short lock, and wakes the listener with one message; the listener takes
// the audio out on its own thread. The tap holds at most maxBytes: when the
// listener falls behind the oldest audio goes, so the capture never waits
// and the listener never hears old audio.
class AudioTap {
public:
    AudioTap(std::int64_t maxBytes, std::int64_t frameBytes, std::shared_ptr<MessageQueue> listener, MsgId ready);

    // The capture side: n bytes arrived; data nullptr is a hole, heard as
    // silence.
    void Put(const std::uint8_t* data, std::size_t n);
    // The listener: moves whole frames, at most room bytes, into out.
    [[nodiscard]] std::size_t Take(std::uint8_t* out, std::size_t room);
    // Bytes that went because the listener fell behind.
    [[nodiscard]] std::int64_t DroppedBytes() const;

private:
    const std::size_t max_;
    const std::size_t frameBytes_;
    const std::shared_ptr<MessageQueue> listener_;
    const MsgId ready_;
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> ring_;
    std::size_t head_ = 0;  // the oldest byte
    std::size_t size_ = 0;
    std::int64_t dropped_ = 0;
    bool woken_ = false;  // a ready message is on its way
};

}  // namespace zolvane2
