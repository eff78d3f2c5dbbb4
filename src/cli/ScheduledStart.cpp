#include "cli/ScheduledStart.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "cli/CommandLine.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"
#include "cli/StopSignals.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "record";
// The wait looks at the clocks this often; a stop signal ends it within one.
constexpr std::chrono::milliseconds kLook{200};

RecordingSchedule::WallTime StartTime(const GivenOption& given) {
    const auto time = RecordingSchedule::ParseLocal(given.text);
    if (!time) {
        throw UsageError(Fill(Say("--start '%1' is no time like 2026-12-24T21:00",
                                  "--start '%1' は 2026-12-24T21:00 のような時刻ではありません"),
                              {given.text}));
    }
    return *time;
}

std::string LatenessText(RecordingSchedule::Lateness lateness) {
    switch (lateness) {
        case RecordingSchedule::Lateness::Asleep:
            return Say(" (the machine was asleep, or its clock was set)",
                       " (マシンがスリープしていたか、時計が変更されました)");
        case RecordingSchedule::Lateness::Passed:
            return Say(" (it had passed when the command was given)", " (コマンドを実行した時点で過ぎていました)");
        case RecordingSchedule::Lateness::OnTime:
            break;
    }
    return {};
}

}  // namespace

OptionTable ScheduledStart::Options() {
    using Kind = OptionRow::Kind;
    return {
        {.name = "--start",
         .valueName = "TIME",
         .kind = Kind::Text,
         .help = {"wait and start at TIME of the local clock,\n"
                  "2026-12-24T21:00[:SS]; Ctrl-C cancels the wait",
                  "ローカル時刻 TIME (2026-12-24T21:00[:SS]) まで待って\n"
                  "録音を始める。待機中は Ctrl-C で取り消し"}},
        {.name = "--end",
         .valueName = "TIME",
         .kind = Kind::Text,
         .help = {"with --start: stop at TIME, a date and time as\n"
                  "for --start or a time of day (23:00) after it",
                  "--start と共に: TIME に止める (--start と同じ形か、\n"
                  "その後の時刻 23:00)"}},
        {.name = "--duration",
         .valueName = "T",
         .kind = Kind::Length,
         .help = {"with --start: record for T (seconds, M:S or H:M:S)",
                  "--start と共に: T の間録音 (秒、分:秒 または 時:分:秒)"},
         .namedAsWritten = true},
    };
}

std::optional<RecordingSchedule> ScheduledStart::Read(const ParsedOptions& line) {
    const GivenOption* start = line.Last("--start");
    const GivenOption* end = line.Last("--end");
    const GivenOption* duration = line.Last("--duration");
    if (start == nullptr) {
        if (end != nullptr || duration != nullptr) {
            throw UsageError(Say("--end and --duration need --start", "--end と --duration には --start が必要です"));
        }
        return std::nullopt;
    }
    if (end != nullptr && duration != nullptr) {
        throw UsageError(Say("give --end or --duration, not both", "--end と --duration はどちらか一方だけです"));
    }
    if (end == nullptr && duration == nullptr) {
        throw UsageError(Say("--start needs --end or --duration", "--start には --end か --duration が必要です"));
    }
    const RecordingSchedule::WallTime from = StartTime(*start);
    RecordingSchedule::WallTime to = from + std::chrono::seconds(duration != nullptr ? duration->number : 0);
    if (end != nullptr) {
        auto given = RecordingSchedule::ParseLocal(end->text);
        if (!given) {
            given = RecordingSchedule::ParseEndOfDay(end->text, from);
        }
        if (!given) {
            throw UsageError(Fill(Say("--end '%1' is no time like 2026-12-24T23:00 or 23:00",
                                      "--end '%1' は 2026-12-24T23:00 や 23:00 のような時刻ではありません"),
                                  {end->text}));
        }
        to = *given;
    }
    if (to <= from) {
        throw UsageError(Say("the end must come after the start", "終わりは始まりより後でなければなりません"));
    }
    return RecordingSchedule(from, to);
}

ScheduledStart::Outcome ScheduledStart::Wait(RecordingSchedule& schedule, bool terminal) {
    PrintFailure(kCommand,
                 Fill(Say("the recording starts at %1 and ends at %2; Ctrl-C cancels",
                          "%1 に録音を始め、%2 に終えます。Ctrl-C で取り消します"),
                      {RecordingSchedule::LocalText(schedule.Start()), RecordingSchedule::LocalText(schedule.End())}));
    bool drawn = false;
    while (true) {
        const RecordingSchedule::Step step =
            schedule.Check(std::chrono::system_clock::now(), std::chrono::steady_clock::now());
        if (step.kind != RecordingSchedule::Step::Kind::Wait || StopSignals::Raised()) {
            if (drawn) {
                std::fputs("\r\033[K", stderr);
            }
        }
        switch (step.kind) {
            case RecordingSchedule::Step::Kind::Wait:
                break;
            case RecordingSchedule::Step::Kind::Start:
                if (step.lateness != RecordingSchedule::Lateness::OnTime) {
                    PrintFailure(kCommand, Fill(Say("the start at %1 was %2 ago%3; recording the remaining %4",
                                                    "%1 の開始から %2 過ぎています%3。残りの %4 を録音します"),
                                                {RecordingSchedule::LocalText(schedule.Start()),
                                                 RecordingSchedule::LengthText(step.late), LatenessText(step.lateness),
                                                 RecordingSchedule::LengthText(step.length)}));
                }
                return {true, step.length.count(), 0};
            case RecordingSchedule::Step::Kind::Missed:
                PrintFailure(kCommand,
                             Fill(Say("the scheduled time from %1 to %2 has passed%3; nothing was recorded",
                                      "予約の時間 %1 から %2 は過ぎています%3。何も録音していません"),
                                  {RecordingSchedule::LocalText(schedule.Start()),
                                   RecordingSchedule::LocalText(schedule.End()), LatenessText(step.lateness)}));
                // Given in the past it is a mistake of the command line.
                return {false, 0, step.lateness == RecordingSchedule::Lateness::Passed ? 2 : 1};
        }
        if (StopSignals::Raised()) {
            PrintFailure(kCommand, Say("the scheduled recording was cancelled", "予約録音を取り消しました"));
            return {false, 0, 0};
        }
        if (terminal) {
            const std::string line = "\r\033[K" + std::string(Say("[scheduled] starts in ", "[予約] 開始まで ")) +
                                     RecordingSchedule::LengthText(step.untilStart);
            std::fputs(line.c_str(), stderr);
            std::fflush(stderr);
            drawn = true;
        }
        std::this_thread::sleep_for(kLook);
    }
}

}  // namespace zolvane2::cli
