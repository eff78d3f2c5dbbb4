#pragma once

#include <cstdint>
#include <optional>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"
#include "record/RecordingSchedule.h"

namespace zolvane2::cli {

// record --start with --end or --duration: the recording waits for a time
// of the local clock and records up to the end.
class ScheduledStart {
public:
    [[nodiscard]] static OptionTable Options();
    // The schedule the command line asks for (none without --start); throws
    // UsageError for a time that is none, an end not after the start, both
    // --end and --duration, or either of them without --start.
    [[nodiscard]] static std::optional<RecordingSchedule> Read(const ParsedOptions& line);

    // What the wait came to: start and record for seconds, or end the
    // command with status.
    struct Outcome {
        bool start = false;
        std::int64_t seconds = 0;
        int status = 0;
    };
    // Waits for the start while the stop signals are guarded (a stop signal
    // cancels it), telling the countdown on a terminal and any lateness or
    // a missed start on stderr.
    [[nodiscard]] static Outcome Wait(RecordingSchedule& schedule, bool terminal);
};

}  // namespace zolvane2::cli
