#pragma once

#include <cstdint>
#include <string>

namespace zolvane2 {

// Colour of the size warning panel.
enum class SizeWarning { Red, Yellow, SkyBlue };

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

[[nodiscard]] Rgb SizeWarningRgb(SizeWarning warning);

// What the recording settings page shows for the settings as they stand.
struct RecordingEstimate {
    std::string maxRecTime;  // longest file, "3h22m53s"
    // The free disk space as recording time at this format, across tracks
    // (FLAC packs more into it); empty when the free space is unknown.
    std::string diskTime;
    // Texts of the window, which speaks Japanese.
    std::string recSize;      // disk space of the whole recording, "605.62Mバイト" (TextId::SizeMB)
    std::string warningText;  // the panel's caption (TextId::WarnFits and the like)
    SizeWarning warning = SizeWarning::SkyBlue;
    int64_t neededBytes = 0;
};

struct RecordingEstimateInput {
    int32_t sampleRate = 44100;
    int32_t channels = 2;
    int64_t recordingSeconds = 0;
    bool rawOutput = false;
    int64_t freeBytes = -1;               // -1: unknown
    int64_t sizeLimit = 2199023255552LL;  // FileSizeLimit of the target's file system
};

// The estimate from given figures, without asking the disk.
[[nodiscard]] RecordingEstimate ComputeRecordingEstimate(const RecordingEstimateInput& input);

// The estimate for recording to baseFileName: asks its file system for the
// size limit and the free bytes, then computes.
[[nodiscard]] RecordingEstimate EstimateRecording(const std::string& baseFileName, int32_t sampleRate, int32_t channels,
                                                  int64_t recordingSeconds, bool rawOutput);

}  // namespace zolvane2
