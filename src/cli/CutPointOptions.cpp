#include "cli/CutPointOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <utility>

#include "cli/CommandLine.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "cli/SplitJoinJob.h"
#include "jobs/CutPointFile.h"
#include "jobs/CutPointMarker.h"
#include "jobs/CutPointTargets.h"
#include "jobs/TCutThread.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace zolvane2::cli {

namespace {

std::string Reason(const CutPointFileError& e, bool cue, double lengthSeconds) {
    using Problem = CutPointFileError::Problem;
    switch (e.What()) {
        case Problem::BadTime:
            return cue ? Say("INDEX 01 wants a time mm:ss:ff", "INDEX 01 には mm:ss:ff の時間が必要です")
                       : Say("a label wants start and end in seconds (start TAB end TAB name)",
                             "ラベルには開始と終了の秒数が必要です (開始 TAB 終了 TAB 名前)");
        case Problem::TooLarge:
            return Say("this time is too large to be a place in any audio",
                       "この時間は大きすぎて音声の位置になりません");
        case Problem::EndBeforeStart:
            return Say("the end lies before the start", "終了が開始より前です");
        case Problem::Mixed:
            return Say("point labels and region labels cannot be mixed", "点のラベルと範囲のラベルは混ぜられません");
        case Problem::GoesBack:
            return Say("this cut point lies before the one above it", "この切り出し位置は前の行の位置より前です");
        case Problem::PastEnd: {
            char length[32];
            std::snprintf(length, sizeof length, "%.6f", lengthSeconds);
            return Say("this time lies after the end of the audio at ", "この時間は音声の終わりより後です: ") +
                   std::string(length);
        }
        case Problem::NoIndex:
            return Say("this TRACK has no INDEX 01", "この TRACK には INDEX 01 がありません");
        case Problem::Empty:
            return cue ? Say("holds no INDEX 01", "INDEX 01 がありません")
                       : Say("holds no label", "ラベルがありません");
        case Problem::NoPiece:
            return Say("gives no piece to cut: every label is shorter than one frame",
                       "切り出すピースがありません (どのラベルも 1 フレームより短い)");
        case Problem::OtherFile:
            return Say("this FILE is not the file being cut; nothing was cut",
                       "この FILE は切り出すファイルではありません。何も切り出していません");
        case Problem::SeveralFiles:
            return Say("a second FILE: a sheet of several files cannot cut one; nothing was cut",
                       "2 つ目の FILE です。複数のファイルのシートでは 1 つのファイルを切り出せません。"
                       "何も切り出していません");
        case Problem::Unreadable:
            return Say("is not a cue sheet libcue can read", "libcue で読めるキューシートではありません");
    }
    return {};
}

// "file: reason" for a cut-point file that could not be read.
std::string ReadFailureText(const std::string& path, const Error& e) {
    switch (e.Code()) {
        case EINVAL:
            return path + ": " + Say("not a regular file", "通常のファイルではありません");
        case EFBIG:
            return path + ": " +
                   Say("larger than 16 MB, which no label file or cue sheet is",
                       "16 MB を超えています (ラベルファイルやキューシートではありません)");
        case 0:
            return FileReportMessages::Format(e.Text());
        default:
            return path + ": " + SystemReason(e.Code());
    }
}

}  // namespace

namespace {

constexpr Texts kNeedsFileName{"%1 needs a file name", "%1 にはファイル名が必要です"};

OptionRow FileOption(const char* name, Texts help) {
    return {.name = name, .valueName = "FILE", .kind = OptionRow::Kind::Name, .help = help, .refusal = kNeedsFileName};
}

OptionRow DryRunOption(Texts help) {
    return {.name = "--dry-run",
            .kind = OptionRow::Kind::Flag,
            .help = help,
            .refusal = {"%1 takes no value", "%1 は値を取りません"}};
}

}  // namespace

OptionTable CutPointOptions::SplitOptions() {
    return {
        FileOption("--labels", {"also write where each piece lies in its source as an\n"
                                "Audacity label file (start TAB end TAB name, seconds)",
                                "ピースの位置を Audacity のラベルファイルにも書く\n"
                                "(開始 TAB 終了 TAB 名前、秒)"}),
        FileOption("--cue", {"also write them as a cue sheet (one TRACK per piece)",
                             "ピースの位置をキューシートにも書く (ピースごとに TRACK)"}),
        DryRunOption({"write only the --labels/--cue files, no pieces",
                      "--labels/--cue のファイルだけを書き、ピースは書かない"}),
        FileOption("--from-labels", {"cut exactly at an Audacity label file: each region\n"
                                     "label becomes one piece (audio outside them is left\n"
                                     "out); point labels cut FILE into consecutive pieces",
                                     "Audacity のラベルファイルのとおりに切る: 範囲ラベルが\n"
                                     "それぞれひとつのピース (範囲外の音は除く)、点ラベルは\n"
                                     "その位置で続けて切る"}),
        FileOption("--from-cue", {"cut at a cue sheet's INDEX 01 points, each piece\n"
                                  "running to the next; audio before the first is left out",
                                  "キューシートの INDEX 01 の位置で切る (次の位置まで\n"
                                  "がひとつのピース、最初の位置より前は除く)"}),
    };
}

