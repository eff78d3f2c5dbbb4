#pragma once

#include <cstdint>
#include <string>

#include "trackfile/FinishStatus.h"

namespace zolvane2 {

// What a recording run is made of, handed to the recorder in one call
// (TWaveInThread::Configure) while it is idle. Times in seconds; a time the
// recorder cannot take is corrected by it, with a message, as its own
// setters do.
struct RecordingSettings {
    int deviceIndex = 0;
    std::int32_t sampleRate = 44100;
    std::int32_t channels = 1;
    std::int32_t triggerLevel = 300;
    double triggerDelay = 0;
    double trackInterval = 0;
    double lastTimeAfterTrigger = 0;
    // Trigger mode: a shorter track is deleted like an empty one.
    double minimumTrackLength = 0;
    std::string baseFileName;
    std::int32_t digits = 5;
    bool useTrigger = true;
    bool cutByInterval = false;
    std::int64_t intervalSeconds = 0;  // fixed-length pieces
    bool rawOutput = false;
    // From the first track; 0: no limit. With netTime only the time inside
    // tracks counts.
    std::int64_t recordingTime = 0;
    bool netTime = false;

    // The file a finished track of this run was left in.
    [[nodiscard]] std::string FinishedTrackName(std::int64_t number, FinishStatus status) const;
};

}  // namespace zolvane2
