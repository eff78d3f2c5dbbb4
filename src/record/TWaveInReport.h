#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Message.h"
#include "record/TWaveInMessages.h"
#include "trackfile/FinishStatus.h"

namespace zolvane2 {

// One report of the capture thread to its window, and how its message
// carries it (TWaveInMessages). The thread builds reports with the named
// constructors and Encode; the window and the command line read them back
// with Decode, so the packing of the parameters is known here only.
struct TWaveInReport {
    enum class Kind {
        None,        // not a report of the capture thread
        Triggered,   // a track began: next
        TrackEnded,  // a track was closed and the run waits for next
        Finished,    // the run ended; its last track was closed
        Lost,        // audio was lost: lossIndex into TWaveInThread::Losses()
    };

    Kind kind = Kind::None;
    // The closed track's number; 0 when it was deleted or there was none.
    std::int32_t finished = 0;
    FinishStatus status = FinishStatus::Deleted;
    // Triggered: the track being recorded; TrackEnded: the number the next
    // track gets.
    std::int32_t next = 0;
    std::int64_t preRollFrames = 0;  // Triggered by the trigger level
    std::size_t lossIndex = 0;

    bool operator==(const TWaveInReport&) const = default;

    // A closed track was kept, and finished names it.
    [[nodiscard]] bool Kept() const { return finished > 0 && status != FinishStatus::Deleted; }

    [[nodiscard]] static TWaveInReport Triggered(std::int32_t number, std::int64_t preRollFrames);
    [[nodiscard]] static TWaveInReport TrackEnded(std::int32_t finished, FinishStatus status, std::int32_t next);
    [[nodiscard]] static TWaveInReport Finished(std::int32_t finished, FinishStatus status);
    [[nodiscard]] static TWaveInReport Lost(std::size_t index);

    [[nodiscard]] Message Encode(const TWaveInMessages& names) const;
    // Kind::None for a message that is not one of the four reports.
    [[nodiscard]] static TWaveInReport Decode(const TWaveInMessages& names, const Message& message);
};

}  // namespace zolvane2