OptionTable CutPointOptions::RecordOptions() {
    return {
        FileOption("--labels", {"with --mode none: record one uncut file and mark in an\n"
                                "Audacity label file where the trigger options would cut\n"
                                "it; rewritten after every piece",
                                "--mode none と共に: 切らずにひとつのファイルに録音し、\n"
                                "トリガの設定で切る位置を Audacity のラベルファイルに\n"
                                "記録する (ピースごとに書き直す)"}),
        FileOption("--cue", {"the same marks as a cue sheet", "同じ位置をキューシートに記録する"}),
        DryRunOption({}),
        FileOption("--from-labels", {}),
        FileOption("--from-cue", {}),
    };
}

void CutPointOptions::Take(const ParsedOptions& line) {
    for (const auto& [name, target] : {std::pair{"--labels", &labelsOut_}, std::pair{"--cue", &cueOut_},
                                       std::pair{"--from-labels", &labelsIn_}, std::pair{"--from-cue", &cueIn_}}) {
        if (const GivenOption* o = line.Last(name)) {
            *target = o->text;
        }
    }
    dryRun_ = line.Last("--dry-run") != nullptr;
}

void CutPointOptions::CheckForSplit(std::size_t sourceCount, bool splitOnce) const {
    if (!labelsIn_.empty() && !cueIn_.empty()) {
        throw UsageError(
            Say("--from-labels and --from-cue exclude each other", "--from-labels と --from-cue は同時に使えません"));
    }
    if (CutsFromFile() && splitOnce) {
        throw UsageError(Say("--at cannot be used with --from-labels or --from-cue",
                             "--at は --from-labels や --from-cue と同時に使えません"));
    }
    if (dryRun_ && !WritesCutPoints()) {
        throw UsageError(Say("--dry-run wants --labels or --cue", "--dry-run には --labels か --cue が必要です"));
    }
    if ((WritesCutPoints() || CutsFromFile()) && sourceCount != 1) {
        throw UsageError(Say("cut points are read and written for exactly one FILE",
                             "切り出し位置の読み書きは FILE がひとつのときだけできます"));
    }
}

void CutPointOptions::CheckForRecord(bool uncut) const {
    if (CutsFromFile() || dryRun_) {
        throw UsageError(Say("--from-labels, --from-cue and --dry-run belong to split",
                             "--from-labels, --from-cue, --dry-run は split のオプションです"));
    }
    if (WritesCutPoints() && !uncut) {
        throw UsageError(Say("--labels and --cue want --mode none: the recording is kept whole and only marked",
                             "--labels と --cue には --mode none が必要です (録音は切らずに位置だけを記録します)"));
    }
}

std::string CutPointOptions::RefusalText(CutPointTargets::Refusal refusal, const std::string& path) {
    using Refusal = CutPointTargets::Refusal;
    switch (refusal) {
        case Refusal::None:
            break;
        case Refusal::Input:
            return Say("this run reads that file; it is not replaced", "この実行が読むファイルなので、置き換えません");
        case Refusal::Temporary:
            return Fill(Say("its temporary name %1.part is taken by a link, a folder or a file this run reads",
                            "一時ファイルの名前 %1.part が、リンクやフォルダ、この実行が読むファイルに使われています"),
                        {path});
        case Refusal::Output:
            return Say("this run writes that file already; --labels and --cue want two files",
                       "この実行が既に書くファイルです (--labels と --cue には別々のファイルが必要です)");
        case Refusal::TrackFile:
            return Say("this run may create a track file of that name", "この実行が作るトラックファイルの名前です");
        case Refusal::NotCutPoints:
            return Say("that file is no label file or cue sheet; it is not replaced",
                       "ラベルファイルでもキューシートでもないファイルなので、置き換えません");
    }
    return {};
}

bool CutPointOptions::CheckTargets(const char* command, CutPointTargets& targets) const {
    for (const std::string& input : {labelsIn_, cueIn_}) {
        if (!input.empty()) {
            targets.AddInput(input);
        }
    }
    for (const auto& [option, path] : {std::pair{"--labels", labelsOut_}, std::pair{"--cue", cueOut_}}) {
        if (path.empty()) {
            continue;
        }
        if (const auto refusal = targets.Check(path); refusal != CutPointTargets::Refusal::None) {
            PrintFailure(command, std::string(option) + " " + path + ": " + RefusalText(refusal, path));
            return false;
        }
    }
    return true;
}

