#include "play/TWaveOutPlayer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>

#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/UserMessages.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {

TWaveOutPlayer::TWaveOutPlayer(MainThreadDispatcher* dispatcher) : self_(std::make_shared<TWaveOutPlayer*>(this)) {
    if (dispatcher == nullptr) {
        throw std::logic_error("TWaveOutPlayer needs a main-thread dispatcher");
    }
    // The hidden window: "WM_PlayEnd" posted by the thread reaches the main
    // thread through the dispatcher and becomes OnPlayEnd there.
    std::weak_ptr<TWaveOutPlayer*> weak = self_;
    hiddenWindow_ = std::make_unique<DispatchedNotifyWindow>(*dispatcher, [weak](const Message& message) {
        if (const std::shared_ptr<TWaveOutPlayer*> self = weak.lock(); self && *self != nullptr) {
            (*self)->HiddenWindowProc(message);
        }
    });
    thread_ = std::make_unique<TWaveOutThread>(hiddenWindow_.get());
    // The refill, level hand-over included, must finish within one block's
    // playing time.
    thread_->SetPriority(ThreadPriority::Higher);
    thread_->SetFreeOnTerminate(false);
    thread_->Resume();
}

TWaveOutPlayer::~TWaveOutPlayer() {
    // Handlers of the owner must not run while it is going away.
    onPlayEnd_ = nullptr;
    thread_->SetOnPlayedEvent(nullptr);
    *self_ = nullptr;
    thread_->Queue().Post(thread_->Messages().quit);
    thread_->WaitFor();
    thread_->SetNotifyWindow(nullptr);
    thread_.reset();
    hiddenWindow_.reset();
}

bool TWaveOutPlayer::SetFileName(const std::string& fileName) {
    UserMessages& messages = GetUserMessages();
    if (!FileSystem::LookUp(fileName)) {
        // The reader reports the missing file; the player keeps what it had.
        (void)TrackFileReader::PrepareForPlaying(fileName, messages);
        return false;
    }
    thread_->SetFileName(fileName);
    if (!TrackFileReader::IsTrackFileName(fileName)) {
        return false;
    }
    std::optional<PlayInfo> info;
    try {
        info = TrackFileReader::PrepareForPlaying(fileName, messages);
    } catch (const std::exception& e) {
        ShowStandardError(TextOf(e), messages);
        return false;
    }
    if (!info) {
        return false;
    }
    thread_->SetDataStart(info->dataOffset);
    thread_->SetDataSize(info->dataSize);
    thread_->SetChannels(info->channels);
    thread_->SetSamplesPerSec(info->sampleRate);
    return true;
}

void TWaveOutPlayer::Play() {
    thread_->Queue().Post(thread_->Messages().start, 0, 0);
}

void TWaveOutPlayer::Stop() {
    thread_->Queue().Post(thread_->Messages().stop, 0, 0);
}

void TWaveOutPlayer::Seek(std::int64_t sampleIndex) {
    const std::int64_t frameBytes = std::max(thread_->Channels(), 1) * std::int64_t{2};
    // The thread limits the offset to the data; only the product must not overflow.
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / frameBytes;
    thread_->SetSeekOffset(std::clamp(sampleIndex, -limit, limit) * frameBytes);
    thread_->Queue().Post(thread_->Messages().seek, 0, 0);
}

std::int64_t TWaveOutPlayer::SampleCount() const {
    return FramesIn(thread_->DataSize());
}

std::int64_t TWaveOutPlayer::SamplePosition() const {
    return FramesIn(thread_->Position());
}

std::int64_t TWaveOutPlayer::FramesIn(std::int64_t bytes) const {
    const int channels = thread_->Channels();
    if (channels <= 0) {
        return 0;
    }
    return static_cast<std::int64_t>(std::trunc(static_cast<double>(bytes) / static_cast<double>(channels) / 2.0));
}

void TWaveOutPlayer::HiddenWindowProc(const Message& message) {
    if (message.msg == thread_->Messages().playEnd) {
        endReason_ = static_cast<TPlayEndReason>(message.wParam);
        DoPlayEnd();
    }
}

void TWaveOutPlayer::DoPlayEnd() {
    // The handler may destroy the component (the window closes after the last
    // file), so it runs from a copy.
    const TNotifyEvent handler = onPlayEnd_;
    if (handler) {
        handler(this);
    }
}

}  // namespace zolvane2
