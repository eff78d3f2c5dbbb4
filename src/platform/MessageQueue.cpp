#include "platform/MessageQueue.h"

namespace zolvane2 {

bool MessageQueue::Post(Message message) {
    {
        const std::lock_guard lock(mutex_);
        if (shutDown_) {
            return false;
        }
        messages_.push_back(message);
    }
    ready_.notify_one();
    return true;
}

Message MessageQueue::Get() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !messages_.empty() || shutDown_; });
    if (messages_.empty()) {
        return Message{WM_QUIT, 0, 0};
    }
    const Message m = messages_.front();
    messages_.pop_front();
    return m;
}

std::optional<Message> MessageQueue::GetFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, timeout, [this] { return !messages_.empty() || shutDown_; })) {
        return std::nullopt;
    }
    if (messages_.empty()) {
        return Message{WM_QUIT, 0, 0};
    }
    const Message m = messages_.front();
    messages_.pop_front();
    return m;
}

void MessageQueue::DrainFor(std::chrono::milliseconds window, const std::function<bool(const Message&)>& onMessage) {
    const auto deadline = std::chrono::steady_clock::now() + window;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return;
        }
        const std::optional<Message> m = GetFor(left);
        if (!m || !onMessage(*m)) {
            return;
        }
    }
}

std::optional<Message> MessageQueue::Peek(bool remove) {
    const std::lock_guard lock(mutex_);
    if (messages_.empty()) {
        return std::nullopt;
    }
    const Message m = messages_.front();
    if (remove) {
        messages_.pop_front();
    }
    return m;
}

void MessageQueue::Shutdown() {
    {
        const std::lock_guard lock(mutex_);
        shutDown_ = true;
    }
    ready_.notify_all();
}

bool MessageQueue::IsShutDown() const {
    const std::lock_guard lock(mutex_);
    return shutDown_;
}

std::size_t MessageQueue::Size() const {
    const std::lock_guard lock(mutex_);
    return messages_.size();
}

}  // namespace zolvane2