bool CutPointOptions::Prepare(TCutThread& job, const FileProperties& source, std::int64_t& totalBytes) {
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(std::max(source.channels, 1));
    // A FLAC file's data size is that of its frames decoded, which its file size does not bound.
    const std::int64_t available =
        source.flac ? source.dataSize
                    : std::clamp<std::int64_t>(source.fileSize - source.dataOffset, 0, source.dataSize);
    const std::int64_t totalFrames = available / frameBytes;
    if (CutsFromFile()) {
        const bool cue = !cueIn_.empty();
        const std::string path = FullPathOf(cue ? cueIn_ : labelsIn_);
        std::vector<CutPoint> pieces;
        try {
            pieces =
                cue ? CutPointFile::PiecesFromCue(CutPointFile::ReadWhole(path), source.sampleRate, totalFrames,
                                                  source.path)
                    : CutPointFile::PiecesFromLabels(CutPointFile::ReadWhole(path), source.sampleRate, totalFrames);
        } catch (const CutPointFileError& e) {
            const double seconds = static_cast<double>(totalFrames) / std::max(source.sampleRate, 1);
            if (e.Line() > 0) {
                std::fprintf(stderr, "%s:%d: %s\n  %s\n", path.c_str(), e.Line(), Reason(e, cue, seconds).c_str(),
                             e.LineText().c_str());
            } else {
                std::fprintf(stderr, "%s: %s\n", path.c_str(), Reason(e, cue, seconds).c_str());
            }
            return false;
        } catch (const Error& e) {
            PrintFailure("split", ReadFailureText(path, e));
            return false;
        }
        totalBytes = 0;
        for (const CutPoint& p : pieces) {
            totalBytes += (p.EndFrame - p.StartFrame) * frameBytes;
        }
        job.SetCutRanges(std::move(pieces));
    }
    if (WritesCutPoints()) {
        job.SetCutPointLog(&log_);
    }
    job.SetDryRun(dryRun_);
    return true;
}

bool CutPointOptions::Finish(const FileProperties& source) const {
    try {
        if (!labelsOut_.empty()) {
            CutPointFile::WriteWhole(labelsOut_, CutPointFile::LabelText(log_.Points(), source.sampleRate));
        }
        if (!cueOut_.empty()) {
            CutPointFile::WriteWhole(
                cueOut_, CutPointFile::CueText(log_.Points(), source.sampleRate, FileSystem::NameOf(source.path)));
        }
    } catch (const Error& e) {
        PrintFailure("split", FileReportMessages::Format(e.Text()));
        return false;
    }
    return true;
}

std::unique_ptr<CutPointMarker> CutPointOptions::MakeMarker(const CuttingSettings& c) const {
    if (!WritesCutPoints()) {
        return nullptr;
    }
    auto marker = std::make_unique<CutPointMarker>(labelsOut_, cueOut_);
    c.ApplyTo(marker->Splitter());
    return marker;
}

std::string CutPointOptions::SplitHelpText() {
    return OptionLines(SplitOptions()) +
           Say("      --labels, --cue, --dry-run and --from-* take exactly one FILE.\n"
               "      --labels and --cue replace only a label file or cue sheet: never FILE,\n"
               "      a piece's name or any other file (exit status 2).\n",
               "      --labels, --cue, --dry-run, --from-* の FILE はひとつだけです。\n"
               "      --labels と --cue が置き換えるのはラベルファイルかキューシートだけで、\n"
               "      FILE やピースの名前、ほかのファイルは置き換えません (終了ステータス 2)。\n");
}

std::string CutPointOptions::RecordHelpText() {
    return OptionLines(RecordOptions()) +
           Say("      With --labels/--cue, --level, --delay, --gap, --tail and --min-length only\n"
               "      mark; nothing is cut. --labels and --cue replace only a label file or\n"
               "      cue sheet, never a track file's name or any other file (exit status 2).\n",
               "      --labels/--cue のとき、--level, --delay, --gap, --tail, --min-length は\n"
               "      位置を記録するだけで、録音は切りません。--labels と --cue が置き換えるのは\n"
               "      ラベルファイルかキューシートだけで、トラックファイルの名前やほかのファイル\n"
               "      は置き換えません (終了ステータス 2)。\n");
}

void ReportShortPieces(const char* command, std::int32_t n) {
    if (n <= 0) {
        return;
    }
    const std::string count = std::to_string(n);
    std::fprintf(stderr, "zolvane2-cli %s: %s\n", command,
                 (JapaneseLocale() ? "--min-length より短い " + count + " 個のピースを除きました"
                                   : count + " piece(s) shorter than --min-length left out")
                     .c_str());
}

}  // namespace zolvane2::cli
