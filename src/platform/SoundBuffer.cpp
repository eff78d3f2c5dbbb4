#include "platform/SoundBuffer.h"

#include <pulse/def.h>
#include <pulse/error.h>

namespace zolvane2 {

// The codes are the sound server's own, so its texts describe them.
static_assert(kSoundErrAccess == PA_ERR_ACCESS);
static_assert(kSoundErrInvalid == PA_ERR_INVALID);
static_assert(kSoundErrExist == PA_ERR_EXIST);
static_assert(kSoundErrNoEntity == PA_ERR_NOENTITY);
static_assert(kSoundErrConnectionRefused == PA_ERR_CONNECTIONREFUSED);
static_assert(kSoundErrTimeout == PA_ERR_TIMEOUT);
static_assert(kSoundErrConnectionTerminated == PA_ERR_CONNECTIONTERMINATED);
static_assert(kSoundErrKilled == PA_ERR_KILLED);
static_assert(kSoundErrBadState == PA_ERR_BADSTATE);
static_assert(kSoundErrNotSupported == PA_ERR_NOTSUPPORTED);
static_assert(kSoundErrBusy == PA_ERR_BUSY);

std::string SoundErrorText(SoundResult code) {
    const char* text = pa_strerror(code);
    std::string s = text != nullptr ? text : "Unknown error";
    constexpr std::size_t kMaxText = 255;
    if (s.size() > kMaxText) {
        // Cut before a UTF-8 continuation byte so the text stays valid.
        std::size_t n = kMaxText;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0U) == 0x80U) {
            --n;
        }
        s.resize(n);
    }
    return s;
}

SoundResult PrepareCaptureBuffer(SoundBuffer& buffer) {
    if (buffer.data == nullptr || buffer.length <= 0) {
        return kSoundErrInvalid;
    }
    buffer.flags.fetch_or(kSoundBufferPrepared);
    return kSoundOk;
}

SoundResult PreparePlaybackBuffer(SoundBuffer& buffer) {
    if (buffer.length < 0 || (buffer.length > 0 && buffer.data == nullptr)) {
        return kSoundErrInvalid;
    }
    buffer.flags.fetch_or(kSoundBufferPrepared);
    return kSoundOk;
}

SoundResult UnprepareBuffer(SoundBuffer& buffer) {
    if ((buffer.flags.load() & kSoundBufferQueued) != 0U) {
        return kSoundErrBusy;
    }
    buffer.flags.fetch_and(~kSoundBufferPrepared);
    return kSoundOk;
}

SoundResult CheckQueueable(const SoundBuffer& buffer) {
    const std::uint32_t f = buffer.flags.load();
    if ((f & kSoundBufferPrepared) == 0U) {
        return kSoundErrInvalid;
    }
    if ((f & kSoundBufferQueued) != 0U) {
        return kSoundErrBusy;
    }
    return kSoundOk;
}

void HandBackBuffer(MessageQueue& owner, MsgId msg, SoundBuffer& buffer) {
    buffer.flags.store((buffer.flags.load() & ~kSoundBufferQueued) | kSoundBufferDone);
    owner.Post(msg, 0, ToLParam(&buffer));
}

}  // namespace zolvane2
