#include "cli/TrackTimesOptions.h"

#include <algorithm>

#include "cli/CommandLine.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"
#include "cli/TrackListOptions.h"
#include "jobs/CuttingSettings.h"
#include "jobs/TCutThread.h"
#include "jobs/TrackList.h"

namespace zolvane2::cli {

namespace {

OptionRow TimesOption(Texts help) {
    return {.name = "--times", .valueName = "T,T,...", .kind = OptionRow::Kind::Name, .help = help};
}

}  // namespace

OptionTable TrackTimesOptions::SplitOptions() {
    return {
        TimesOption({"gap mode: the length of each piece (M:SS or H:MM:SS,\n"
                     "comma-separated): each boundary moves to the best gap\n"
                     "within 15 s of where the times put it",
                     "ギャップモードで、各ピースの長さ (分:秒 または\n"
                     "時:分:秒 をコンマで区切る)。各境界を、その時間の\n"
                     "位置から 15 秒以内の最もギャップらしい位置に合わせる"}),
    };
}

OptionTable TrackTimesOptions::RecordOptions() {
    return {TimesOption({})};
}

void TrackTimesOptions::Take(const ParsedOptions& line) {
    if (const GivenOption* o = line.Last("--times")) {
        const auto times = TrackList::ParseTimes(o->text);
        if (!times || times->empty()) {
            throw UsageError(Fill(Say("--times wants times M:SS or H:MM:SS parted by commas, not '%1'",
                                      "--times には 分:秒 か 時:分:秒 をコンマで区切って指定してください "
                                      "('%1' は使えません)"),
                                  {o->text}));
        }
        times_ = *times;
        timesGiven_ = true;
    }
}

void TrackTimesOptions::CheckForSplit(const ParsedOptions& line, const CuttingSettings& cutting,
                                      std::size_t sourceCount) const {
    if (line.Last("--tracks") != nullptr && cutting.Mode() != CutMode::Gaps) {
        throw UsageError(Say("--tracks wants --mode gaps", "--tracks には --mode gaps が必要です"));
    }
    if (timesGiven_ && cutting.Mode() != CutMode::Gaps) {
        throw UsageError(Say("--times wants --mode gaps", "--times には --mode gaps が必要です"));
    }
    if (timesGiven_ && sourceCount != 1) {
        throw UsageError(
            Say("track times are for exactly one FILE", "トラックの時間は FILE がひとつのときだけ使えます"));
    }
}

void TrackTimesOptions::CheckForRecord(const ParsedOptions& line) const {
    if (timesGiven_ || line.Last("--tracks") != nullptr) {
        throw UsageError(Say("--tracks and --times belong to split", "--tracks と --times は split のオプションです"));
    }
}

bool TrackTimesOptions::Prepare(TCutThread& job, const TrackListOptions& list) const {
    if (!job.FindsGaps()) {
        return true;
    }
    std::vector<double> times = times_;
    const auto plan = list.Plan();
    const auto& entries = plan ? plan->List().Entries() : std::vector<TrackList::Entry>{};
    // A list without any time only names; one that notes times guides.
    const bool timed =
        std::any_of(entries.begin(), entries.end(), [](const TrackList::Entry& e) { return e.seconds.has_value(); });
    if (!timesGiven_ && timed && !list.Durations(times)) {
        return false;
    }
    if (!times.empty()) {
        GapCutPlan::Rules rules = job.GapRules();
        rules.durations = std::move(times);
        job.SetGapRules(rules);
    }
    return true;
}

std::string TrackTimesOptions::HelpText() {
    return OptionLines(SplitOptions());
}

}  // namespace zolvane2::cli
