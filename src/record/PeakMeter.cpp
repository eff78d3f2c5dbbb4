#include "record/PeakMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zolvane2 {

namespace {

constexpr int kFullScaleMagnitude = 32768;

int Magnitude(const std::uint8_t* at) {
    const auto u = static_cast<std::uint16_t>(at[0] | (at[1] << 8U));
    return std::abs(static_cast<int>(static_cast<std::int16_t>(u)));
}

}  // namespace

void PeakMeter::Start(int channels, int rate) {
    channels_.assign(static_cast<std::size_t>(std::max(1, channels)), Channel{});
    const int perSecond = std::max(1, rate);
    holdFrames_ = static_cast<std::int64_t>(std::llround(kHoldSeconds * perSecond));
    windowFrames_ = std::max(1, perSecond / kFloorWindowsPerSecond);
    clipped_ = false;
    windowPeak_ = 0;
    framesInWindow_ = 0;
    windowCount_ = 0;
    nextWindow_ = 0;
}

void PeakMeter::Feed(const std::uint8_t* bytes, std::int64_t size) {
    if (channels_.empty()) {
        Start(1, 0);
    }
    const auto count = static_cast<std::int64_t>(channels_.size());
    const std::int64_t frames = size / (2 * count);
    if (frames <= 0) {
        return;
    }
    for (Channel& c : channels_) {
        c.peak = 0;
    }
    const std::uint8_t* at = bytes;
    for (std::int64_t f = 0; f < frames; ++f) {
        int framePeak = 0;
        for (Channel& c : channels_) {
            const int m = Magnitude(at);
            at += 2;
            c.peak = std::max(c.peak, m);
            framePeak = std::max(framePeak, m);
        }
        // 32767 is the positive full scale, 32768 the negative one.
        clipped_ = clipped_ || framePeak >= kFullScaleMagnitude - 1;
        windowPeak_ = std::max(windowPeak_, framePeak);
        if (++framesInWindow_ == windowFrames_) {
            EndWindow();
        }
    }
    for (Channel& c : channels_) {
        c.holdAge += frames;
        if (c.peak >= c.hold || c.holdAge > holdFrames_) {
            c.hold = c.peak;
            c.holdAge = 0;
        }
    }
}

void PeakMeter::EndWindow() {
    windows_.at(nextWindow_) = windowPeak_;
    nextWindow_ = (nextWindow_ + 1) % kFloorWindows;
    windowCount_ = std::min(windowCount_ + 1, kFloorWindows);
    windowPeak_ = 0;
    framesInWindow_ = 0;
}

double PeakMeter::PeakDb(int channel) const {
    return channel >= 0 && channel < Channels() ? DbOf(channels_[static_cast<std::size_t>(channel)].peak) : kSilenceDb;
}

double PeakMeter::HoldDb(int channel) const {
    return channel >= 0 && channel < Channels() ? DbOf(channels_[static_cast<std::size_t>(channel)].hold) : kSilenceDb;
}

std::optional<double> PeakMeter::QuietDb() const {
    if (windowCount_ == 0) {
        return std::nullopt;
    }
    const auto end = windows_.begin() + static_cast<std::ptrdiff_t>(windowCount_);
    return DbOf(*std::min_element(windows_.begin(), end));
}

double PeakMeter::DbOf(double magnitude) {
    if (magnitude <= 0) {
        return kSilenceDb;
    }
    return std::max(kSilenceDb, 20.0 * std::log10(magnitude / kFullScaleMagnitude));
}

double PeakMeter::BarFraction(double db) {
    return std::clamp((db - kBottomDb) / -kBottomDb, 0.0, 1.0);
}

}  // namespace zolvane2
