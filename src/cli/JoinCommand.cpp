// zolvane2-cli join: combines the audio of several files into one, as the
// window's combine button does, with the same checks and texts.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"
#include "cli/SplitJoinJob.h"
#include "jobs/CombineChecks.h"
#include "jobs/TCombineThread.h"
#include "platform/StderrUserMessages.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "join";

enum class Over2G { Ask, Raw, Wave };

// A check's message as the window's message box would show it.
void PrintCheck(const UserText& caption, const UserText& text) {
    const std::string line = Render(caption) + ": " + StderrUserMessages::ToUnixLines(Render(text)) + "\n";
    std::fputs(line.c_str(), stderr);
}

OptionTable Options() {
    using Kind = OptionRow::Kind;
    return {
        {.name = "--output",
         .shortName = "-o",
         .valueName = "OUT",
         .kind = Kind::Name,
         .help = {"the new file", "新しいファイル"}},
        {.name = "--over-2g",
         .valueName = "raw|wav",
         .kind = Kind::Choice,
         .help = {"answer to a WAVE output above 2 GB: write a RAW file\n"
                  "(OUT's extension becomes .raw) or a WAVE file with a\n"
                  "capped header, renamed ..._tooLONG.wav; without it\n"
                  "the question is printed and nothing is written",
                  "2G を越える WAVE 出力への答え: RAW ファイルを書く\n"
                  "(OUT の拡張子は .raw になる)、またはヘッダを上限で\n"
                  "止めた WAVE ファイルを書き ..._tooLONG.wav と名付ける。\n"
                  "ないときは質問を出して何も書かない"},
         .choices = {"raw", "wav"},
         .refusal = {"--over-2g wants raw or wav, not '%1'",
                     "--over-2g には raw か wav を指定してください ('%1' は使えません)"}},
        RateOption(
            {"sampling frequency of RAW FILEs (default 44100)", "RAW の FILE のサンプリング周波数 (既定 44100)"}),
        ChannelsOption({"channels of RAW FILEs, 1 or 2 (default 2)", "RAW の FILE のチャンネル数 1 または 2 (既定 2)"}),
    };
}

int RunJoin(const ParsedOptions& line) {
    const GivenOption* output = line.Last("--output");
    const GivenOption* over2gOption = line.Last("--over-2g");
    const GivenOption* rateOption = line.Last("--rate");
    const GivenOption* channelsOption = line.Last("--channels");
    const std::string out = output != nullptr ? output->text : "";
    const Over2G over2g = over2gOption == nullptr     ? Over2G::Ask
                          : over2gOption->number == 0 ? Over2G::Raw
                                                      : Over2G::Wave;
    const int rate = rateOption != nullptr ? static_cast<int>(rateOption->number) : 44100;
    const int channels = channelsOption != nullptr ? static_cast<int>(channelsOption->number) : 2;
    const std::vector<std::string>& files = line.operands;
    if (out.empty()) {
        return UsageFailure(kCommand, Say("no output file given (-o OUT)", "出力ファイルがありません (-o OUT)"));
    }
    if (files.empty()) {
        return UsageFailure(kCommand, NoFileGiven());
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
        PrintCheck(kParameterMismatchCaption, UserText(TextId::ParameterMismatch));
        std::fprintf(stderr, "  %s\n", offending->path.c_str());
        return 1;
    }
    if (parameters.Empty()) {
        PrintFailure(kCommand,
                     Say("no mono or stereo file to join", "結合するモノラルまたはステレオのファイルがありません"));
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
                PrintFailure(kCommand, Say("answer with --over-2g raw (RAW file) or --over-2g wav\n"
                                           "  (WAVE file with capped header, renamed ..._tooLONG.wav)",
                                           "--over-2g raw (RAW ファイル) または --over-2g wav (ヘッダを上限で\n"
                                           "  止めた WAVE ファイル、名前は ..._tooLONG.wav) で答えてください"));
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
        PrintFailure(kCommand,
                     Fill(Say("%1 is one of the files to join", "%1 は結合するファイルの一つです"), {target}));
        return 1;
    }
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
        PrintFailure(kCommand, Fill(Say("%1 exists; not replaced", "%1 はあるので置き換えません"), {target}));
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

    const JobOutcome outcome = RunJobWithProgress(kCommand, job);
    if (const int status = JobExitStatus(kCommand, outcome); status != 0) {
        return status;
    }
    if (outcome.filesFinished == 0) {
        PrintFailure(kCommand, Say("the files hold no audio data; nothing written",
                                   "ファイルに音声データがないので、何も書きませんでした"));
        return 1;
    }
    return 0;
}

std::string JoinHelp() {
    return Say("      Joins the audio data of the FILEs, in the order given, into the new\n"
               "      file OUT: a RAW file when OUT ends in .raw, else a WAVE file (.wav is\n"
               "      added to a name without extension). The FILEs must share channels and\n"
               "      sampling frequency. OUT is checked first against the free space and\n"
               "      the file-system's size limit; messages go to stderr with exit status\n"
               "      1 and nothing is written. An existing OUT is never replaced. The\n"
               "      path of the finished file is printed on stdout. Ctrl-C, SIGTERM,\n"
               "      SIGHUP or a closed stdout stops: what was joined so far is finished\n"
               "      and named on stderr as cut short.\n",
               "      FILE の音声データを、与えた順に新しいファイル OUT に結合します。\n"
               "      OUT が .raw で終われば RAW ファイル、それ以外は WAVE ファイル (拡張子\n"
               "      のない名前には .wav を付ける)。FILE のチャンネル数とサンプリング周波数\n"
               "      は同じでなければなりません。まず空き容量とファイルシステムのサイズ\n"
               "      上限を調べ、足りなければ標準エラーにメッセージを出して終了ステータス\n"
               "      1 で終わり、何も書きません。既にある OUT は置き換えません。完成した\n"
               "      ファイルのパスを標準出力に出します。Ctrl-C、SIGTERM、SIGHUP、または\n"
               "      標準出力が閉じられると止まり、そこまで結合したものを完成させ、途中で\n"
               "      打ち切られたものとして標準エラーに示します。\n") +
           JobExitStatusHelp() + OptionLines(Options());
}

const CommandRegistration kJoin{Command{
    kCommand,
    30,
    "join -o OUT [--over-2g raw|wav] [-r HZ] [-c N] FILE...",
    JoinHelp,
    RunJoin,
    Options,
}};

}  // namespace

}  // namespace zolvane2::cli
