#include "cli/SplitJoinJob.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "cli/StopSignals.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/StderrUserMessages.h"
#include "platform/Thread.h"

namespace zolvane2::cli {

std::optional<std::vector<FileProperties>> ReadSources(const std::vector<std::string>& names, int rawRate,
                                                       int rawChannels, const char* command) {
    FileReportMessages messages;
    std::vector<FileProperties> sources;
    bool ok = true;
    for (const auto& name : names) {
        const std::string path = FullPathOf(name);
        if (!FileSystem::LookUp(path)) {
            messages.Show(UserText(TextId::NotFound, {path}), "", MsgIcon::Error, MsgButtons::Ok);
            ok = false;
            continue;
        }
        if (!TrackFileReader::IsTrackFileName(path)) {
            PrintFailure(
                command,
                Fill(Say("%1 is neither a .wav nor a .raw file", "%1 は .wav でも .raw でもありません"), {path}));
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
            PrintFailure(command, ErrorText(e));
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

void RunJobToEnd(Thread& job, const std::function<void()>& cancel, const std::atomic<bool>& finished,
                 JobOutcome& outcome) {
    const StopSignals stopSignals;
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    job.Resume();
    bool cancelled = false;
    // The job frees itself only after its end notification has run here, so
    // it is alive whenever finished is still false.
    while (!finished) {
        if (!cancelled && (StopSignals::Raised() || outcome.outputClosed)) {
            cancelled = true;
            outcome.stopSignal = StopSignals::Signal();
            cancel();
        }
        if (dispatcher != nullptr) {
            dispatcher->Pump(std::chrono::milliseconds(50));
        } else {
            ::usleep(10000);
        }
    }
}

bool PrintFinishedFile(TerminalProgress& progress, const std::string& path) {
    progress.Clear();
    const std::string line = path + "\n";
    return std::fputs(line.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
}

void TakeFinishedFile(const char* command, TerminalProgress& progress, const std::string& path, bool cutShort,
                      JobOutcome& outcome) {
    if (cutShort) {
        // Its header is right, but it does not hold all it should: a script
        // reading stdout must not take it for a finished piece.
        progress.Clear();
        outcome.cutShortFile = path;
        PrintFailure(command, Fill(Say("%1: cut short; it holds the audio up to the stop",
                                       "%1: 途中で打ち切られました。止まるまでの音声を含みます"),
                                   {path}));
        return;
    }
    ++outcome.filesFinished;
    if (!outcome.outputClosed && !PrintFinishedFile(progress, path)) {
        outcome.outputClosed = true;
    }
}

int JobExitStatus(const char* command, const JobOutcome& outcome) {
    if (!outcome.error.Empty()) {
        std::string text = StderrUserMessages::ToUnixLines(Render(outcome.error));
        if (!outcome.detail.fileName.empty()) {
            text = outcome.detail.fileName + ": " + text;
        }
        text = WithReason(text, outcome.detail.code);
        PrintFailure(command, text);
        return 1;
    }
    if (outcome.stopSignal != 0) {
        PrintFailure(command, Say("cancelled", "中止しました"));
        return 128 + outcome.stopSignal;
    }
    if (outcome.outputClosed) {
        PrintFailure(command, Say("stdout was closed; stopped", "標準出力が閉じられたので止めました"));
        return kClosedOutputStatus;
    }
    return 0;
}

std::string JobExitStatusHelp() {
    return Say(
        "      Exit status: 0 when done, 1 when a file could not be read or written\n"
        "      (the message names the file and the system's reason), 2 for a bad\n"
        "      command line, 128 + the signal after Ctrl-C (130), SIGTERM (143) or\n"
        "      SIGHUP (129), 141 when stdout was closed. On a stop or an error the\n"
        "      piece that was open is finished and named on stderr as cut short;\n"
        "      stdout lists only complete files. A second Ctrl-C ends at once.\n",
        "      終了ステータス: 完了で 0、ファイルを読めない・書けないとき 1 (メッセージ\n"
        "      はファイルとシステムの理由を示す)、コマンド行の誤りで 2、Ctrl-C (130)、\n"
        "      SIGTERM (143)、SIGHUP (129) では 128 + シグナル番号、標準出力が閉じ\n"
        "      られたとき 141。停止やエラーのときは開いていた切り出しファイルを完成\n"
        "      させ、途中で打ち切られたものとして標準エラーに示します。標準出力には\n"
        "      完全なファイルだけが出ます。二度目の Ctrl-C で直ちに終了します。\n");
}

}  // namespace zolvane2::cli
