#include "cli/LevelMeter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "trackfile/TMemoryStream.h"

namespace zolvane2::cli {

void LevelMeter::Take(const TMemoryStream& data, int channels) {
    const std::uint8_t* p = data.Data();
    const std::int64_t frames = data.Size() / (2 * static_cast<std::int64_t>(channels));
    for (std::int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels && c < 2; ++c) {
            const std::size_t at = static_cast<std::size_t>((f * channels + c) * 2);
            const auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8U)));
            peak_[c] = std::max(peak_[c], v < 0 ? -static_cast<int>(v) : static_cast<int>(v));
        }
    }
    channels_ = channels;
}

void LevelMeter::Draw(const std::string& state, const std::string& time) {
    std::string line = "\r" + state;
    for (int c = 0; c < channels_; ++c) {
        constexpr int kWidth = 24;
        const int n = std::min(kWidth, peak_[c] * kWidth / 32768);
        line += std::string(c == 0 ? "  " : " ") + (channels_ == 1 ? "M" : (c == 0 ? "L" : "R")) + " [" +
                std::string(static_cast<std::size_t>(n), '#') + std::string(static_cast<std::size_t>(kWidth - n), ' ') +
                "]";
        peak_[c] = 0;
    }
    line += "  " + time + "\033[K";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

void LevelMeter::Clear() {
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
}

}  // namespace zolvane2::cli
