#pragma once

#include <array>
#include <cstdint>

namespace zolvane2 {

// The numbers of the level meter's numeric page: per channel (two rows) the
// peak and the mean of the last ten blocks, kept in a ring of slots that
// advances once per block.
class LevelMeterNumbers {
public:
    static constexpr int kSlots = 10;
    static constexpr int kChannels = 2;

    struct Shown {
        std::int64_t mean = 0;
        std::int64_t peak = 0;
    };

    // A new run or playback starts writing at the first slot.
    void Restart() { slot_ = 0; }
    // Forgets the channel's history (0 or 1; other channels are ignored).
    void Reset(int channel);
    // One block's peak (absolute) and mean of a channel go into the current
    // slot; the answer is what the row shows: the mean of the ten slots and
    // the largest peak among them.
    Shown Record(int channel, double peak, double mean);
    // The block is done: the next one writes the next slot.
    void Advance() { slot_ = (slot_ + 1) % kSlots; }

private:
    int slot_ = 0;
    std::array<std::array<double, kSlots>, kChannels> peaks_{};
    std::array<std::array<double, kSlots>, kChannels> means_{};
};

}  // namespace zolvane2
