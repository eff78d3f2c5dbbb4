#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {
class Thread;
}

namespace zolvane2::cli {

// What `split` and `join` share: reading their source files as the result
// list does, and running one job thread to its end from the tool's main
// thread, with Ctrl-C as the cancel button and a progress bar on stderr when
// stderr is a terminal.

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

// Starts job (configured, free-on-terminate, its end notification setting
// finished) and pumps the main-thread dispatcher until finished holds. The
// first Ctrl-C calls cancel once; a second one ends the program as usual.
// Answers whether Ctrl-C was pressed.
bool RunJobToEnd(Thread& job, const std::function<void()>& cancel, const std::atomic<bool>& finished);

// Writes the error text of a job ("\r\n" made "\n") as "zolvane2-cli <command>: <text>".
void PrintJobError(const char* command, const std::string& text);

// Prints the path of a finished file on stdout at once, so that a script
// sees each file as soon as it is complete; the bar goes first.
void PrintFinishedFile(TerminalProgress& progress, const std::string& path);

// How a job run by RunJobWithProgress ended.
struct JobOutcome {
    std::string error;  // the job's error text; empty when none
    bool cancelled = false;
    int filesFinished = 0;
};

// Runs job (configured, not started; a TCutThread or TCombineThread) to its
// end with the progress bar and each finished file's path on stdout. The job
// frees itself when it ends, so what is needed afterwards is copied out in
// its end notification, where atEnd runs as well.
template <class Job>
[[nodiscard]] JobOutcome RunJobWithProgress(Job* job, const std::function<void()>& atEnd = {}) {
    TerminalProgress progress;
    std::atomic<bool> finished{false};
    JobOutcome outcome;
    job->SetOnProgress([&progress](Thread&, std::int32_t percent) { progress.Show(percent); });
    job->SetOnFileFinished([&progress, &outcome](const std::string& path) {
        PrintFinishedFile(progress, path);
        ++outcome.filesFinished;
    });
    job->SetOnTerminate([&finished, &outcome, &atEnd, job] {
        outcome.error = job->ErrorMessage();
        if (atEnd) {
            atEnd();
        }
        finished.store(true);
    });
    job->SetFreeOnTerminate(true);
    outcome.cancelled = RunJobToEnd(
        *job, [job] { job->SetCancelRequested(true); }, finished);
    progress.Clear();
    return outcome;
}

// Prints the error or the cancel of a job's outcome; the exit status: 1 for
// an error, 130 for a cancel, else 0.
[[nodiscard]] int JobExitStatus(const char* command, const JobOutcome& outcome);

}  // namespace zolvane2::cli
