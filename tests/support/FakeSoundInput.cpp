#include "support/FakeSoundInput.h"

#include <algorithm>

namespace zolvane2::test {

FakeSoundInput::FakeSoundInput(std::vector<std::string> sources) : sources_(std::move(sources)) {}

std::vector<std::string> FakeSoundInput::DeviceNames() {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> names{kDefaultInputDeviceName};
    names.insert(names.end(), sources_.begin(), sources_.end());
    return names;
}

std::vector<InputDeviceInfo> FakeSoundInput::Devices() {
    const std::lock_guard lock(mutex_);
    std::vector<InputDeviceInfo> devices;
    for (const std::string& description : sources_) {
        std::string name = "fake." + description;
        std::replace(name.begin(), name.end(), ' ', '_');
        devices.push_back({name, description, devices.empty()});
    }
    return devices;
}

int FakeSoundInput::DeviceCount() {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(sources_.size());
}

SoundResult FakeSoundInput::Open(int deviceIndex, int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.Enter(FakeSoundCall::Open); r != kSoundOk) {
        return r;
    }
    if (open_) {
        return kSoundErrBusy;
    }
    if (!owner || deviceIndex < 0 || sampleRate <= 0 || channels < 1 || channels > 2) {
        return kSoundErrInvalid;
    }
    if (static_cast<std::size_t>(deviceIndex) > sources_.size()) {
        return kSoundErrNoEntity;
    }
    open_ = true;
    started_ = false;
    owner_ = std::move(owner);
    index_ = deviceIndex;
    rate_ = sampleRate;
    channels_ = channels;
    return kSoundOk;
}

SoundResult FakeSoundInput::Prepare(SoundBuffer& buffer) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.Enter(FakeSoundCall::Prepare); r != kSoundOk) {
        return r;
    }
    return PrepareCaptureBuffer(buffer);
}

SoundResult FakeSoundInput::Unprepare(SoundBuffer& buffer) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.Enter(FakeSoundCall::Unprepare); r != kSoundOk) {
        return r;
    }
    return UnprepareBuffer(buffer);
}

SoundResult FakeSoundInput::AddBuffer(SoundBuffer& buffer) {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::AddBuffer, open_); r != kSoundOk) {
        return r;
    }
    if (const SoundResult r = CheckQueueable(buffer); r != kSoundOk) {
        return r;
    }
    buffer.bytesRecorded.store(0);
    buffer.flags.store(kSoundBufferPrepared | kSoundBufferQueued);
    queued_.push_back(&buffer);
    return kSoundOk;
}

SoundResult FakeSoundInput::Start() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Start, open_); r != kSoundOk) {
        return r;
    }
    started_ = true;
    return kSoundOk;
}

SoundResult FakeSoundInput::Stop() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Stop, open_); r != kSoundOk) {
        return r;
    }
    started_ = false;
    return kSoundOk;
}

SoundResult FakeSoundInput::Reset() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Reset, open_); r != kSoundOk) {
        return r;
    }
    started_ = false;
    while (!queued_.empty()) {
        SoundBuffer* b = queued_.front();
        queued_.pop_front();
        HandBackBuffer(*owner_, MM_WIM_DATA, *b);
    }
    return kSoundOk;
}

SoundResult FakeSoundInput::Close() {
    const std::lock_guard lock(mutex_);
    if (const SoundResult r = log_.EnterOpen(FakeSoundCall::Close, open_); r != kSoundOk) {
        return r;
    }
    for (SoundBuffer* b : queued_) {
        b->flags.fetch_and(~kSoundBufferQueued);
    }
    queued_.clear();
    open_ = false;
    started_ = false;
    owner_.reset();
    return kSoundOk;
}

namespace {
// Holds the notice for as long as the owner keeps the watch.
class FakeDeviceWatch final : public InputDeviceWatch {
public:
    explicit FakeDeviceWatch(std::shared_ptr<Changed> changed) : changed_(std::move(changed)) {}

private:
    std::shared_ptr<Changed> changed_;
};
}  // namespace

std::unique_ptr<InputDeviceWatch> FakeSoundInput::WatchDevices(const InputDeviceWatch::Changed& changed) {
    auto notice = std::make_shared<InputDeviceWatch::Changed>(changed);
    const std::lock_guard lock(mutex_);
    watches_.push_back(notice);
    return std::make_unique<FakeDeviceWatch>(notice);
}

void FakeSoundInput::SetSources(std::vector<std::string> sources) {
    std::vector<std::shared_ptr<InputDeviceWatch::Changed>> notices;
    {
        const std::lock_guard lock(mutex_);
        sources_ = std::move(sources);
        for (const auto& w : watches_) {
            if (auto notice = w.lock()) {
                notices.push_back(std::move(notice));
            }
        }
    }
    for (const auto& notice : notices) {
        (*notice)();
    }
}

void FakeSoundInput::Feed(const std::vector<std::uint8_t>& pcm) {
    const std::lock_guard lock(mutex_);
    fed_.insert(fed_.end(), pcm.begin(), pcm.end());
}

bool FakeSoundInput::Deliver() {
    const std::lock_guard lock(mutex_);
    if (!started_ || queued_.empty()) {
        return false;
    }
    SoundBuffer* b = queued_.front();
    if (static_cast<std::int64_t>(fed_.size()) < b->length) {
        return false;
    }
    const auto n = static_cast<std::ptrdiff_t>(b->length);
    std::copy(fed_.begin(), fed_.begin() + n, b->data);
    fed_.erase(fed_.begin(), fed_.begin() + n);
    queued_.pop_front();
    b->bytesRecorded.store(b->length);
    HandBackBuffer(*owner_, MM_WIM_DATA, *b);
    return true;
}

int FakeSoundInput::DeliverAll() {
    int n = 0;
    while (Deliver()) {
        ++n;
    }
    return n;
}

void FakeSoundInput::LoseDevice(SoundResult code) {
    const std::lock_guard lock(mutex_);
    if (owner_) {
        owner_->Post(MM_WIM_DEVICE_LOST, static_cast<WParam>(code), 0);
    }
}

void FakeSoundInput::LoseData(std::int64_t bytes, std::int64_t atBytes) {
    const std::lock_guard lock(mutex_);
    if (owner_) {
        owner_->Post(MM_WIM_DATA_LOST, static_cast<WParam>(bytes), static_cast<LParam>(atBytes));
    }
}

void FakeSoundInput::FailNext(FakeSoundCall call, SoundResult code) {
    const std::lock_guard lock(mutex_);
    log_.FailNext(call, code);
}

std::vector<FakeSoundCall> FakeSoundInput::Calls() const {
    const std::lock_guard lock(mutex_);
    return log_.Calls();
}

bool FakeSoundInput::IsOpen() const {
    const std::lock_guard lock(mutex_);
    return open_;
}

bool FakeSoundInput::IsStarted() const {
    const std::lock_guard lock(mutex_);
    return started_;
}

int FakeSoundInput::OpenedIndex() const {
    const std::lock_guard lock(mutex_);
    return index_;
}

int FakeSoundInput::OpenedRate() const {
    const std::lock_guard lock(mutex_);
    return rate_;
}

int FakeSoundInput::OpenedChannels() const {
    const std::lock_guard lock(mutex_);
    return channels_;
}

int FakeSoundInput::QueuedCount() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(queued_.size());
}

std::int64_t FakeSoundInput::FedRemaining() const {
    const std::lock_guard lock(mutex_);
    return static_cast<std::int64_t>(fed_.size());
}

}  // namespace zolvane2::test
