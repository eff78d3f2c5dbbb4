#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/SoundInput.h"
#include "support/FakeSoundCallLog.h"

namespace zolvane2::test {

// A sound input for tests: the test feeds PCM and decides when each block is
// "recorded" by calling Deliver, which fills the oldest queued block
// completely and posts it to the owner like a real device.
//
// Threads: the owner (e.g. a capture thread) calls the SoundInput members,
// the test thread the feeding and observing ones; one mutex guards all state.
class FakeSoundInput final : public SoundInput {
public:
    explicit FakeSoundInput(std::vector<std::string> sources = {"Fake source"});

    [[nodiscard]] std::vector<std::string> DeviceNames() override;
    // Each source's server name is "fake." followed by its description with
    // blanks as underscores, so that name and description differ.
    [[nodiscard]] std::vector<InputDeviceInfo> Devices() override;
    [[nodiscard]] int DeviceCount() override;
    // SetSources tells every watch that still lives, on the calling thread.
    [[nodiscard]] std::unique_ptr<InputDeviceWatch> WatchDevices(const InputDeviceWatch::Changed& changed) override;
    [[nodiscard]] SoundResult Open(int deviceIndex, int sampleRate, int channels,
                                   std::shared_ptr<MessageQueue> owner) override;
    [[nodiscard]] SoundResult Prepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Unprepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult AddBuffer(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Start() override;
    [[nodiscard]] SoundResult Stop() override;
    [[nodiscard]] SoundResult Reset() override;
    [[nodiscard]] SoundResult Close() override;

    // Test side.
    void SetSources(std::vector<std::string> sources);
    void Feed(const std::vector<std::uint8_t>& pcm);
    // Fills the oldest queued block from the fed PCM and posts it. False when
    // the device is not started, no block is queued or less than a block is
    // fed.
    bool Deliver();
    // Delivers while Deliver succeeds; returns how many blocks went.
    int DeliverAll();
    // Posts MM_WIM_DEVICE_LOST as a vanished device would.
    void LoseDevice(SoundResult code);
    // Posts MM_WIM_DATA_LOST as a device that lost audio would.
    void LoseData(std::int64_t bytes, std::int64_t atBytes);
    // The next call of that kind fails with code.
    void FailNext(FakeSoundCall call, SoundResult code);

    [[nodiscard]] std::vector<FakeSoundCall> Calls() const;
    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] bool IsStarted() const;
    [[nodiscard]] int OpenedIndex() const;
    [[nodiscard]] int OpenedRate() const;
    [[nodiscard]] int OpenedChannels() const;
    [[nodiscard]] int QueuedCount() const;
    [[nodiscard]] std::int64_t FedRemaining() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> sources_;
    std::vector<std::weak_ptr<InputDeviceWatch::Changed>> watches_;
    FakeSoundCallLog log_;
    std::shared_ptr<MessageQueue> owner_;
    std::deque<SoundBuffer*> queued_;
    std::deque<std::uint8_t> fed_;
    bool open_ = false;
    bool started_ = false;
    int index_ = -1;
    int rate_ = 0;
    int channels_ = 0;
};

}  // namespace zolvane2::test
