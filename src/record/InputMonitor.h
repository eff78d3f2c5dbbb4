#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/AudioTap.h"
#include "platform/SoundBuffer.h"
#include "platform/SoundOutput.h"
#include "platform/Thread.h"
#include "platform/UserText.h"

namespace zolvane2 {

// Lets the input be heard while it records: what the capture takes in is
// copied into a tap (AudioTap) and played through the sound output on this
// thread of its own, in short blocks, at most about kMaxDelayMs behind.
// The recording never waits for it: the tap drops the oldest audio when the
// output falls behind. An output that cannot be opened or fails is told
// once, through the failure handler, and the monitor stays silent for the
// rest of the run; the recording goes on.
//
// Threads: the owner (the capture thread) creates it, hands its Tap() to
// the input and calls Start and Stop; Execute alone touches the output.
class InputMonitor final : public Thread {
public:
    using Failed = std::function<void(const UserText& reason)>;

    // The delay the monitor keeps to, from the capture's arrival to the
    // output: what the output holds at most (the sound server's own buffer
    // and the sink's included, as they hand blocks back only once heard).
    static constexpr int kMaxDelayMs = 100;
    // One block of the output.
    static constexpr int kBlockMs = 20;
    // What waits for the output at most.
    static constexpr int kTapMs = 100;
    // What the server is asked to hold ahead of what is heard.
    static constexpr int kOutputLatencyMs = 40;

    // output: nullptr is the server's (CreateSoundOutput); failed is called
    // on this thread, once.
    InputMonitor(int sampleRate, int channels, std::unique_ptr<SoundOutput> output, Failed failed);
    ~InputMonitor() override;

    [[nodiscard]] const std::shared_ptr<AudioTap>& Tap() const { return tap_; }
    // Ends the thread after the output was closed, and waits for it.
    void Stop();

    // Audio played, and audio let go because the output fell behind.
    [[nodiscard]] std::int64_t PlayedBytes() const { return played_.load(); }
    [[nodiscard]] std::int64_t DroppedBytes() const { return dropped_.load() + tap_->DroppedBytes(); }

protected:
    void Execute() override;

private:
    struct Block {
        SoundBuffer header;
        std::vector<std::uint8_t> bytes;
        bool busy = false;
    };

    void Open();
    void Feed();
    void Done(LParam lParam);
    void Fail(SoundResult code);
    void Close();

    static constexpr int kBlocks = kMaxDelayMs / kBlockMs;
    static constexpr MsgId kReady = 0x8001;
    static constexpr MsgId kQuit = 0x8002;

    const int rate_;
    const int channels_;
    const std::int64_t blockBytes_;
    std::unique_ptr<SoundOutput> output_;
    Failed failed_;
    std::shared_ptr<AudioTap> tap_;
    std::array<Block, kBlocks> blocks_;
    bool open_ = false;
    bool failedOnce_ = false;
    std::vector<std::uint8_t> scratch_;
    std::atomic<std::int64_t> played_{0};
    std::atomic<std::int64_t> dropped_{0};
};

}  // namespace zolvane2
