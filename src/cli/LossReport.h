#pragma once

#include <cstdint>
#include <vector>

namespace zolvane2 {
struct CaptureLoss;
}

namespace zolvane2::cli {

// Audio a recording lost on the way, told on stderr: each loss at once, and
// at the end how much went in all and in which tracks.
void ReportLoss(const CaptureLoss& loss, std::int64_t rate);
void ReportLossSummary(const std::vector<CaptureLoss>& losses, std::int64_t rate);

}  // namespace zolvane2::cli
