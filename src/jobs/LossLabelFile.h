#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/UserText.h"
#include "record/RecordingSettings.h"
#include "record/TWaveInThread.h"

namespace zolvane2 {

// The audio a recording run lost, as a label file of Audacity beside its
// tracks, so that each gap can be found in its track: one point label per
// loss at its time in the track's file, naming the file and how much went.
class LossLabelFile {
public:
    // The track file's name (without folder) for a track number.
    using TrackName = std::function<std::string(std::int32_t track)>;

    [[nodiscard]] static std::string Text(const std::vector<CaptureLoss>& losses, std::int32_t sampleRate,
                                          const TrackName& trackName, TextLanguage language);
    // Writes text to "<stem>losses.txt", or the first of "<stem>losses-2.txt"
    // on that no file has taken: a file there is never replaced. Returns the
    // path written; throws the create or write error naming the file and the
    // system's reason.
    static std::string Write(const std::string& stem, const std::string& text);
    // Text and Write for the losses of a run recorded with these settings.
    static std::string WriteFor(const RecordingSettings& run, const std::vector<CaptureLoss>& losses,
                                TextLanguage language);

    // The time of a frame at sampleRate as H:MM:SS.ss, as messages name it.
    [[nodiscard]] static std::string TimeText(std::int64_t frames, std::int64_t sampleRate);
};

}  // namespace zolvane2
