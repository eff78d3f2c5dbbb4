#pragma once

#include <cstdint>
#include <vector>

namespace zolvane2 {
struct CaptureLoss;
struct RecordingSettings;
}  // namespace zolvane2

namespace zolvane2::cli {

// Audio a recording lost on the way, told on stderr: each loss at once, and
// at the end how much went in all and in which tracks.
void ReportLoss(const CaptureLoss& loss, std::int64_t rate);
void ReportLossSummary(const std::vector<CaptureLoss>& losses, std::int64_t rate);
// The label file of the losses beside the run's tracks, and its name told;
// false (told why) when it could not be written.
bool WriteLossLabels(const RecordingSettings& run, const std::vector<CaptureLoss>& losses);

}  // namespace zolvane2::cli
