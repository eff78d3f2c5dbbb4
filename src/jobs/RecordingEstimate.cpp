#include "jobs/RecordingEstimate.h"

#include <algorithm>
#include <cstdio>

#include "jobs/DiskSpace.h"
#include "platform/UserText.h"

namespace zolvane2 {

Rgb SizeWarningRgb(SizeWarning warning) {
    switch (warning) {
        case SizeWarning::Red:
            return {255, 0, 0};
        case SizeWarning::Yellow:
            return {255, 255, 0};
        case SizeWarning::SkyBlue:
            return {0, 204, 255};
    }
    return {0, 204, 255};
}

namespace {

std::string HoursMinutesSeconds(int64_t seconds) {
    const int64_t minutes = seconds / 60;
    const int64_t hours = minutes / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%lldh%2.2lldm%2.2llds", static_cast<long long>(hours),
                  static_cast<long long>(minutes % 60), static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

RecordingEstimate ComputeRecordingEstimate(const RecordingEstimateInput& input) {
    RecordingEstimate result;
    const int64_t bytesPerSecond = static_cast<int64_t>(input.sampleRate) * input.channels * 2;
    const int64_t needed = bytesPerSecond * input.recordingSeconds;
    result.neededBytes = needed;

    int64_t room = std::min(input.freeBytes, input.sizeLimit);
    if (!input.rawOutput) {
        room = std::min(room, kWaveSizeLimit);
    }
    // A failed free-space query (-1) or a rate of 0 shows no recording time
    // rather than a division by zero.
    const int64_t longest = (bytesPerSecond > 0 && room > 0) ? room / bytesPerSecond : 0;
    result.maxRecTime = HoursMinutesSeconds(longest);
    if (input.freeBytes >= 0 && bytesPerSecond > 0) {
        result.diskTime = HoursMinutesSeconds(input.freeBytes / bytesPerSecond);
    }
    char text[64];

    if (input.freeBytes < needed) {
        result.warning = SizeWarning::Red;
        result.warningText = UserText(TextId::WarnNoFreeSpace).Japanese();
    } else if (input.sizeLimit < needed) {
        result.warning = SizeWarning::Yellow;
        result.warningText = UserText(TextId::WarnFileSystemLimit).Japanese();
    } else if (needed > kWaveSizeLimit && !input.rawOutput) {
        result.warning = SizeWarning::Yellow;
        result.warningText = UserText(TextId::WarnOver2G).Japanese();
    } else {
        result.warning = SizeWarning::SkyBlue;
        result.warningText = UserText(TextId::WarnFits).Japanese();
    }

    const double mb = static_cast<double>(needed) / 1024.0 / 1024.0;
    if (mb > 1024.0) {
        std::snprintf(text, sizeof text, "%2.2f", mb / 1024.0);
        result.recSize = UserText(TextId::SizeGB, {text}).Japanese();
    } else {
        std::snprintf(text, sizeof text, "%2.2f", mb);
        result.recSize = UserText(TextId::SizeMB, {text}).Japanese();
    }
    return result;
}

RecordingEstimate EstimateRecording(const std::string& baseFileName, int32_t sampleRate, int32_t channels,
                                    int64_t recordingSeconds, bool rawOutput) {
    RecordingEstimateInput input;
    input.sampleRate = sampleRate;
    input.channels = channels;
    input.recordingSeconds = recordingSeconds;
    input.rawOutput = rawOutput;
    input.sizeLimit = FileSizeLimit(FileSystemName(baseFileName));
    input.freeBytes = FreeDiskBytes(baseFileName);
    return ComputeRecordingEstimate(input);
}

}  // namespace zolvane2
