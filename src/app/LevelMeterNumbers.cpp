#include "app/LevelMeterNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace zolvane2 {

void LevelMeterNumbers::Prepare(int triggerLevel, int channels) {
    triggerLevel_ = triggerLevel;
    channels_ = std::max(1, channels);
    boxHeight_ = -1;
}

void LevelMeterNumbers::Fit(int height) {
    if (height == boxHeight_) {
        return;
    }
    boxHeight_ = height;
    Place(height);
    triggerOffset_ = static_cast<int>(std::trunc(triggerLevel_ / 32767.0 * (height / 2.0)));
    // A low level in a small box (300 in 42 pixels) would fall on the middle
    // line and hide in it; the lines stay a pixel off it.
    if (triggerLevel_ > 0) {
        triggerOffset_ = std::max(triggerOffset_, 1);
    }
}

void LevelMeterNumbers::Place(int height) {
    midY_ = height / 2;
    scale_ = height / 65536.0;
}

void LevelMeterNumbers::Reset(int channel) {
    if (channel < 0 || channel >= kChannels) {
        return;
    }
    const auto c = static_cast<std::size_t>(channel);
    peaks_.at(c).fill(0);
    means_.at(c).fill(0);
}

LevelMeterNumbers::Shown LevelMeterNumbers::Record(int channel, double peak, double mean) {
    if (channel < 0 || channel >= kChannels) {
        return {};
    }
    const auto c = static_cast<std::size_t>(channel);
    const auto s = static_cast<std::size_t>(slot_);
    means_[c][s] = mean;
    peaks_[c][s] = peak;
    double total = 0;
    for (const double v : means_[c]) {
        total += v;
    }
    const double largest = *std::max_element(peaks_[c].begin(), peaks_[c].end());
    return Shown{static_cast<std::int64_t>(std::trunc(total / kSlots)), static_cast<std::int64_t>(std::trunc(largest))};
}

}  // namespace zolvane2
