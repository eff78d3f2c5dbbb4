#pragma once

#include <array>
#include <cstdint>

namespace zolvane2 {

// The distribution of a level track's steps, and what the gap finder reads
// from it: the noise floor (the lowest level the source dwells at), the
// music's level and the threshold between them.
class NoiseFloor {
public:
    void Add(std::uint8_t code) {
        ++counts_[code];
        ++total_;
    }
    [[nodiscard]] std::int64_t Total() const { return total_; }

    // The median of the lowest band of 3 dB that holds 0.5 % of the steps
    // (at least half a second, at most five seconds of them). A few steps below it
    // (the moment before the needle lands) do not pull it down; digital
    // silence gives −120 dB.
    [[nodiscard]] std::uint8_t FloorCode() const;
    // The level three quarters of the steps stay below.
    [[nodiscard]] std::uint8_t MusicCode() const;
    // Steps above this code are sound: sensitivity above the floor, but not
    // more than half the way up to the music once music lies above it.
    [[nodiscard]] std::uint8_t ThresholdCode(double sensitivityDb) const;

private:
    [[nodiscard]] std::uint8_t Quantile(std::int64_t rank) const;

    std::array<std::int64_t, 256> counts_{};
    std::int64_t total_ = 0;
};

}  // namespace zolvane2
