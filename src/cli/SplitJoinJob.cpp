#include "cli/SplitJoinJob.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/FileReportMessages.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/StderrUserMessages.h"
#include "platform/Thread.h"

namespace zolvane2::cli {

namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int /*signal*/) {
    gInterrupted.store(true);
}

// Ctrl-C handling for the time a job runs; the old handling comes back after.
class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted.store(false);
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        // A second Ctrl-C ends the program the usual way.
        sa.sa_flags = SA_RESETHAND;
        installed_ = ::sigaction(SIGINT, &sa, &old_) == 0;
    }
    ~InterruptGuard() {
        if (installed_) {
            ::sigaction(SIGINT, &old_, nullptr);
        }
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction old_ {};
    bool installed_ = false;
};

}  // namespace

std::optional<std::vector<FileProperties>> ReadSources(const std::vector<std::string>& names, int rawRate,
                                                       int rawChannels, const char* command) {
    FileReportMessages messages;
    std::vector<FileProperties> sources;
    bool ok = true;
    for (const auto& name : names) {
        const std::string path = FullPathOf(name);
        if (!FileSystem::LookUp(path)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), TrackFileReader::kNotFound);
            ok = false;
            continue;
        }
        if (!TrackFileReader::IsTrackFileName(path)) {
            std::fprintf(stderr, "zolvane2-cli %s: %s is neither a .wav nor a .raw file\n", command, path.c_str());
            ok = false;
            continue;
        }
        try {
            auto p = TrackFileReader::ReadFileProperties(path, rawRate, rawChannels, messages);
            if (!p) {
                ok = false;
                continue;
            }
            p->path = path;
            sources.push_back(std::move(*p));
        } catch (const Error& e) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
            ok = false;
        }
    }
    if (!ok) {
        return std::nullopt;
    }
    return sources;
}

TerminalProgress::TerminalProgress() : enabled_(StderrIsTerminal()) {}

TerminalProgress::~TerminalProgress() {
    Clear();
}

void TerminalProgress::Show(std::int32_t percent) {
    if (!enabled_ || percent == last_) {
        return;
    }
    last_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), static_cast<int>(percent));
    std::fflush(stderr);
    shown_ = true;
}

void TerminalProgress::Clear() {
    if (enabled_ && shown_) {
        std::fprintf(stderr, "\r%*s\r", 48, "");
        std::fflush(stderr);
        shown_ = false;
        last_ = -1;
    }
}

bool RunJobToEnd(Thread& job, const std::function<void()>& cancel, const std::atomic<bool>& finished) {
    InterruptGuard guard;
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    job.Resume();
    bool cancelled = false;
    // The job frees itself only after its end notification has run here, so
    // it is alive whenever finished is still false.
    while (!finished) {
        if (!cancelled && gInterrupted.load()) {
            cancelled = true;
            cancel();
        }
        if (dispatcher != nullptr) {
            dispatcher->Pump(std::chrono::milliseconds(50));
        } else {
            ::usleep(10000);
        }
    }
    return cancelled;
}

void PrintJobError(const char* command, const std::string& text) {
    std::fprintf(stderr, "zolvane2-cli %s: %s\n", command, StderrUserMessages::ToUnixLines(text).c_str());
}

void PrintFinishedFile(TerminalProgress& progress, const std::string& path) {
    progress.Clear();
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
}

int JobExitStatus(const char* command, const JobOutcome& outcome) {
    if (!outcome.error.empty()) {
        PrintJobError(command, outcome.error);
        return 1;
    }
    if (outcome.cancelled) {
        std::fprintf(stderr, "zolvane2-cli %s: cancelled\n", command);
        return 130;
    }
    return 0;
}

}  // namespace zolvane2::cli
