// zolvane2-cli split: re-divides WAVE and RAW files into numbered pieces by
// the cutting rules, as the window's re-divide button does.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CutPointOptions.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"
#include "cli/SplitJoinJob.h"
#include "cli/TrackListOptions.h"
#include "cli/TrackTimesOptions.h"
#include "jobs/CutPointTargets.h"
#include "jobs/TCutThread.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "split";

OptionTable AtOption() {
    return {{.name = "--at",
             .valueName = "SECONDS",
             .kind = OptionRow::Kind::Seconds,
             .help = {"split each FILE once, at that time (as the player's\n"
                      "split does); the cutting mode is then ignored",
                      "各 FILE をその時刻で一度だけ分割する (プレーヤーの\n"
                      "分割と同じ)。切り出しモードは無視される"}}};
}

OptionTable Options() {
    const OptionTable cutting = CuttingOptionsParser::Options();
    const OptionTable at = AtOption();
    const OptionTable times = TrackTimesOptions::SplitOptions();
    const OptionTable list = TrackListOptions::Options();
    const OptionTable output = CuttingOptionsParser::OutputOptions();
    const OptionTable cutPointOptions = CutPointOptions::SplitOptions();
    return Joined({&cutting, &times, &list, &output, &at, &cutPointOptions});
}

int RunSplit(const ParsedOptions& line) {
    CuttingOptionsParser parser;
    CutPointOptions cutPoints;
    TrackTimesOptions trackTimes;
    TrackListOptions trackList;
    std::optional<double> splitAt;
    const std::vector<std::string>& files = line.operands;
    CuttingSettings options;
    try {
        parser.Take(line);
        cutPoints.Take(line);
        trackTimes.Take(line);
        trackList.Take(line);
        if (const GivenOption* at = line.Last("--at")) {
            splitAt = at->seconds;
        }
        if (files.empty()) {
            throw UsageError(NoFileGiven());
        }
        options = parser.Result();
        cutPoints.CheckForSplit(files.size(), splitAt.has_value());
        trackList.Check(files.size());
        if (!splitAt) {
            trackTimes.CheckForSplit(line, options, files.size(), trackList.Given());
        }
    } catch (const UsageError& e) {
        return UsageFailure(kCommand, e.what());
    }
    if (!splitAt) {
        CorrectCuttingTimes(kCommand, options);
    }

    const auto sources = ReadSources(files, options.SampleRate(), options.Channels(), kCommand);
    if (!sources) {
        return 1;
    }
    if (cutPoints.WritesCutPoints()) {
        CutPointTargets targets;
        if (!parser.SettingsFile().empty()) {
            targets.AddInput(parser.SettingsFile());
        }
        for (const FileProperties& p : *sources) {
            targets.AddInput(p.path);
            targets.AddTrackFiles(TCutThread::OutputBaseFor(p.path), options.digits);
        }
        trackList.AddInputs(targets);
        if (!cutPoints.CheckTargets(kCommand, targets)) {
            return 2;
        }
    }

    // The job frees itself when it ends; what the tool needs afterwards is
    // copied out in its end notification.
    auto* job = new TCutThread;
    std::vector<std::string> names;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < sources->size(); ++i) {
        const FileProperties& p = (*sources)[i];
        names.push_back(p.path);
        job->SetDataOffsets(i, p.dataOffset);
        job->SetDataLengths(i, p.dataSize);
        job->SetSampleRates(i, p.sampleRate);
        job->SetChannelCounts(i, p.channels);
        total += p.dataSize;
    }
    if (splitAt) {
        // The player's split: once at the given time, no level settings.
        job->SetUseTrigger(false);
        job->SetCutByInterval(false);
        job->SetIntervalSeconds(*splitAt);
        job->SetCutOnce(true);
        job->SetFlacOutput(options.Flac(), options.tags);
    } else {
        options.ApplyTo(*job);
    }
    if (!trackList.Load(kCommand, options.tags) || !(splitAt || trackTimes.Prepare(*job, trackList)) ||
        !cutPoints.Prepare(*job, sources->front(), total)) {
        delete job;
        return 1;
    }
    job->SetTotalBytes(total);
    job->SetRawOutput(options.RawOutput());
    job->SetFileNames(names);
    job->SetDigits(options.digits);
    job->SetNamePlan(trackList.Plan());

    std::int32_t dropped = 0;
    std::vector<UserText> gapWarnings;
    const JobOutcome outcome = RunJobWithProgress(kCommand, job, [&dropped, &gapWarnings, job] {
        dropped = job->ShortPiecesDropped();
        gapWarnings = job->GapWarnings();
        gapWarnings.insert(gapWarnings.end(), job->NamingWarnings().begin(), job->NamingWarnings().end());
    });
    ReportShortPieces(kCommand, dropped);
    for (const UserText& warning : gapWarnings) {
        PrintFailure(kCommand,
                     Say("warning: ", "警告: ") + (JapaneseLocale() ? warning.Japanese() : warning.English()));
    }
    const int status = JobExitStatus(kCommand, outcome);
    return status == 0 && !cutPoints.Finish(sources->front()) ? 1 : status;
}

