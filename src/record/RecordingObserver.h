#pragma once

#include <cstdint>
#include <string>

#include "record/CuttingConditions.h"

namespace zolvane2 {

// Watches what a recording takes in, on the capture thread, without a say
// in it (marking where the recording could be cut).
class RecordingObserver {
public:
    RecordingObserver() = default;
    RecordingObserver(const RecordingObserver&) = delete;
    RecordingObserver& operator=(const RecordingObserver&) = delete;
    virtual ~RecordingObserver() = default;

    // The device runs; fileName is the first track file.
    virtual void RecordingStarted(const std::string& fileName, const CuttingConditions& conditions) = 0;
    // One recorded block, after the recorder has handled it.
    virtual void BlockRecorded(const std::uint8_t* bytes, std::int64_t count) = 0;
    // The recording has ended and its files are finished.
    virtual void RecordingStopped() = 0;
};

}  // namespace zolvane2
