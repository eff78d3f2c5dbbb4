#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "jobs/CutPointFile.h"
#include "platform/UserText.h"
#include "record/GapSettings.h"

namespace zolvane2 {

class TLongStream;

// Where the gap finder cuts one source of a re-divide: a first pass reads the
// audio once into the finder's level track, then the pieces are decided from
// it, by the gaps alone or guided by a track count or the track times.
class GapCutPlan {
public:
    // The rules in seconds, so that each source's rate turns them into frames.
    struct Rules {
        double sensitivityDb = 0;
        double minimumGapSeconds = 0;
        double delaySeconds = 0;
        double tailSeconds = 0;
        double minimumSeconds = 0;
        // Pieces per source; 0: as many as the gaps give.
        std::int32_t trackCount = 0;
        // The track times, one per piece; wins over trackCount.
        std::vector<double> durations;
        double rangeSeconds = GapSettings::kDefaultSnapRangeSeconds;

        [[nodiscard]] GapSettings At(std::int32_t sampleRate) const;
        bool operator==(const Rules&) const = default;
    };
    struct Outcome {
        std::vector<CutPoint> ranges;  // frames from the start of the audio
        // What the guidance could not do as told, each naming the source.
        std::vector<UserText> warnings;
    };

    // Reads the audio in bytes [offset, offset + length) of source (a torn
    // last frame is left out); goOn is told the
    // bytes read so far after each block and ends the pass (nullopt) when it
    // answers false. Throws what the stream throws.
    // The warnings name the source as sourceName.
    [[nodiscard]] static std::optional<Outcome> Find(TLongStream& source, const std::string& sourceName,
                                                     std::int64_t offset, std::int64_t length, std::int32_t sampleRate,
                                                     std::int32_t channels, const Rules& rules,
                                                     const std::function<bool(std::int64_t)>& goOn);
};

}  // namespace zolvane2