std::string SplitHelp() {
    return Say("      Re-divides each WAVE (.wav), RAW (.raw) or FLAC (.flac) FILE into\n"
               "      numbered pieces (.wav, or .raw / .flac with --format)\n"
               "      beside it: NAME-00001.wav, NAME-00002.wav, ... (numbers already taken\n"
               "      on disk are skipped; every FILE starts again at 1). Each kept piece's\n"
               "      full path is printed on stdout as soon as it is finished. Ctrl-C,\n"
               "      SIGTERM, SIGHUP or a closed stdout stops: the open piece is finished,\n"
               "      later files are left alone. A file that cannot be read stops the\n"
               "      work with a message on stderr.\n",
               "      各 WAVE (.wav)、RAW (.raw)、FLAC (.flac) の FILE を、その横の番号付き\n"
               "      ファイル (.wav、--format で .raw / .flac)\n"
               "      NAME-00001.wav, NAME-00002.wav, ... に再分割します (ディスクにある番号\n"
               "      は飛ばし、FILE ごとに 1 から数えます)。残したファイルのフルパスを、\n"
               "      完成するたびに標準出力に出します。Ctrl-C、SIGTERM、SIGHUP、または\n"
               "      標準出力が閉じられると止まり、開いているファイルを完成させます。\n"
               "      後のファイルには手を付けません。読めないファイルがあると、標準\n"
               "      エラーにメッセージを出して止まります。\n") +
           JobExitStatusHelp() + CuttingOptionsParser::HelpText() + TrackTimesOptions::HelpText() +
           TrackListOptions::HelpText() + OptionLines(CuttingOptionsParser::OutputOptions()) + OptionLines(AtOption()) +
           CutPointOptions::SplitHelpText() +
           Say("      RAW files are read with --rate and --channels.\n",
               "      RAW ファイルは --rate と --channels で読みます。\n");
}

const CommandRegistration kSplit{Command{
    kCommand,
    40,
    "split [--mode trigger|interval|none|gaps] [--level N]\n"
    "                     [--delay MS] [--gap MS] [--tail MS] [--min-length MS]\n"
    "                     [--sensitivity DB] [--min-gap MS] [--tracks N]\n"
    "                     [--times T,T,...] [--track-list FILE] [--name TEMPLATE]\n"
    "                     [--length T] [--at SECONDS] [--digits N]\n"
    "                     [--raw | --format wav|raw|flac] [--flac-level N]\n"
    "                     [tag options] [-r HZ] [-c N]\n"
    "                     [--settings FILE] [--labels FILE] [--cue FILE] [--dry-run]\n"
    "                     [--from-labels FILE | --from-cue FILE] FILE...",
    SplitHelp,
    RunSplit,
    Options,
}};

}  // namespace

}  // namespace zolvane2::cli
