#include "jobs/GapCutPlan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "jobs/JobEvents.h"
#include "record/GapFinder.h"
#include "record/TriggerSplitter.h"
#include "trackfile/TLongStream.h"

namespace zolvane2 {

namespace {

std::string Clock(double seconds) {
    const auto tenths = static_cast<long long>(std::llround(std::max(seconds, 0.0) * 10));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

std::vector<CutPoint> Ranges(const std::vector<GapPiece>& pieces) {
    std::vector<CutPoint> ranges;
    ranges.reserve(pieces.size());
    for (const GapPiece& p : pieces) {
        ranges.push_back({p.startFrame, p.endFrame, {}});
    }
    return ranges;
}

}  // namespace

GapSettings GapCutPlan::Rules::At(std::int32_t sampleRate) const {
    const auto frames = [sampleRate](double seconds) {
        return TriggerSplitter::SecondsToFrames(sampleRate, std::max(seconds, 0.0));
    };
    GapSettings g;
    g.sensitivityDb = sensitivityDb;
    g.minimumGapSeconds = minimumGapSeconds;
    g.delayFrames = frames(delaySeconds);
    g.tailFrames = frames(tailSeconds);
    g.minimumFrames = frames(minimumSeconds);
    return g;
}

std::optional<GapCutPlan::Outcome> GapCutPlan::Find(TLongStream& source, const std::string& sourceName,
                                                    std::int64_t offset, std::int64_t length, std::int32_t sampleRate,
                                                    std::int32_t channels, const Rules& rules,
                                                    const std::function<bool(std::int64_t)>& goOn) {
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(std::max(channels, 1));
    GapFinder finder(sampleRate, std::max(channels, 1), rules.At(sampleRate));
    // Whole frames, so that a block never splits one.
    const std::int64_t blockBytes = kJobBlockBytes / frameBytes * frameBytes;
    std::vector<std::int16_t> block(static_cast<std::size_t>(blockBytes / 2));
    const std::int64_t whole = std::max<std::int64_t>(length, 0) / frameBytes * frameBytes;
    source.SetPosition64(offset);
    for (std::int64_t done = 0; done < whole;) {
        const std::int64_t count = std::min(blockBytes, whole - done);
        source.ReadBuffer(block.data(), count);
        finder.Feed(block.data(), count / frameBytes);
        done += count;
        if (!goOn(done)) {
            return std::nullopt;
        }
    }
    finder.Finish();

    const std::string& name = sourceName;
    Outcome outcome;
    if (!rules.durations.empty()) {
        const GapGuide::Result r = finder.ForDurations(rules.durations, rules.rangeSeconds);
        outcome.ranges = Ranges(r.pieces);
        for (const std::int32_t piece : r.unsnapped) {
            outcome.warnings.emplace_back(
                TextId::GapNotFound, std::initializer_list<UserText>{name, std::to_string(piece + 1),
                                                                     std::to_string(std::llround(rules.rangeSeconds))});
        }
        for (const GapGuide::Mismatch& m : r.mismatches) {
            outcome.warnings.emplace_back(TextId::GapPieceLength, std::initializer_list<UserText>{
                                                                      name, std::to_string(m.piece + 1),
                                                                      Clock(m.foundSeconds), Clock(m.expectedSeconds)});
        }
    } else if (rules.trackCount > 0) {
        const GapGuide::Result r = finder.ForCount(rules.trackCount);
        outcome.ranges = Ranges(r.pieces);
        if (std::ssize(r.pieces) < rules.trackCount) {
            outcome.warnings.emplace_back(TextId::GapsFewer,
                                          std::initializer_list<UserText>{name, std::to_string(rules.trackCount),
                                                                          std::to_string(r.pieces.size())});
        }
    } else {
        outcome.ranges = Ranges(finder.Pieces());
    }
    return outcome;
}

}  // namespace zolvane2
