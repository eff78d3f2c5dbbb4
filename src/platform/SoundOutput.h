#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/MessageQueue.h"
#include "platform/SoundBuffer.h"

namespace zolvane2 {

// Reported to the owner's queue when the open device disappears (server gone,
// stream failed); wParam is the error code. Sent once.
inline constexpr MsgId MM_WOM_DEVICE_LOST = 0x3BA;

// Full volume for SetVolume: 100 %, which the device never exceeds.
inline constexpr std::uint16_t kSoundVolumeFull = 0xFFFF;

// A sound-output device on the server's default output, driven by one owner
// thread.
//
// Every block written comes back as MM_WOM_DONE (wParam 0, lParam the
// SoundBuffer*) once the server has consumed it, strictly in the order the
// blocks were written and never before it was handed to the server; a block
// of length 0 comes back once the blocks before it have. Every call returns
// kSoundOk or an error code.
class SoundOutput {
public:
    SoundOutput() = default;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;
    virtual ~SoundOutput() = default;

    // Outputs available now; 0 when there are none or the server cannot be
    // reached.
    [[nodiscard]] virtual int DeviceCount() = 0;

    // Opens the default output for signed 16-bit little-endian, interleaved,
    // at the given rate and channel count.
    [[nodiscard]] virtual SoundResult Open(int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) = 0;
    // 0xFFFF is 100 % (kSoundVolumeFull); the device is never amplified.
    [[nodiscard]] virtual SoundResult SetVolume(std::uint16_t left, std::uint16_t right) = 0;
    [[nodiscard]] virtual SoundResult Prepare(SoundBuffer& buffer) = 0;
    // Fails with kSoundErrBusy while the block is still queued.
    [[nodiscard]] virtual SoundResult Unprepare(SoundBuffer& buffer) = 0;
    [[nodiscard]] virtual SoundResult Write(SoundBuffer& buffer) = 0;
    [[nodiscard]] virtual SoundResult Pause() = 0;
    [[nodiscard]] virtual SoundResult Restart() = 0;
    // Stops at once, drops what the server holds and hands back every queued
    // block (posted in order).
    [[nodiscard]] virtual SoundResult Reset() = 0;
    // Blocks still queued are forgotten (never posted).
    [[nodiscard]] virtual SoundResult Close() = 0;
    [[nodiscard]] virtual std::string ErrorText(SoundResult code) const { return SoundErrorText(code); }
    // Asks the server, before Open, to hold no more than this ahead of what
    // is heard (hearing the input while it records); 0 leaves it to the
    // device. A device without such a control ignores it.
    virtual void SetLatency(std::chrono::milliseconds /*latency*/) {}
};

using SoundOutputFactory = std::function<std::unique_ptr<SoundOutput>()>;

// The sound server's output; tests may put a factory of their own in place
// (nullptr restores the server's).
[[nodiscard]] std::unique_ptr<SoundOutput> CreateSoundOutput();
void SetSoundOutputFactory(SoundOutputFactory factory);

}  // namespace zolvane2
