#include "jobs/LevelOverview.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "jobs/JobEvents.h"
#include "trackfile/TLongStream.h"

namespace zolvane2 {

namespace {

constexpr LevelOverview::Span kEmpty{std::numeric_limits<std::int16_t>::max(),
                                     std::numeric_limits<std::int16_t>::min()};

void Widen(LevelOverview::Span& into, const LevelOverview::Span& by) {
    into.low = std::min(into.low, by.low);
    into.high = std::max(into.high, by.high);
}

// The channels of frames [0, count) of samples into spans, one per channel.
// Kept apart per channel count so that the loops vectorise.
void Scan(const std::int16_t* samples, std::int64_t count, int channels, LevelOverview::Span* spans) {
    if (channels == 2) {
        std::int16_t lo0 = spans[0].low, hi0 = spans[0].high, lo1 = spans[1].low, hi1 = spans[1].high;
        for (std::int64_t i = 0; i < count; ++i) {
            lo0 = std::min(lo0, samples[2 * i]);
            hi0 = std::max(hi0, samples[2 * i]);
            lo1 = std::min(lo1, samples[2 * i + 1]);
            hi1 = std::max(hi1, samples[2 * i + 1]);
        }
        spans[0] = {lo0, hi0};
        spans[1] = {lo1, hi1};
        return;
    }
    if (channels == 1) {
        std::int16_t lo = spans[0].low, hi = spans[0].high;
        for (std::int64_t i = 0; i < count; ++i) {
            lo = std::min(lo, samples[i]);
            hi = std::max(hi, samples[i]);
        }
        spans[0] = {lo, hi};
        return;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) {
            const std::int16_t s = samples[i * channels + c];
            spans[c].low = std::min(spans[c].low, s);
            spans[c].high = std::max(spans[c].high, s);
        }
    }
}

int Loudness(const LevelOverview::Span& s) {
    return std::max(std::abs(static_cast<int>(s.low)), std::abs(static_cast<int>(s.high)));
}

}  // namespace

LevelOverview::LevelOverview(int channels)
    : channels_(std::max(channels, 1)), open_(static_cast<std::size_t>(channels_), kEmpty) {}

void LevelOverview::Feed(const std::int16_t* samples, std::int64_t frames) {
    const std::int64_t block = kBlockFrames[0];
    while (frames > 0) {
        const std::int64_t count = std::min(frames, block - openFrames_);
        Scan(samples, count, channels_, open_.data());
        samples += count * channels_;
        frames -= count;
        frames_ += count;
        openFrames_ += count;
        if (openFrames_ == block) {
            CloseBlock();
        }
    }
}

void LevelOverview::CloseBlock() {
    levels_[0].insert(levels_[0].end(), open_.begin(), open_.end());
    std::fill(open_.begin(), open_.end(), kEmpty);
    openFrames_ = 0;
}

void LevelOverview::Finish() {
    if (openFrames_ > 0) {
        CloseBlock();
    }
    for (std::size_t level = 1; level < levels_.size(); ++level) {
        const auto ratio = static_cast<std::size_t>(kBlockFrames[level] / kBlockFrames[level - 1]);
        const std::vector<Span>& finer = levels_[level - 1];
        const auto ch = static_cast<std::size_t>(channels_);
        const std::size_t finerBlocks = finer.size() / ch;
        std::vector<Span>& coarser = levels_[level];
        coarser.assign((finerBlocks + ratio - 1) / ratio * ch, kEmpty);
        for (std::size_t b = 0; b < finerBlocks; ++b) {
            for (std::size_t c = 0; c < ch; ++c) {
                Widen(coarser[b / ratio * ch + c], finer[b * ch + c]);
            }
        }
    }
}

