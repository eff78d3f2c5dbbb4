#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/SoundInput.h"

namespace zolvane2::test {

// Two blocks circulating through an input, the way the capture thread drives
// it. pump, when set, runs before each wait: a fake device hands blocks over
// only when told.
class InputCapture {
public:
    explicit InputCapture(SoundInput& input) : input_(input), queue_(std::make_shared<MessageQueue>()) {
        for (int i = 0; i < kSoundBufferCount; ++i) {
            bytes_[i].assign(static_cast<std::size_t>(kSoundBufferBytes), 0);
            blocks_[i].data = bytes_[i].data();
            blocks_[i].length = kSoundBufferBytes;
            blocks_[i].user = static_cast<std::uintptr_t>(i);
        }
    }

    SoundResult Open(int index, int rate, int channels) {
        SoundResult r = input_.Open(index, rate, channels, queue_);
        for (auto& b : blocks_) {
            if (r == kSoundOk) {
                r = input_.Prepare(b);
            }
            if (r == kSoundOk) {
                r = input_.AddBuffer(b);
            }
        }
        return r;
    }

    // Takes filled blocks until `bytes` were captured (true) or a wait of
    // `patience` brings nothing. Each block goes back at once when requeue.
    bool CollectUntil(std::size_t bytes, bool requeue = true,
                      std::chrono::milliseconds patience = std::chrono::milliseconds(5000)) {
        while (captured.size() < bytes) {
            if (pump) {
                pump();
            }
            const auto m = queue_->GetFor(patience);
            if (!m) {
                return false;
            }
            Take(*m, requeue);
        }
        return true;
    }

    void Take(const Message& m, bool requeue) {
        messages.push_back(m);
        if (m.msg != MM_WIM_DATA) {
            return;
        }
        SoundBuffer* b = FromLParam(m.lParam);
        order.push_back(b->user);
        captured.insert(captured.end(), b->data, b->data + b->bytesRecorded.load());
        if (requeue) {
            EXPECT_EQ(input_.AddBuffer(*b), kSoundOk);
        }
    }

    // Everything posted so far, without waiting.
    void TakePending(bool requeue) {
        while (const auto m = queue_->Peek(true)) {
            Take(*m, requeue);
        }
    }

    MessageQueue& Queue() { return *queue_; }
    SoundBuffer& Block(int i) { return blocks_[i]; }

    std::function<void()> pump;
    std::vector<std::uint8_t> captured;
    std::vector<std::uintptr_t> order;
    std::vector<Message> messages;

private:
    SoundInput& input_;
    std::shared_ptr<MessageQueue> queue_;
    std::vector<std::uint8_t> bytes_[kSoundBufferCount];
    SoundBuffer blocks_[kSoundBufferCount];
};

}  // namespace zolvane2::test
