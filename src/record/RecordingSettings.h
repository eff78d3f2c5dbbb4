#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "record/GapSettings.h"
#include "trackfile/FinishStatus.h"
#include "trackfile/TrackFormat.h"
#include "trackfile/TrackTags.h"

namespace zolvane2 {

// What a recording run is made of, handed to the recorder in one call
// (TWaveInThread::Configure) while it is idle; CuttingSettings::Recording()
// makes one from the program's settings, whose defaults are kept there. Times
// in seconds; a time the recorder cannot take is corrected by it, with a
// message, as its own setters do.
struct RecordingSettings {
    int deviceIndex{};
    std::int32_t sampleRate{};
    std::int32_t channels{};
    std::int32_t triggerLevel{};
    double triggerDelay{};
    double trackInterval{};
    double lastTimeAfterTrigger{};
    // Trigger mode: a shorter track is deleted like an empty one.
    double minimumTrackLength{};
    std::string baseFileName;
    std::int32_t digits{};
    bool useTrigger{};
    bool cutByInterval{};
    // Gap mode (neither of the above): the finder's settings at sampleRate.
    bool findGaps{};
    GapSettings gaps;
    std::int64_t intervalSeconds{};  // fixed-length pieces
    bool rawOutput{};
    // FLAC tracks instead of WAVE (RAW wins when both are asked for).
    std::optional<FlacSettings> flac;
    // Album fields given to every track (FLAC only).
    TrackTags tags;
    // From the first track; 0: no limit. With netTime only the time inside
    // tracks counts.
    std::int64_t recordingTime{};
    bool netTime{};

    [[nodiscard]] TrackFormat Format() const {
        return rawOutput ? TrackFormat::Raw : flac ? TrackFormat::Flac : TrackFormat::Wave;
    }

    // The file a finished track of this run was left in.
    [[nodiscard]] std::string FinishedTrackName(std::int64_t number, FinishStatus status) const;
};

}  // namespace zolvane2
