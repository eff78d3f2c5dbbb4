#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "jobs/JobEvents.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {
class Thread;
}

namespace zolvane2::cli {

// What `split` and `join` share: reading their source files as the result
// list does, and running one job thread to its end from the tool's main
// thread, with Ctrl-C, SIGTERM, SIGHUP and a closed stdout as the cancel
// button and a progress bar on stderr when stderr is a terminal.

// The properties of every file as the result list reads them (RAW files with
// rawRate and rawChannels). Every problem is printed to stderr as
// "<path>: <text>"; nullopt when any file is missing, not a .wav/.raw file or
// rejected, so that nothing is written.
[[nodiscard]] std::optional<std::vector<FileProperties>> ReadSources(const std::vector<std::string>& names, int rawRate,
                                                                     int rawChannels, const char* command);

// Shows the percentage on stderr as a bar, only when stderr is a terminal.
class TerminalProgress {
public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Show(std::int32_t percent);
    // Removes the bar so that messages start on a clean line.
    void Clear();

private:
    bool enabled_;
    bool shown_ = false;
    int last_ = -1;
};

// How a job run by RunJobWithProgress ended.
struct JobOutcome {
    UserText error;             // the job's error text; empty when none
    JobErrorDetail detail;      // the file and the system's reason behind it
    int stopSignal = 0;         // the stop signal that cancelled the job; 0 when none
    bool outputClosed = false;  // stdout was closed, which cancelled the job
    std::string cutShortFile;   // the piece that was open when the job was cut short
    int filesFinished = 0;
};

// Starts job (configured, free-on-terminate, its end notification setting
// finished) and pumps the main-thread dispatcher until finished holds. A stop
// signal (StopSignals) or outcome.outputClosed calls cancel once; a second
// signal ends the program at once. Fills outcome.stopSignal.
void RunJobToEnd(Thread& job, const std::function<void()>& cancel, const std::atomic<bool>& finished,
                 JobOutcome& outcome);

// Prints the path of a finished file on stdout at once, so that a script
// sees each file as soon as it is complete; the bar goes first. False when
// stdout is closed.
[[nodiscard]] bool PrintFinishedFile(TerminalProgress& progress, const std::string& path);

// Takes a file the job has finished: a whole one is printed on stdout, a
// cut-short one is kept in outcome and told on stderr.
void TakeFinishedFile(const char* command, TerminalProgress& progress, const std::string& path, bool cutShort,
                      JobOutcome& outcome);

// Runs job (configured, not started; a TCutThread or TCombineThread) to its
// end with the progress bar and each finished file's path on stdout. The job
// frees itself when it ends, so what is needed afterwards is copied out in
// its end notification, where atEnd runs as well.
template <class Job>
[[nodiscard]] JobOutcome RunJobWithProgress(const char* command, Job* job, const std::function<void()>& atEnd = {}) {
    TerminalProgress progress;
    std::atomic<bool> finished{false};
    JobOutcome outcome;
    job->SetOnProgress([&progress](Thread&, std::int32_t percent) { progress.Show(percent); });
    job->SetOnFileFinished([command, &progress, &outcome, job](const std::string& path) {
        TakeFinishedFile(command, progress, path, job->FinishingCutShort(), outcome);
    });
    job->SetOnTerminate([&finished, &outcome, &atEnd, job] {
        outcome.error = job->ErrorText();
        outcome.detail = job->ErrorDetail();
        if (atEnd) {
            atEnd();
        }
        finished.store(true);
    });
    job->SetFreeOnTerminate(true);
    RunJobToEnd(
        *job, [job] { job->SetCancelRequested(true); }, finished, outcome);
    progress.Clear();
    return outcome;
}

// Prints the error, the stop or the closed stdout of a job's outcome; the
// exit status: 1 for an error, 128 + the signal for a stop by a signal, 141
// for a closed stdout, else 0.
[[nodiscard]] int JobExitStatus(const char* command, const JobOutcome& outcome);

// The exit statuses of split and join for their help.
[[nodiscard]] std::string JobExitStatusHelp();

}  // namespace zolvane2::cli
