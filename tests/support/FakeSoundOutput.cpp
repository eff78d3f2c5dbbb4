#include "support/FakeSoundOutput.h"

namespace zolvane2::test {

int FakeSoundOutput::DeviceCount() {
    const std::lock_guard lock(mutex_);
    return devices_;
}

SoundResult FakeSoundOutput::Open(int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.Enter(FakeSoundCall::Open); r != kSoundOk) {
        return r;
    }
    if (open_) {
        return kSoundErrBusy;
    }
    if (devices_ <= 0) {
        return kSoundErrNoEntity;
    }
    if (!owner || sampleRate <= 0 || channels < 1 || channels > 2) {
        return kSoundErrInvalid;
    }
    open_ = true;
    paused_ = false;
    owner_ = std::move(owner);
    rate_ = sampleRate;
    channels_ = channels;
    return kSoundOk;
}

SoundResult FakeSoundOutput::SetVolume(std::uint16_t left, std::uint16_t right) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::SetVolume, open_); r != kSoundOk) {
        return r;
    }
    volume_ = {left, right};
    return kSoundOk;
}

SoundResult FakeSoundOutput::Prepare(SoundBuffer& buffer) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.Enter(FakeSoundCall::Prepare); r != kSoundOk) {
        return r;
    }
    return PreparePlaybackBuffer(buffer);
}

SoundResult FakeSoundOutput::Unprepare(SoundBuffer& buffer) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.Enter(FakeSoundCall::Unprepare); r != kSoundOk) {
        return r;
    }
    return UnprepareBuffer(buffer);
}

SoundResult FakeSoundOutput::Write(SoundBuffer& buffer) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Write, open_); r != kSoundOk) {
        return r;
    }
    if (const SoundResult r = CheckQueueable(buffer); r != kSoundOk) {
        return r;
    }
    buffer.flags.store(kSoundBufferPrepared | kSoundBufferQueued);
    Queued q{&buffer, {}};
    if (buffer.length > 0) {
        q.bytes.assign(buffer.data, buffer.data + buffer.length);
    }
    written_.push_back(buffer.length);
    queued_.push_back(std::move(q));
    return kSoundOk;
}

SoundResult FakeSoundOutput::Pause() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Pause, open_); r != kSoundOk) {
        return r;
    }
    paused_ = true;
    return kSoundOk;
}

SoundResult FakeSoundOutput::Restart() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Restart, open_); r != kSoundOk) {
        return r;
    }
    paused_ = false;
    return kSoundOk;
}

SoundResult FakeSoundOutput::Reset() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Reset, open_); r != kSoundOk) {
        return r;
    }
    while (!queued_.empty()) {
        HandBackBuffer(*owner_, MM_WOM_DONE, *queued_.front().buffer);
        queued_.pop_front();
    }
    return kSoundOk;
}

SoundResult FakeSoundOutput::Close() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Close, open_); r != kSoundOk) {
        return r;
    }
    for (Queued& q : queued_) {
        q.buffer->flags.fetch_and(~kSoundBufferQueued);
    }
    queued_.clear();
    open_ = false;
    paused_ = false;
    owner_.reset();
    return kSoundOk;
}

void FakeSoundOutput::SetDeviceCount(int devices) {
    const std::lock_guard lock(mutex_);
    devices_ = devices;
}

bool FakeSoundOutput::ReturnNext() {
    const std::lock_guard lock(mutex_);
    if (!open_ || paused_ || queued_.empty()) {
        return false;
    }
    Queued& q = queued_.front();
    played_.insert(played_.end(), q.bytes.begin(), q.bytes.end());
    HandBackBuffer(*owner_, MM_WOM_DONE, *q.buffer);
    queued_.pop_front();
    return true;
}

int FakeSoundOutput::ReturnAll() {
    int n = 0;
    while (ReturnNext()) {
        ++n;
    }
    return n;
}

void FakeSoundOutput::LoseDevice(SoundResult code) {
    const std::lock_guard lock(mutex_);
    if (owner_) {
        owner_->Post(MM_WOM_DEVICE_LOST, static_cast<WParam>(code), 0);
    }
}

void FakeSoundOutput::FailNext(FakeSoundCall call, SoundResult code) {
    const std::lock_guard lock(mutex_);
    log_.FailNext(call, code);
}

std::vector<FakeSoundCall> FakeSoundOutput::Calls() const {
    const std::lock_guard lock(mutex_);
    return log_.Calls();
}

bool FakeSoundOutput::IsOpen() const {
    const std::lock_guard lock(mutex_);
    return open_;
}

bool FakeSoundOutput::IsPaused() const {
    const std::lock_guard lock(mutex_);
    return paused_;
}

int FakeSoundOutput::OpenedRate() const {
    const std::lock_guard lock(mutex_);
    return rate_;
}

int FakeSoundOutput::OpenedChannels() const {
    const std::lock_guard lock(mutex_);
    return channels_;
}

std::pair<std::uint16_t, std::uint16_t> FakeSoundOutput::Volume() const {
    const std::lock_guard lock(mutex_);
    return volume_;
}

int FakeSoundOutput::QueuedCount() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(queued_.size());
}

std::vector<std::uint8_t> FakeSoundOutput::Played() const {
    const std::lock_guard lock(mutex_);
    return played_;
}

std::vector<std::int64_t> FakeSoundOutput::WrittenLengths() const {
    const std::lock_guard lock(mutex_);
    return written_;
}

}  // namespace zolvane2::test
