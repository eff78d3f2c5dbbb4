#include "record/GapGuide.h"

#include <algorithm>
#include <cmath>

namespace zolvane2 {

namespace {

// Each step's sound reaches dilation steps either side (GapDecider).
std::vector<bool> DilatedSound(const std::vector<std::uint8_t>& steps, std::uint8_t threshold, std::int64_t dilation) {
    const auto n = std::ssize(steps);
    std::vector<bool> sound(steps.size(), false);
    std::int64_t last = -(dilation + 1) - 1;
    std::vector<std::int64_t> nextSound(steps.size() + 1, n + dilation + 1);
    for (std::int64_t i = n - 1; i >= 0; --i) {
        nextSound[static_cast<std::size_t>(i)] =
            steps[static_cast<std::size_t>(i)] > threshold ? i : nextSound[static_cast<std::size_t>(i + 1)];
    }
    for (std::int64_t i = 0; i < n; ++i) {
        if (steps[static_cast<std::size_t>(i)] > threshold) {
            last = i;
        }
        sound[static_cast<std::size_t>(i)] =
            i - last <= dilation || nextSound[static_cast<std::size_t>(i)] - i <= dilation;
    }
    return sound;
}

}  // namespace

GapGuide::GapGuide(const Levels& levels, const GapDecider::Timing& timing) : levels_(levels), timing_(timing) {
    const std::vector<std::uint8_t>& steps = *levels_.steps;
    const int floor = levels_.floorCode;
    const int margin = std::max(levels_.thresholdCode - floor, 1);
    const int relaxed = std::min(floor + 2 * margin, floor + std::max(levels_.musicCode - floor, 0) * 3 / 4);
    const std::uint8_t relaxedCode = static_cast<std::uint8_t>(std::clamp(relaxed, floor + margin, 255));
    const std::vector<bool> strict = DilatedSound(steps, levels_.thresholdCode, timing_.dilationSteps);
    const std::vector<bool> loose = DilatedSound(steps, relaxedCode, timing_.dilationSteps);
    const auto n = std::ssize(steps);
    firstSound_ = 0;
    while (firstSound_ < n && !strict[static_cast<std::size_t>(firstSound_)]) {
        ++firstSound_;
    }
    lastSound_ = n;
    while (lastSound_ > firstSound_ && !strict[static_cast<std::size_t>(lastSound_ - 1)]) {
        --lastSound_;
    }
    // A candidate has sound on both sides by the looser line too.
    std::int64_t from = firstSound_;
    while (from < lastSound_ && !loose[static_cast<std::size_t>(from)]) {
        ++from;
    }
    std::int64_t to = lastSound_;
    while (to > from && !loose[static_cast<std::size_t>(to - 1)]) {
        --to;
    }
    for (std::int64_t i = from; i < to;) {
        if (loose[static_cast<std::size_t>(i)]) {
            ++i;
            continue;
        }
        Candidate c;
        std::int64_t strictFirst = -1;
        std::int64_t strictLast = -1;
        const std::int64_t runStart = i;
        for (; i < to && !loose[static_cast<std::size_t>(i)]; ++i) {
            const double depth = std::clamp(relaxed - steps[static_cast<std::size_t>(i)], 0, 2 * margin) / 2.0;
            c.score += depth * depth;
            if (!strict[static_cast<std::size_t>(i)]) {
                strictLast = i;
                if (strictFirst < 0) {
                    strictFirst = i;
                }
            }
        }
        c.soundEnd = strictFirst >= 0 ? strictFirst : runStart;
        c.soundStart = strictFirst >= 0 ? strictLast + 1 : i;
        candidates_.push_back(c);
    }
}

std::vector<GapPiece> GapGuide::PiecesAt(const std::vector<Candidate>& cuts) const {
    std::vector<GapPiece> pieces;
    if (firstSound_ >= lastSound_) {
        return pieces;
    }
    std::int64_t start = std::max<std::int64_t>(Frame(firstSound_) - timing_.delayFrames, 0);
    for (const Candidate& c : cuts) {
        const std::int64_t middle = (Frame(c.soundEnd) + Frame(c.soundStart)) / 2;
        pieces.push_back({start, std::min(Frame(c.soundEnd) + timing_.tailFrames, middle)});
        start = std::max(Frame(c.soundStart) - timing_.delayFrames, middle);
    }
    pieces.push_back({start, std::min(Frame(lastSound_) + timing_.tailFrames, levels_.totalFrames)});
    return pieces;
}

GapGuide::Result GapGuide::ForCount(std::int32_t count) const {
    Result result;
    result.gapsAvailable = static_cast<std::int32_t>(candidates_.size());
    std::vector<Candidate> chosen = candidates_;
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
    chosen.resize(std::min(chosen.size(), static_cast<std::size_t>(std::max(count - 1, 0))));
    std::sort(chosen.begin(), chosen.end(),
              [](const Candidate& a, const Candidate& b) { return a.soundEnd < b.soundEnd; });
    result.pieces = PiecesAt(chosen);
    return result;
}

GapGuide::Result GapGuide::ForDurations(const std::vector<double>& seconds, double rangeSeconds) const {
    Result result;
    const double stepsPerSecond = static_cast<double>(levels_.sampleRate) / static_cast<double>(timing_.stepFrames);
    const double range = std::max(rangeSeconds, 0.0) * stepsPerSecond;
    std::vector<Candidate> cuts;
    std::int64_t pieceStart = firstSound_;
    std::size_t next = 0;  // candidates before it lie in earlier pieces
    const auto length = [&](std::int64_t from, std::int64_t to) {
        return static_cast<double>(to - from) / stepsPerSecond;
    };
    for (std::size_t k = 0; k + 1 < seconds.size(); ++k) {
        const double expected = static_cast<double>(pieceStart) + seconds[k] * stepsPerSecond;
        const Candidate* best = nullptr;
        double bestValue = 0;
        for (std::size_t i = next; i < candidates_.size(); ++i) {
            const Candidate& c = candidates_[i];
            if (c.soundEnd <= pieceStart) {
                continue;
            }
            const double distance = std::abs(static_cast<double>(c.Middle()) - expected);
            if (static_cast<double>(c.Middle()) > expected + range) {
                break;
            }
            if (distance > range) {
                continue;
            }
            // Nearer gaps win among alike ones; a gap at the floor still wins
            // over a dip beside the expected time.
            const double value = c.score * (1.0 - 0.5 * distance / std::max(range, 1.0));
            if (best == nullptr || value > bestValue) {
                best = &c;
                bestValue = value;
            }
        }
        Candidate cut;
        if (best != nullptr) {
            cut = *best;
            next = static_cast<std::size_t>(best - candidates_.data()) + 1;
        } else {
            const auto at = std::clamp(static_cast<std::int64_t>(std::llround(expected)), pieceStart, lastSound_);
            cut.soundEnd = at;
            cut.soundStart = at;
            result.unsnapped.push_back(static_cast<std::int32_t>(k));
        }
        const double found = length(pieceStart, cut.soundEnd);
        // Times may count the gap after a piece or not.
        const double withGap = length(pieceStart, cut.soundStart);
        if (std::min(std::abs(found - seconds[k]), std::abs(withGap - seconds[k])) > kMismatchSeconds) {
            result.mismatches.push_back({static_cast<std::int32_t>(k), seconds[k], found});
        }
        cuts.push_back(cut);
        pieceStart = cut.soundStart;
    }
    if (!seconds.empty()) {
        const double found = length(pieceStart, lastSound_);
        if (std::abs(found - seconds.back()) > kMismatchSeconds) {
            result.mismatches.push_back({static_cast<std::int32_t>(seconds.size() - 1), seconds.back(), found});
        }
    }
    result.pieces = PiecesAt(cuts);
    return result;
}

}  // namespace zolvane2
