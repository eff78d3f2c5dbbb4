#pragma once

#include <array>
#include <cstdint>

namespace zolvane2 {

// The numbers of the level meter: the waveform box's scale (middle line,
// sample scale, trigger lines) for the run's channels, and for the numeric
// page, per channel (two rows), the peak and the mean of the last ten blocks,
// kept in a ring of slots that advances once per block.
class LevelMeterNumbers {
public:
    static constexpr int kSlots = 10;
    static constexpr int kChannels = 2;

    struct Shown {
        std::int64_t mean = 0;
        std::int64_t peak = 0;
    };

    // A new run or playback: its trigger level and channels; the scale is
    // fitted again on the next Fit and the numbers start at the first slot.
    void Prepare(int triggerLevel, int channels);
    // The box is this many pixels high; the scale follows when it changed.
    void Fit(int height);
    // Before any run: the middle and the scale of the box as laid out.
    void Place(int height);
    [[nodiscard]] int MidY() const { return midY_; }
    [[nodiscard]] double Scale() const { return scale_; }
    [[nodiscard]] int TriggerOffset() const { return triggerOffset_; }
    [[nodiscard]] int Channels() const { return channels_; }

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
    int triggerLevel_ = 0;
    int channels_ = 2;
    int boxHeight_ = 0;
    int midY_ = 0;
    double scale_ = 0;
    int triggerOffset_ = 0;
    int slot_ = 0;
    std::array<std::array<double, kSlots>, kChannels> peaks_{};
    std::array<std::array<double, kSlots>, kChannels> means_{};
};

}  // namespace zolvane2
