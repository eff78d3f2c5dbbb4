#include "cli/TrackTimesOptions.h"

#include <cerrno>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "jobs/CutPointFile.h"
#include "jobs/CutPointTargets.h"
#include "jobs/CuttingSettings.h"
#include "jobs/TCutThread.h"
#include "jobs/TrackList.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "split";

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

OptionRow TrackListOption(Texts help) {
    return {.name = "--track-list",
            .valueName = "FILE",
            .kind = OptionRow::Kind::Name,
            .help = help,
            .refusal = {"%1 needs a file name", "%1 にはファイル名が必要です"}};
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
        TrackListOption({"gap mode: the times from a track list, one line per\n"
                         "piece with its time at the end (\"A1 Title 3:41\")",
                         "ギャップモードで、曲目リストから時間を読む\n"
                         "(1 行に 1 ピース、行末に時間: \"A1 曲名 3:41\")"}),
        SnapRangeOption({"with --times or --track-list: how far a boundary may\nmove to a gap, in seconds (%1)",
                         "--times か --track-list とともに、境界をギャップに\n合わせるとき動かせる秒数 (%1)"}),
    };
}

OptionTable TrackTimesOptions::RecordOptions() {
    return {TimesOption({}), TrackListOption({}), SnapRangeOption({})};
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
    if (const GivenOption* o = line.Last("--track-list")) {
        trackList_ = o->text;
    }
    if (const GivenOption* o = line.Last("--snap-range")) {
        snapRange_ = static_cast<std::int32_t>(o->number);
    }
}

void TrackTimesOptions::CheckForSplit(const ParsedOptions& line, const CuttingSettings& cutting,
                                      std::size_t sourceCount) const {
    const bool given = timesGiven_ || !trackList_.empty();
    if (line.Last("--tracks") != nullptr && cutting.Mode() != CutMode::Gaps) {
        throw UsageError(Say("--tracks wants --mode gaps", "--tracks には --mode gaps が必要です"));
    }
    if (timesGiven_ && !trackList_.empty()) {
        throw UsageError(
            Say("--times and --track-list exclude each other", "--times と --track-list は同時に使えません"));
    }
    if (given && cutting.Mode() != CutMode::Gaps) {
        throw UsageError(
            Say("--times and --track-list want --mode gaps", "--times と --track-list には --mode gaps が必要です"));
    }
    if (snapRange_ && !given) {
        throw UsageError(
            Say("--snap-range wants --times or --track-list", "--snap-range には --times か --track-list が必要です"));
    }
    if (given && sourceCount != 1) {
        throw UsageError(
            Say("track times are for exactly one FILE", "トラックの時間は FILE がひとつのときだけ使えます"));
    }
}

void TrackTimesOptions::CheckForRecord(const ParsedOptions& line) const {
    if (timesGiven_ || !trackList_.empty() || snapRange_ || line.Last("--tracks") != nullptr) {
        throw UsageError(Say("--tracks, --times, --track-list and --snap-range belong to split",
                             "--tracks, --times, --track-list, --snap-range は split のオプションです"));
    }
}

void TrackTimesOptions::AddInputs(CutPointTargets& targets) const {
    if (!trackList_.empty()) {
        targets.AddInput(trackList_);
    }
}

bool TrackTimesOptions::Prepare(TCutThread& job) const {
    std::vector<double> times = times_;
    if (!trackList_.empty()) {
        const std::string path = FullPathOf(trackList_);
        try {
            times.clear();
            for (const TrackList::Entry& e : TrackList::Parse(CutPointFile::ReadWhole(path))) {
                times.push_back(e.seconds);
            }
        } catch (const TrackListError& e) {
            if (e.Line() > 0) {
                std::fprintf(stderr, "%s:%d: %s\n  %s\n", path.c_str(), e.Line(),
                             Say("no time (M:SS) at the end of this line", "この行の終わりに時間 (分:秒) がありません"),
                             e.LineText().c_str());
            } else {
                std::fprintf(stderr, "%s: %s\n", path.c_str(),
                             Say("holds no track with a time", "時間のあるトラックがありません"));
            }
            return false;
        } catch (const Error& e) {
            std::string reason;
            switch (e.Code()) {
                case 0:
                    PrintFailure(kCommand, FileReportMessages::Format(e.Text()));
                    return false;
                case EINVAL:
                    reason = Say("not a regular file", "通常のファイルではありません");
                    break;
                case EFBIG:
                    reason = Say("larger than 16 MB, which no track list is",
                                 "16 MB を超えています (曲目リストではありません)");
                    break;
                default:
                    reason = SystemReason(e.Code());
            }
            PrintFailure(kCommand, path + ": " + reason);
            return false;
        }
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
