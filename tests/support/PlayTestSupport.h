#pragma once

// Helpers of the player tests: a sound output that hands every call to one
// FakeSoundOutput kept by the test (the player makes and drops its output per
// playback), and test files whose samples are never 0, so that silence that
// the server inserts can be told apart from the file.

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/FakeSoundOutput.h"
#include "support/WaveFile.h"

namespace zolvane2::test {

class ForwardingSoundOutput final : public SoundOutput {
public:
    explicit ForwardingSoundOutput(std::shared_ptr<FakeSoundOutput> target) : target_(std::move(target)) {}

    [[nodiscard]] int DeviceCount() override { return target_->DeviceCount(); }
    [[nodiscard]] SoundResult Open(int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) override {
        return target_->Open(sampleRate, channels, std::move(owner));
    }
    [[nodiscard]] SoundResult SetVolume(std::uint16_t left, std::uint16_t right) override {
        return target_->SetVolume(left, right);
    }
    [[nodiscard]] SoundResult Prepare(SoundBuffer& buffer) override { return target_->Prepare(buffer); }
    [[nodiscard]] SoundResult Unprepare(SoundBuffer& buffer) override { return target_->Unprepare(buffer); }
    [[nodiscard]] SoundResult Write(SoundBuffer& buffer) override { return target_->Write(buffer); }
    [[nodiscard]] SoundResult Pause() override { return target_->Pause(); }
    [[nodiscard]] SoundResult Restart() override { return target_->Restart(); }
    [[nodiscard]] SoundResult Reset() override { return target_->Reset(); }
    [[nodiscard]] SoundResult Close() override { return target_->Close(); }

private:
    std::shared_ptr<FakeSoundOutput> target_;
};

// Interleaved 16-bit frames: a saw from 1 to 20000 on the left, its negative
// on the right; no sample is 0.
inline Bytes PlayPattern(std::int64_t frames, int channels) {
    Bytes b;
    b.reserve(static_cast<std::size_t>(frames * channels * 2));
    for (std::int64_t f = 0; f < frames; ++f) {
        const auto v = static_cast<std::int16_t>(f % 20000 + 1);
        for (int c = 0; c < channels; ++c) {
            const auto s = static_cast<std::uint16_t>(c == 0 ? v : static_cast<std::int16_t>(-v));
            b.push_back(static_cast<std::uint8_t>(s & 0xFFU));
            b.push_back(static_cast<std::uint8_t>(s >> 8U));
        }
    }
    return b;
}

// The frames of a recording with every all-zero frame left out.
inline Bytes PlayWithoutSilence(const Bytes& recorded, int channels) {
    Bytes out;
    const std::size_t frame = static_cast<std::size_t>(channels) * 2;
    for (std::size_t at = 0; at + frame <= recorded.size(); at += frame) {
        bool silent = true;
        for (std::size_t k = 0; k < frame; ++k) {
            silent = silent && recorded[at + k] == 0;
        }
        if (!silent) {
            out.insert(out.end(), recorded.begin() + static_cast<std::ptrdiff_t>(at),
                       recorded.begin() + static_cast<std::ptrdiff_t>(at + frame));
        }
    }
    return out;
}

}  // namespace zolvane2::test
