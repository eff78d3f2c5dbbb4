#include "record/RecordingSettings.h"

#include "trackfile/TrackNaming.h"

namespace zolvane2 {

std::string RecordingSettings::FinishedTrackName(std::int64_t number, FinishStatus status) const {
    const std::string stem = TrackNaming::Stem(baseFileName);
    return status == FinishStatus::TooLong ? TrackNaming::CappedFileName(stem, number, digits)
                                           : TrackNaming::TrackFileName(stem, number, digits, Format());
}

}  // namespace zolvane2
