#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"

namespace zolvane2 {
class TCutThread;
struct CuttingSettings;
}  // namespace zolvane2

namespace zolvane2::cli {

class TrackListOptions;

// The options that tell gap mode the track times of a side, --times or the
// times of --track-list, for split; record takes --times only to say it is
// split's.
class TrackTimesOptions {
public:
    // The last of each counts; --times is checked here (UsageError).
    void Take(const ParsedOptions& line);

    [[nodiscard]] static OptionTable SplitOptions();
    [[nodiscard]] static OptionTable RecordOptions();

    // Throws UsageError when --times (or --tracks) is given for another mode
    // than gaps or for more than one FILE.
    // --snap-range wants --times or a track list (listGiven).
    void CheckForSplit(const ParsedOptions& line, const CuttingSettings& cutting, std::size_t sourceCount,
                       bool listGiven) const;
    void CheckForRecord(const ParsedOptions& line) const;

    // Hands a gap-mode job the times: --times, else those of a loaded track
    // list that notes any (then every line needs one); false after a message
    // on stderr naming the list's line without a time.
    [[nodiscard]] bool Prepare(TCutThread& job, const TrackListOptions& list) const;

    [[nodiscard]] static std::string HelpText();

private:
    std::vector<double> times_;
    bool timesGiven_ = false;
    std::optional<std::int32_t> snapRange_;  // wins over the settings file's
};

}  // namespace zolvane2::cli
