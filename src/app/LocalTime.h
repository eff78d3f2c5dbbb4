#pragma once

namespace zolvane2 {

// Local date and time in days since 1970 (the fraction is the time of day),
// the unit of the window's track clock (TrackStartTime).
[[nodiscard]] double NowDays();

}  // namespace zolvane2
