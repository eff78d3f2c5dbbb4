#pragma once

namespace zolvane2 {

// How a track file ended up when it was finished; the number travels in the
// recorder's messages.
enum class FinishStatus : int {
    Kept = 0,     // kept as written
    TooLong = 1,  // kept with capped header sizes, renamed to ..._tooLONG.wav
    Deleted = 2,  // held no frames and was deleted
};

}  // namespace zolvane2
