#include "record/NoiseFloor.h"

#include <algorithm>
#include <cmath>

namespace zolvane2 {

namespace {

// Half a second and five seconds of 20 ms steps: a side's gaps together
// last longer than that, its quietest music passages rarely so long at one
// level.
constexpr std::int64_t kMinimumSteps = 25;
constexpr std::int64_t kEnoughSteps = 250;
// Codes are half decibels.
constexpr std::size_t kBandCodes = 6;

}  // namespace

std::uint8_t NoiseFloor::Quantile(std::int64_t rank) const {
    std::int64_t seen = 0;
    for (std::size_t code = 0; code < counts_.size(); ++code) {
        seen += counts_[code];
        if (seen >= rank) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return 255;
}

std::uint8_t NoiseFloor::FloorCode() const {
    if (total_ == 0) {
        return 0;
    }
    const std::int64_t needed = std::min(std::clamp(total_ / 200, kMinimumSteps, kEnoughSteps), total_);
    std::int64_t band = 0;
    for (std::size_t top = 0; top < counts_.size(); ++top) {
        band += counts_[top];
        if (top >= kBandCodes) {
            band -= counts_[top - kBandCodes];
        }
        if (band >= needed) {
            // The band's median.
            const std::size_t low = top >= kBandCodes - 1 ? top - (kBandCodes - 1) : 0;
            std::int64_t seen = 0;
            for (std::size_t code = low; code <= top; ++code) {
                seen += counts_[code];
                if (2 * seen >= band) {
                    return static_cast<std::uint8_t>(code);
                }
            }
            return static_cast<std::uint8_t>(top);
        }
    }
    return 255;
}

std::uint8_t NoiseFloor::MusicCode() const {
    return Quantile(std::max<std::int64_t>((total_ * 3 + 3) / 4, 1));
}

std::uint8_t NoiseFloor::ThresholdCode(double sensitivityDb) const {
    const int floor = FloorCode();
    const int music = MusicCode();
    const int wanted = static_cast<int>(std::lround(std::max(sensitivityDb, 0.0) * 2));
    // Music hardly above the noise (a hissy tape) moves the line halfway
    // up; a source still all groove (the lead-in of a live run) has no
    // music level to go by.
    const int margin = music - floor < wanted ? wanted : std::min(wanted, (music - floor) / 2);
    return static_cast<std::uint8_t>(std::min(floor + margin, 255));
}

}  // namespace zolvane2
