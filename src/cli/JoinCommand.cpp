// zolvane2-cli join: combines the audio of several files into one, as the
// window's combine button does, with the same checks and texts.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
#include "cli/SplitJoinJob.h"
#include "jobs/CombineChecks.h"
#include "jobs/TCombineThread.h"
#include "platform/StderrUserMessages.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "join";

enum class Over2G { Ask, Raw, Wave };

// A check's message as the window's message box would show it.
void PrintCheck(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), StderrUserMessages::ToUnixLines(text).c_str());
}

int RunJoin(const std::vector<std::string>& args) {
    std::string out;
    Over2G over2g = Over2G::Ask;
    int rate = 44100;
    int channels = 2;
    std::vector<std::string> files;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--") {
                files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
                break;
            }
            auto [name, inlineValue] = SplitOptionArgument(a);
            if (name == "-o" || name == "--output" || name == "--over-2g" || name == "--rate" || name == "--channels") {
                if (!inlineValue) {
                    if (i + 1 >= args.size()) {
                        throw UsageError(name + " needs a value");
                    }
                    inlineValue = args[++i];
                }
                const std::string& value = *inlineValue;
                if (name == "-o" || name == "--output") {
                    if (value.empty()) {
                        throw UsageError("-o needs a file name");
                    }
                    out = value;
                } else if (name == "--over-2g") {
                    if (value == "raw") {
                        over2g = Over2G::Raw;
                    } else if (value == "wav") {
                        over2g = Over2G::Wave;
                    } else {
                        throw UsageError("--over-2g wants raw or wav, not '" + value + "'");
                    }
                } else if (name == "--rate") {
                    rate = static_cast<int>(CuttingOptionsParser::ParseInteger(name, value, 1, 1000000));
                } else {
                    channels = static_cast<int>(CuttingOptionsParser::ParseInteger(name, value, 1, 2));
                }
                continue;
            }
            if (a.size() > 1 && a[0] == '-') {
                throw UsageError("unknown option '" + a + "'");
            }
            files.push_back(a);
        }
        if (out.empty()) {
            throw UsageError("no output file given (-o OUT)");
        }
        if (files.empty()) {
            throw UsageError("no FILE given");
        }
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zolvane2-cli join: %s (see zolvane2-cli --help)\n", e.what());
        return 2;
    }

    const auto sources = ReadSources(files, rate, channels, kCommand);
    if (!sources) {
        return 1;
    }
    CombineParameters parameters;
    const FileProperties* offending = nullptr;
    std::int64_t total = 0;
    for (const auto& p : *sources) {
        if (!parameters.Take(ChannelCode(p.channelText), p.sampleRate)) {
            offending = &p;
            break;
        }
        // The job copies whole frames only.
        const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(std::max(p.channels, 1));
        total += p.dataSize / frameBytes * frameBytes;
    }
    // A file of three or more channels is refused wherever it stands, so
    // this comes before the test for nothing to join.
    if (offending != nullptr) {
        PrintCheck(kParameterMismatchCaption, kParameterMismatchText);
        std::fprintf(stderr, "  %s\n", offending->path.c_str());
        return 1;
    }
    if (parameters.Empty()) {
        std::fputs("zolvane2-cli join: no mono or stereo file to join\n", stderr);
        return 1;
    }

    // The save dialog's default extension.
    std::string target = FullPathOf(out);
    if (LowerExtension(target).empty()) {
        target += ".wav";
    }
    bool raw = LowerExtension(target) == ".raw";
    const CombineSizeCheck check = CheckCombineTarget(target, total, raw);
    switch (check.verdict) {
        case CombineSizeVerdict::Go:
            break;
        case CombineSizeVerdict::NotEnoughSpace:
        case CombineSizeVerdict::OverFileSystemLimit:
            PrintCheck(check.caption, check.text);
            return 1;
        case CombineSizeVerdict::AskForRaw:
            if (over2g == Over2G::Ask) {
                PrintCheck(check.caption, check.text);
                std::fputs(
                    "zolvane2-cli join: answer with --over-2g raw (RAW file) or --over-2g wav\n"
                    "  (WAVE file with capped header, renamed ..._tooLONG.wav)\n",
                    stderr);
                return 1;
            }
            if (over2g == Over2G::Raw) {
                raw = true;
                target = ReplaceExtension(target, ".raw");
            }
            break;
    }
    // The output is created empty before the sources are read: replacing a
    // source would destroy the audio to be joined, and a script cannot
    // answer the window's overwrite question, so nothing is replaced.
    std::vector<std::string> names;
    for (const auto& p : *sources) {
        names.push_back(p.path);
    }
    if (TargetIsASource(target, names)) {
        std::fprintf(stderr, "zolvane2-cli join: %s is one of the files to join\n", target.c_str());
        return 1;
    }
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
        std::fprintf(stderr, "zolvane2-cli join: %s exists; not replaced\n", target.c_str());
        return 1;
    }

    auto* job = new TCombineThread;
    for (std::size_t i = 0; i < sources->size(); ++i) {
        job->SetDataOffsets(i, (*sources)[i].dataOffset);
        job->SetDataLengths(i, (*sources)[i].dataSize);
    }
    job->SetFileNames(names);
    job->SetTotalBytes(total);
    job->SetRawOutput(raw);
    // Created only where nothing is yet: of two joins racing for one name,
    // one fails instead of both succeeding, and a link planted at the name
    // is not followed.
    job->SetCreateNew(true);
    job->SetOutputFileName(target);
    job->SetSampleRate(parameters.frequency);
    job->SetChannels(parameters.channels);

    const JobOutcome outcome = RunJobWithProgress(job);
    if (const int status = JobExitStatus(kCommand, outcome); status != 0) {
        return status;
    }
    if (outcome.filesFinished == 0) {
        std::fputs("zolvane2-cli join: the files hold no audio data; nothing written\n", stderr);
        return 1;
    }
    return 0;
}

const CommandRegistration kJoin{Command{
    kCommand,
    30,
    "join -o OUT [--over-2g raw|wav] [--rate HZ] [--channels N] FILE...",
    "      Joins the audio data of the FILEs, in the order given, into the new\n"
    "      file OUT: a RAW file when OUT ends in .raw, else a WAVE file (.wav is\n"
    "      added to a name without extension). The FILEs must share channels and\n"
    "      sampling frequency. OUT is checked first against the free space and\n"
    "      the file-system's size limit; messages go to stderr with exit status\n"
    "      1 and nothing is written. An existing OUT is never replaced. The\n"
    "      path of the finished file is printed on stdout. Ctrl-C stops: what\n"
    "      was joined so far is finished and printed (exit status 130).\n"
    "      --over-2g raw|wav  answer to a WAVE output above 2 GB: write a RAW file\n"
    "                         (OUT's extension becomes .raw) or a WAVE file with a\n"
    "                         capped header, renamed ..._tooLONG.wav; without it\n"
    "                         the question is printed and nothing is written\n"
    "      --rate HZ          sampling frequency of RAW FILEs (default 44100)\n"
    "      --channels N       channels of RAW FILEs, 1 or 2 (default 2)\n",
    RunJoin,
}};

}  // namespace

}  // namespace zolvane2::cli
