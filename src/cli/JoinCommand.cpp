// zolvane2-cli join: combines the audio of several files into one, as the
// window's combine button does, with the same checks and texts.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CutPointOptions.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"
#include "cli/SplitJoinJob.h"
#include "cli/TrackListOptions.h"
#include "jobs/CombineChecks.h"
#include "jobs/CutPointFile.h"
#include "jobs/CutPointTargets.h"
#include "jobs/CuttingSettings.h"
#include "jobs/TCombineThread.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/StderrUserMessages.h"
#include "trackfile/FlacDecoder.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "join";

enum class Over2G { Ask, Raw, Wave };

// A check's message as the window's message box would show it.
void PrintCheck(const UserText& caption, const UserText& text) {
    const std::string line = Render(caption) + ": " + StderrUserMessages::ToUnixLines(Render(text)) + "\n";
    std::fputs(line.c_str(), stderr);
}

OptionTable OwnOptions() {
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
        {.name = "--cue",
         .valueName = "FILE",
         .kind = Kind::Name,
         .help = {"also write a cue sheet of OUT with one TRACK per FILE\n"
                  "(its TITLE tag, else its name); never replaces a file\n"
                  "that is not a cue sheet or label file",
                  "OUT のキューシートも書く。FILE ごとに 1 つの TRACK\n"
                  "(TITLE タグ、なければファイル名)。キューシートか\n"
                  "ラベルファイルでないファイルは置き換えない"}},
        {.name = "--track-list",
         .valueName = "FILE",
         .kind = Kind::Name,
         .help = {"a track list or cue sheet: its ARTIST, ALBUM, DATE and\n"
                  "GENRE fill the album tags the options and the first\n"
                  "FILE leave empty; its entries give the TITLE and\n"
                  "PERFORMER of the --cue sheet's TRACKs in order",
                  "曲目リストまたはキューシート。ARTIST, ALBUM, DATE,\n"
                  "GENRE は、オプションと最初の FILE にないアルバムの\n"
                  "タグを補う。曲は順に --cue のシートの各 TRACK の\n"
                  "TITLE と PERFORMER になる"},
         .refusal = {"%1 needs a file name", "%1 にはファイル名が必要です"}},
    };
}

OptionTable Options() {
    const OptionTable own = OwnOptions();
    const OptionTable output = CuttingOptionsParser::OutputOptions();
    return Joined({&own, &output});
}

// The album fields of the first piece's tags, options given explicitly winning.
TrackTags JoinedTags(const std::vector<FileProperties>& sources, const CuttingSettings& given) {
    TrackTags tags = sources.front().flac ? JoinedAlbumTags(sources.front().path) : TrackTags{};
    const auto over = [](std::string& field, const std::string& value) {
        if (!value.empty()) {
            field = value;
        }
    };
    over(tags.artist, given.tags.artist);
    over(tags.albumArtist, given.tags.albumArtist);
    over(tags.album, given.tags.album);
    over(tags.date, given.tags.date);
    over(tags.genre, given.tags.genre);
    over(tags.comment, given.tags.comment);
    return tags;
}

