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

OptionRow SnapRangeOption(Texts help) {
    return {.name = "--snap-range",
            .valueName = "S",
            .kind = OptionRow::Kind::Integer,
            .low = 0,
            .high = CuttingSettings::kMaxSnapRangeSeconds,
            .help = help};
}

}  // namespace

OptionTable TrackTimesOptions::SplitOptions() {
    return {
        TimesOption({"gap mode: the length of each piece (M:SS or H:MM:SS,\n"
                     "comma-separated): each boundary moves to the best gap\n"
                     "within --snap-range of where the times put it",
                     "ギャップモードで、各ピースの長さ (分:秒 または\n"
                     "時:分:秒 をコンマで区切る)。各境界を、その時間の\n"
                     "位置から --snap-range 以内の最もギャップらしい\n"
                     "位置に合わせる"}),
        SnapRangeOption({"with --times or --track-list: how far a boundary may\nmove to a gap, in seconds (%1)",
                         "--times か --track-list とともに、境界をギャップに\n合わせるとき動かせる秒数 (%1)"}),
    };
}

OptionTable TrackTimesOptions::RecordOptions() {
    return {TimesOption({}), SnapRangeOption({})};
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
    if (const GivenOption* o = line.Last("--snap-range")) {
        snapRange_ = static_cast<std::int32_t>(o->number);
    }
}

void TrackTimesOptions::CheckForSplit(const ParsedOptions& line, const CuttingSettings& cutting,
                                      std::size_t sourceCount, bool listGiven) const {
    if (line.Last("--tracks") != nullptr && cutting.Mode() != CutMode::Gaps) {
        throw UsageError(Say("--tracks wants --mode gaps", "--tracks には --mode gaps が必要です"));
    }
    if (timesGiven_ && cutting.Mode() != CutMode::Gaps) {
        throw UsageError(Say("--times wants --mode gaps", "--times には --mode gaps が必要です"));
    }
    if (snapRange_ && !timesGiven_ && !listGiven) {
        throw UsageError(
            Say("--snap-range wants --times or --track-list", "--snap-range には --times か --track-list が必要です"));
    }
    if (timesGiven_ && sourceCount != 1) {
        throw UsageError(
            Say("track times are for exactly one FILE", "トラックの時間は FILE がひとつのときだけ使えます"));
    }
}

void TrackTimesOptions::CheckForRecord(const ParsedOptions& line) const {
    if (timesGiven_ || snapRange_ || line.Last("--tracks") != nullptr) {
        throw UsageError(Say("--tracks, --times and --snap-range belong to split",
                             "--tracks, --times, --snap-range は split のオプションです"));
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
        if (snapRange_) {
            rules.rangeSeconds = *snapRange_;
        }
        job.SetGapRules(rules);
    }
    return true;
}

std::string TrackTimesOptions::HelpText() {
    return Fill(OptionLines(SplitOptions()), {std::to_string(CuttingSettings().snapRangeSeconds)});
}

}  // namespace zolvane2::cli
