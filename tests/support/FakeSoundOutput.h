#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/SoundOutput.h"
#include "support/FakeSoundCallLog.h"

namespace zolvane2::test {

// A sound output for tests: blocks written by the owner wait until the test
// "plays" them with ReturnNext, which records their bytes and posts
// MM_WOM_DONE to the owner like a real device.
//
// Threads: the owner (e.g. a playback thread) calls the SoundOutput members,
// the test thread the playing and observing ones; one mutex guards all state.
class FakeSoundOutput final : public SoundOutput {
public:
    explicit FakeSoundOutput(int devices = 1) : devices_(devices) {}

    [[nodiscard]] int DeviceCount() override;
    [[nodiscard]] SoundResult Open(int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) override;
    [[nodiscard]] SoundResult SetVolume(std::uint16_t left, std::uint16_t right) override;
    [[nodiscard]] SoundResult Prepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Unprepare(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Write(SoundBuffer& buffer) override;
    [[nodiscard]] SoundResult Pause() override;
    [[nodiscard]] SoundResult Restart() override;
    [[nodiscard]] SoundResult Reset() override;
    [[nodiscard]] SoundResult Close() override;

    // Test side.
    void SetDeviceCount(int devices);
    // Plays the oldest written block: records its bytes and posts it back.
    // False when none is queued or the device is paused.
    bool ReturnNext();
    // Returns while ReturnNext succeeds; how many blocks went.
    int ReturnAll();
    // Posts MM_WOM_DEVICE_LOST as a vanished device would.
    void LoseDevice(SoundResult code);
    // The next call of that kind fails with code.
    void FailNext(FakeSoundCall call, SoundResult code);

    [[nodiscard]] std::vector<FakeSoundCall> Calls() const;
    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] bool IsPaused() const;
    [[nodiscard]] int OpenedRate() const;
    [[nodiscard]] int OpenedChannels() const;
    [[nodiscard]] std::pair<std::uint16_t, std::uint16_t> Volume() const;
    [[nodiscard]] int QueuedCount() const;
    // Every byte played so far, in order.
    [[nodiscard]] std::vector<std::uint8_t> Played() const;
    // The length of every block written, in order (0 for end markers).
    [[nodiscard]] std::vector<std::int64_t> WrittenLengths() const;

private:
    struct Queued {
        SoundBuffer* buffer;
        std::vector<std::uint8_t> bytes;
    };

    mutable std::mutex mutex_;
    int devices_;
    FakeSoundCallLog log_;
    std::shared_ptr<MessageQueue> owner_;
    std::deque<Queued> queued_;
    std::vector<std::uint8_t> played_;
    std::vector<std::int64_t> written_;
    std::pair<std::uint16_t, std::uint16_t> volume_{0, 0};
    bool open_ = false;
    bool paused_ = false;
    int rate_ = 0;
    int channels_ = 0;
};

}  // namespace zolvane2::test
