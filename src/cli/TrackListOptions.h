#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"
#include "jobs/TrackNamePlan.h"

namespace zolvane2 {
class CutPointTargets;
}  // namespace zolvane2

namespace zolvane2::cli {

// --track-list FILE and --name TEMPLATE: the track list that names and tags
// the pieces of split and record (and gives gap mode its times), read once.
class TrackListOptions {
public:
    // The last of each counts; an unknown template field is a UsageError.
    void Take(const ParsedOptions& line);

    [[nodiscard]] static OptionTable Options();
    [[nodiscard]] static std::string HelpText();

    [[nodiscard]] bool Given() const { return !path_.empty(); }
    // Throws UsageError for --name without --track-list, and for a list
    // given with more than one FILE.
    void Check(std::size_t sourceCount) const;
    // The list is read by the run: no output may replace it.
    void AddInputs(CutPointTargets& targets) const;

    // Reads the list, album holding the options' tags; false after a
    // message on stderr naming the file and what is wrong with it.
    [[nodiscard]] bool Load(const char* command, const TrackTags& album);
    // After Load; null without --track-list.
    [[nodiscard]] std::shared_ptr<const TrackNamePlan> Plan() const { return plan_; }
    // The list's times for gap mode; false after a message naming the
    // first line without one.
    [[nodiscard]] bool Durations(std::vector<double>& times) const;

    // record: renames the finished track at path, the index-th kept one, to
    // its name in the list (numbered, never replacing); returns the path it
    // has now. A refused rename is told on stderr and keeps the name.
    [[nodiscard]] std::string NameFinished(const char* command, const std::string& path, std::int64_t index) const;
    // Says on stderr when source's pieces did not match the list's length.
    void ReportFit(const char* command, const std::string& source, std::int64_t pieces) const;

private:
    std::string path_;  // as given
    std::string template_;
    std::shared_ptr<const TrackNamePlan> plan_;
};

}  // namespace zolvane2::cli
