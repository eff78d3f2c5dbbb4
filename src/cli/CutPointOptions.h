#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"
#include "jobs/CutPointLog.h"
#include "jobs/CutPointTargets.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {
class TCutThread;
class CutPointMarker;
struct CuttingSettings;
}  // namespace zolvane2

namespace zolvane2::cli {

// The options of `split` and `record` that write cut points out (--labels,
// --cue, --dry-run) or take them in (--from-labels, --from-cue).
class CutPointOptions {
public:
    // These options of the command line; the last of each counts.
    void Take(const ParsedOptions& line);

    // The options as split and record take them. Record takes them all so
    // as to say that the split ones belong to split; its help shows only
    // --labels and --cue.
    [[nodiscard]] static OptionTable SplitOptions();
    [[nodiscard]] static OptionTable RecordOptions();

    // Throws UsageError for combinations that cannot be followed.
    void CheckForSplit(std::size_t sourceCount, bool splitOnce) const;
    void CheckForRecord(bool uncut) const;

    [[nodiscard]] bool WritesCutPoints() const { return !labelsOut_.empty() || !cueOut_.empty(); }
    [[nodiscard]] bool CutsFromFile() const { return !labelsIn_.empty() || !cueIn_.empty(); }

    // Before anything is recorded or cut, with the run's inputs and track
    // files in targets: false after a message on stderr when --labels or
    // --cue would replace one of them, each other, or an existing file that
    // is not a label file or cue sheet (the command then exits with 2).
    [[nodiscard]] bool CheckTargets(const char* command, CutPointTargets& targets) const;
    // Why targets refused path, for the message after "OPTION PATH: ".
    [[nodiscard]] static std::string RefusalText(CutPointTargets::Refusal refusal, const std::string& path);

    // Before the job starts: reads the label or cue file against the source
    // and hands the job its ranges, the log and the dry run. False after a
    // message on stderr.
    [[nodiscard]] bool Prepare(TCutThread& job, const FileProperties& source, std::int64_t& totalBytes);
    // After a job that ended well: writes the files. False after a message.
    [[nodiscard]] bool Finish(const FileProperties& source) const;

    // A marker for an uncut recording that writes the asked-for files where
    // the trigger options would cut; nullptr when none is asked for.
    [[nodiscard]] std::unique_ptr<CutPointMarker> MakeMarker(const CuttingSettings& cutting) const;

    // The lines for --help.
    [[nodiscard]] static std::string SplitHelpText();
    [[nodiscard]] static std::string RecordHelpText();

private:
    std::string labelsOut_;
    std::string cueOut_;
    std::string labelsIn_;
    std::string cueIn_;
    bool dryRun_ = false;
    CutPointLog log_;
};

// "zolvane2-cli <command>: N pieces shorter than the minimum length were
// left out" on stderr when n > 0.
void ReportShortPieces(const char* command, std::int32_t n);

}  // namespace zolvane2::cli
