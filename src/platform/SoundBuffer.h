#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Message.h"
#include "platform/MessageQueue.h"

namespace zolvane2 {

// One block of 16-bit PCM travelling between a sound device and its owner.
// The owner allocates the bytes and keeps them alive from Prepare to
// Unprepare; the device fills (capture) or plays (playback) them and hands the
// block back with a posted notification whose lParam is the block's address.
inline constexpr std::int64_t kSoundBufferBytes = 16384;
inline constexpr int kSoundBufferCount = 2;

inline constexpr std::uint32_t kSoundBufferPrepared = 0x1U;
inline constexpr std::uint32_t kSoundBufferQueued = 0x2U;
inline constexpr std::uint32_t kSoundBufferDone = 0x4U;

struct SoundBuffer {
    std::uint8_t* data = nullptr;
    // Capture: room in data. Playback: bytes to play (0 is a valid end marker).
    std::int64_t length = 0;
    // Capture: bytes filled when the block came back.
    std::atomic<std::int64_t> bytesRecorded{0};
    // The owner's own value, e.g. the block's index.
    std::uintptr_t user = 0;
    // kSoundBuffer* bits; written by the device's thread, read by the owner.
    std::atomic<std::uint32_t> flags{0};
};

[[nodiscard]] inline LParam ToLParam(SoundBuffer* buffer) {
    return reinterpret_cast<LParam>(buffer);
}
[[nodiscard]] inline SoundBuffer* FromLParam(LParam lParam) {
    // A message carries its buffer as an integer; only ToLParam's values come back here.
    return reinterpret_cast<SoundBuffer*>(lParam);  // NOLINT(performance-no-int-to-ptr)
}

// Result of a sound-device call: 0 is success, anything else one of the sound
// server's error codes, whose text SoundErrorText gives.
using SoundResult = int;
inline constexpr SoundResult kSoundOk = 0;
inline constexpr SoundResult kSoundErrAccess = 1;
inline constexpr SoundResult kSoundErrInvalid = 3;
inline constexpr SoundResult kSoundErrExist = 4;
inline constexpr SoundResult kSoundErrNoEntity = 5;
inline constexpr SoundResult kSoundErrConnectionRefused = 6;
inline constexpr SoundResult kSoundErrTimeout = 8;
inline constexpr SoundResult kSoundErrConnectionTerminated = 11;
inline constexpr SoundResult kSoundErrKilled = 12;
inline constexpr SoundResult kSoundErrBadState = 15;
inline constexpr SoundResult kSoundErrNotSupported = 19;
inline constexpr SoundResult kSoundErrBusy = 26;

// The server's text for a code, at most 255 bytes.
[[nodiscard]] std::string SoundErrorText(SoundResult code);

// The block rules every device keeps, in one place so that the test fakes
// refuse exactly what the server's devices refuse.
//
// A capture block needs room to fill; a playback block may be empty (the
// end marker) but never has a length without bytes.
[[nodiscard]] SoundResult PrepareCaptureBuffer(SoundBuffer& buffer);
[[nodiscard]] SoundResult PreparePlaybackBuffer(SoundBuffer& buffer);
// kSoundErrBusy while the block is queued: the device still writes or reads it.
[[nodiscard]] SoundResult UnprepareBuffer(SoundBuffer& buffer);
// kSoundErrInvalid for a block that is not prepared, kSoundErrBusy for one
// already queued.
[[nodiscard]] SoundResult CheckQueueable(const SoundBuffer& buffer);
// Marks the block done (its other bits kept) and posts it to the owner as
// msg, which gives it back to the owner.
void HandBackBuffer(MessageQueue& owner, MsgId msg, SoundBuffer& buffer);

}  // namespace zolvane2
