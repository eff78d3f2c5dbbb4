#include "record/GapLevelMeter.h"

#include <algorithm>
#include <cmath>

namespace zolvane2 {

namespace {

constexpr double kFullScale = 32768.0 * 32768.0;

}  // namespace

GapLevelMeter::GapLevelMeter(std::int32_t sampleRate, std::int32_t channels)
    : channels_(std::max(channels, 1)),
      blockFrames_(std::max<std::int64_t>(sampleRate / kBlocksPerSecond, 1)),
      filters_(static_cast<std::size_t>(channels_), RumbleFilter(sampleRate)) {}

std::uint8_t GapLevelMeter::CodeOf(double db) {
    const double code = std::round((db - kFloorDb) * 2);
    return static_cast<std::uint8_t>(std::clamp(code, 0.0, 255.0));
}

void GapLevelMeter::Feed(const std::int16_t* samples, std::int64_t frames, std::vector<std::uint8_t>& steps) {
    std::int64_t f = 0;
    while (f < frames) {
        const std::int64_t n = std::min(frames - f, blockFrames_ - framesInBlock_);
        const std::int16_t* p = samples + f * channels_;
        double energy = 0;
        if (channels_ == 2) {
            RumbleFilter& left = filters_[0];
            RumbleFilter& right = filters_[1];
            for (std::int64_t k = 0; k < n; ++k) {
                const double l = left.Process(p[2 * k]);
                const double r = right.Process(p[2 * k + 1]);
                energy += l * l + r * r;
            }
        } else {
            for (std::int64_t k = 0; k < n; ++k) {
                for (std::int32_t c = 0; c < channels_; ++c) {
                    const double y = filters_[static_cast<std::size_t>(c)].Process(p[k * channels_ + c]);
                    energy += y * y;
                }
            }
        }
        energy_ += energy;
        framesInBlock_ += n;
        f += n;
        if (framesInBlock_ == blockFrames_) {
            EndBlock(steps);
        }
    }
}

void GapLevelMeter::EndBlock(std::vector<std::uint8_t>& steps) {
    const double mean = energy_ / static_cast<double>(framesInBlock_ * channels_) / kFullScale;
    const double db = mean > 0 ? 10 * std::log10(mean) : kFloorDb;
    ring_[static_cast<std::size_t>(blocks_ % std::ssize(ring_))] = CodeOf(db);
    ++blocks_;
    energy_ = 0;
    framesInBlock_ = 0;
    EmitReady(blocks_ - kHalfWindowBlocks - kBlocksPerStep / 2, steps);
}

void GapLevelMeter::EmitReady(std::int64_t availableBlocks, std::vector<std::uint8_t>& steps) {
    // Step s covers blocks [8s, 8s + 8); its window reaches 80 blocks either
    // side of its middle.
    while (nextStep_ * kBlocksPerStep < std::max<std::int64_t>(availableBlocks, 0)) {
        const std::int64_t middle = nextStep_ * kBlocksPerStep + kBlocksPerStep / 2;
        const std::int64_t wantLo = std::max<std::int64_t>(middle - kHalfWindowBlocks, 0);
        const std::int64_t wantHi = std::min(middle + kHalfWindowBlocks, blocks_);
        for (; hi_ < wantHi; ++hi_) {
            ++histogram_[ring_[static_cast<std::size_t>(hi_ % std::ssize(ring_))]];
        }
        for (; lo_ < wantLo; ++lo_) {
            --histogram_[ring_[static_cast<std::size_t>(lo_ % std::ssize(ring_))]];
        }
        const std::int64_t count = hi_ - lo_;
        const std::int64_t rank = std::max<std::int64_t>((count * kPercentile + 99) / 100, 1);
        std::int64_t seen = 0;
        std::size_t code = 0;
        for (; code + 1 < histogram_.size(); ++code) {
            seen += histogram_[code];
            if (seen >= rank) {
                break;
            }
        }
        steps.push_back(static_cast<std::uint8_t>(code));
        ++nextStep_;
    }
}

void GapLevelMeter::Finish(std::vector<std::uint8_t>& steps) {
    if (framesInBlock_ > 0) {
        EndBlock(steps);
    }
    EmitReady(blocks_, steps);
}

}  // namespace zolvane2
