#pragma once

namespace zolvane2 {

// Local date and time in days since 1970 (the fraction is the time of day),
// the unit of the playback clock (PlaybackSession::StartTime).
[[nodiscard]] double NowDays();

}  // namespace zolvane2