std::optional<LevelOverview> LevelOverview::Build(TLongStream& source, std::int64_t offset, std::int64_t length,
                                                  int channels, const std::function<bool(std::int64_t)>& goOn) {
    LevelOverview overview(channels);
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(overview.channels_);
    const std::int64_t blockBytes = kJobBlockBytes / frameBytes * frameBytes;
    std::vector<std::int16_t> block(static_cast<std::size_t>(blockBytes / 2));
    const std::int64_t whole = std::max<std::int64_t>(length, 0) / frameBytes * frameBytes;
    // Reserved at once: growing by doubling would hold up to three times the
    // levels while it copies.
    const std::int64_t blocks = (whole / frameBytes + kBlockFrames[0] - 1) / kBlockFrames[0];
    overview.levels_[0].reserve(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(overview.channels_));
    source.SetPosition64(offset);
    for (std::int64_t done = 0; done < whole;) {
        const std::int64_t count = std::min(blockBytes, whole - done);
        source.ReadBuffer(block.data(), count);
        overview.Feed(block.data(), count / frameBytes);
        done += count;
        if (!goOn(done)) {
            return std::nullopt;
        }
    }
    overview.Finish();
    return overview;
}

LevelOverview::Span LevelOverview::At(int channel, std::int64_t from, std::int64_t to) const {
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, frames_);
    if (channel < 0 || channel >= channels_ || from >= to) {
        return {};
    }
    std::size_t level = 0;
    while (level + 1 < levels_.size() && (to - from) >= 16 * kBlockFrames[level + 1]) {
        ++level;
    }
    const std::int64_t size = kBlockFrames[level];
    const std::vector<Span>& spans = levels_[level];
    const auto ch = static_cast<std::size_t>(channels_);
    Span out = kEmpty;
    for (auto b = static_cast<std::size_t>(from / size); b < static_cast<std::size_t>((to + size - 1) / size); ++b) {
        Widen(out, spans[b * ch + static_cast<std::size_t>(channel)]);
    }
    return out;
}

std::int64_t LevelOverview::QuietestFrame(std::int64_t from, std::int64_t to, std::int64_t near) const {
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, frames_);
    if (from >= to) {
        return near;
    }
    const std::int64_t size = kBlockFrames[0];
    const auto ch = static_cast<std::size_t>(channels_);
    std::int64_t best = std::clamp(near, from, to - 1);
    int bestLoudness = std::numeric_limits<int>::max();
    std::int64_t bestDistance = 0;
    for (std::int64_t b = (from + size - 1) / size; (b + 1) * size <= to; ++b) {
        int loud = 0;
        for (std::size_t c = 0; c < ch; ++c) {
            loud = std::max(loud, Loudness(levels_[0][static_cast<std::size_t>(b) * ch + c]));
        }
        const std::int64_t middle = b * size + size / 2;
        const std::int64_t distance = std::abs(middle - near);
        if (loud < bestLoudness || (loud == bestLoudness && distance < bestDistance)) {
            best = middle;
            bestLoudness = loud;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<LevelOverview::Span> LevelOverview::SpansOfFrames(const std::int16_t* samples, std::int64_t frames,
                                                              int channels, int columns) {
    channels = std::max(channels, 1);
    std::vector<Span> out(static_cast<std::size_t>(std::max(columns, 0) * channels), Span{});
    for (int x = 0; x < columns; ++x) {
        const std::int64_t first = frames * x / columns;
        const std::int64_t last = std::max(frames * (x + 1) / columns, first + 1);
        if (first >= frames) {
            break;
        }
        Span* spans = out.data() + static_cast<std::ptrdiff_t>(x) * channels;
        std::fill(spans, spans + channels, kEmpty);
        Scan(samples + first * channels, std::min(last, frames) - first, channels, spans);
    }
    return out;
}

std::size_t LevelOverview::MemoryBytes() const {
    std::size_t bytes = sizeof(*this) + open_.capacity() * sizeof(Span);
    for (const std::vector<Span>& level : levels_) {
        bytes += level.capacity() * sizeof(Span);
    }
    return bytes;
}

}  // namespace zolvane2
