#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"

namespace zolvane2 {
class CutPointTargets;
class TCutThread;
struct CuttingSettings;
}  // namespace zolvane2

namespace zolvane2::cli {

// The options that tell gap mode the track times of a side, --times and
// --track-list, for split; record takes them only to say they are split's.
class TrackTimesOptions {
public:
    // The last of each counts; --times is checked here (UsageError).
    void Take(const ParsedOptions& line);

    [[nodiscard]] static OptionTable SplitOptions();
    [[nodiscard]] static OptionTable RecordOptions();

    // Throws UsageError when they (or --tracks) are given for another mode
    // than gaps, for more than one FILE, or together.
    void CheckForSplit(const ParsedOptions& line, const CuttingSettings& cutting, std::size_t sourceCount) const;
    void CheckForRecord(const ParsedOptions& line) const;

    // The track list is read by the run: no output may replace it.
    void AddInputs(CutPointTargets& targets) const;
    // Reads the track list and hands the job the times; false after a
    // message on stderr naming the file and what is wrong with it.
    [[nodiscard]] bool Prepare(TCutThread& job) const;

    [[nodiscard]] static std::string HelpText();

private:
    std::vector<double> times_;
    bool timesGiven_ = false;
    std::string trackList_;
    std::optional<std::int32_t> snapRange_;  // wins over the settings file's
};

}  // namespace zolvane2::cli