// One TRACK per source, from where its audio begins in the output: titled
// and performed by its entry of the track list, else by its TITLE tag or name.
std::string JoinedCue(const std::vector<FileProperties>& sources, int rate, const std::string& target,
                      const TrackNamePlan* plan) {
    std::vector<CutPoint> points;
    std::vector<std::string> performers;
    std::int64_t at = 0;
    for (const FileProperties& p : sources) {
        const std::int64_t frames = p.dataSize / (2 * static_cast<std::int64_t>(std::max(p.channels, 1)));
        const std::size_t index = points.size();
        std::string title;
        if (plan != nullptr && index < plan->Count()) {
            const TrackTags tags = plan->TagsFor(index);
            title = tags.title;
            performers.push_back(tags.artist);
        } else {
            title = p.flac ? FlacDecoder::ReadTags(p.path).title : std::string();
            performers.emplace_back();
        }
        if (title.empty()) {
            title = TrackNaming::Stem(p.fileName);
        }
        points.push_back({at, at + frames, title});
        at += frames;
    }
    return CutPointFile::CueText(points, rate, FileSystem::NameOf(target), performers);
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
    CuttingSettings form;
    CuttingOptionsParser::TakeOutput(line, form);
    const GivenOption* cueOption = line.Last("--cue");
    TrackListOptions trackList;
    trackList.Take(line);
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
    // The form: --format, else OUT's extension.
    const bool formatGiven = line.Last("--format") != nullptr;
    if (LowerExtension(target).empty()) {
        target += form.flacOutput ? ".flac" : form.rawOutput && formatGiven ? ".raw" : ".wav";
    }
    bool raw = formatGiven ? form.rawOutput : LowerExtension(target) == ".raw";
    const bool flac = formatGiven ? form.flacOutput : LowerExtension(target) == ".flac";
    const std::string cuePath = cueOption != nullptr ? FullPathOf(cueOption->text) : std::string();
    if (!cuePath.empty() && FileSystem::NameTaken(cuePath)) {
        std::string old;
        try {
            old = CutPointFile::ReadWhole(cuePath);
        } catch (const Error& e) {
            PrintFailure(kCommand, ErrorText(e));
            return 1;
        }
        if (!CutPointFile::IsCutPointText(old)) {
            PrintFailure(kCommand,
                         Fill(Say("%1 is no cue sheet; not replaced", "%1 はキューシートではないので置き換えません"),
                              {cuePath}));
            return 1;
        }
    }
    if (!cuePath.empty()) {
        // Writing the sheet replaces what is at its name: never a file this
        // run reads (the track list may itself be a cue sheet) or writes.
        CutPointTargets targets;
        for (const FileProperties& p : *sources) {
            targets.AddInput(p.path);
        }
        trackList.AddInputs(targets);
        static_cast<void>(targets.Check(target));
        if (const auto refusal = targets.Check(cuePath); refusal != CutPointTargets::Refusal::None) {
            const std::string why = refusal == CutPointTargets::Refusal::Output
                                        ? Say("this is OUT; it wants a name of its own", "OUT です。別の名前が必要です")
                                        : CutPointOptions::RefusalText(refusal, cuePath);
            PrintFailure(kCommand, "--cue " + cuePath + ": " + why);
            return 1;
        }
    }
    // The options and the first piece's tags win over the list's header.
    if (!trackList.Load(kCommand, JoinedTags(*sources, form))) {
        return 1;
    }
    // FLAC has no 2 GB rule: only the free space and the file system's limit count.
    const CombineSizeCheck check = CheckCombineTarget(target, total, raw || flac);
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
    if (flac && !raw) {
        TrackTags tags = trackList.Plan() ? trackList.Plan()->Album() : JoinedTags(*sources, form);
        if (tags.title.empty()) {
            tags.title = tags.album;
        }
        job->SetFlacOutput(FlacSettings{form.flacLevel}, tags);
    }
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
    if (!cuePath.empty()) {
        try {
            CutPointFile::WriteWhole(cuePath,
                                     JoinedCue(*sources, parameters.frequency, target, trackList.Plan().get()));
        } catch (const Error& e) {
            PrintFailure(kCommand, ErrorText(e));
            return 1;
        }
    }
    trackList.ReportFit(kCommand, target, static_cast<std::int64_t>(sources->size()));
    return 0;
}

std::string JoinHelp() {
    return Say("      Joins the audio data of the FILEs, in the order given, into the new\n"
               "      file OUT: a RAW file when OUT ends in .raw, a FLAC file when it ends\n"
               "      in .flac, else a WAVE file (.wav is added to a name without extension);\n"
               "      --format decides instead when given. WAVE, RAW and FLAC FILEs may be\n"
               "      mixed. A FLAC OUT keeps the album fields of the first FILE's tags\n"
               "      (ALBUM, ARTIST, ALBUMARTIST, DATE, GENRE, DISCNUMBER) unless tag\n"
               "      options are given. The FILEs must share channels and\n"
               "      sampling frequency. OUT is checked first against the free space and\n"
               "      the file-system's size limit; messages go to stderr with exit status\n"
               "      1 and nothing is written. An existing OUT is never replaced. The\n"
               "      path of the finished file is printed on stdout. Ctrl-C, SIGTERM,\n"
               "      SIGHUP or a closed stdout stops: what was joined so far is finished\n"
               "      and named on stderr as cut short.\n",
               "      FILE の音声データを、与えた順に新しいファイル OUT に結合します。\n"
               "      OUT が .raw で終われば RAW ファイル、.flac で終われば FLAC ファイル、\n"
               "      それ以外は WAVE ファイル (拡張子のない名前には .wav を付ける)。\n"
               "      --format を与えればそれで決まります。WAVE、RAW、FLAC の FILE を混ぜて\n"
               "      かまいません。FLAC の OUT は、タグのオプションがなければ最初の FILE の\n"
               "      アルバムのタグ (ALBUM、ARTIST、ALBUMARTIST、DATE、GENRE、DISCNUMBER) を\n"
               "      引き継ぎます。FILE のチャンネル数とサンプリング周波数\n"
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
    50,
    "join -o OUT [--over-2g raw|wav] [--format wav|raw|flac]\n"
    "                     [--flac-level N] [tag options] [--cue FILE]\n"
    "                     [--track-list FILE] [-r HZ] [-c N] FILE...",
    JoinHelp,
    RunJoin,
    Options,
}};

}  // namespace

}  // namespace zolvane2::cli
