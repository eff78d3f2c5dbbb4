#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/Message.h"

namespace zolvane2 {

// A thread's message queue. Any thread may post; the owning thread takes the
// messages in the order they were posted. After Shutdown, Get returns WM_QUIT
// once the queue is empty, and posts are dropped.
class MessageQueue {
public:
    MessageQueue() = default;
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Returns false when the queue was shut down and the message was dropped.
    bool Post(Message message);
    bool Post(MsgId msg, WParam wParam = 0, LParam lParam = 0) { return Post(Message{msg, wParam, lParam}); }

    // Blocks until a message is there (or the queue is shut down: WM_QUIT).
    [[nodiscard]] Message Get();
    // Waits at most `timeout`; nothing when no message came.
    [[nodiscard]] std::optional<Message> GetFor(std::chrono::milliseconds timeout);
    // Takes every message that comes within `window` and hands it to
    // onMessage, until onMessage answers false, the window has passed or no
    // message comes for the rest of it. A worker stopping its device waits
    // so for the device's last notifications (which may take a while after
    // a reset), deciding message by message what to keep.
    void DrainFor(std::chrono::milliseconds window, const std::function<bool(const Message&)>& onMessage);
    // Non-blocking look at the front; `remove` takes it out.
    [[nodiscard]] std::optional<Message> Peek(bool remove);

    void Shutdown();
    [[nodiscard]] bool IsShutDown() const;
    [[nodiscard]] std::size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Message> messages_;
    bool shutDown_ = false;
};

}  // namespace zolvane2
