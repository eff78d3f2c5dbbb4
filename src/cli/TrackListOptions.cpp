#include "cli/TrackListOptions.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "cli/CommandLine.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "jobs/CutPointFile.h"
#include "jobs/CutPointTargets.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2::cli {

OptionTable TrackListOptions::Options() {
    return {
        {.name = "--track-list",
         .valueName = "FILE",
         .kind = OptionRow::Kind::Name,
         .help = {"a track list that tags the pieces in order (one line\n"
                  "per piece: \"A1 Artist - Title 3:41\", position,\n"
                  "artist and time optional; ARTIST:, ALBUM:, DATE:,\n"
                  "GENRE: lines) or a cue sheet; gap mode takes its times",
                  "ピースに順にタグを付ける曲目リスト (1 行に 1 ピース:\n"
                  "\"A1 アーティスト - 曲名 3:41\"、位置・アーティスト・\n"
                  "時間は省略可。ARTIST:, ALBUM:, DATE:, GENRE: の行)\n"
                  "またはキューシート。ギャップモードはその時間も使う"},
         .refusal = {"%1 needs a file name", "%1 にはファイル名が必要です"}},
        {.name = "--name",
         .valueName = "TEMPLATE",
         .kind = OptionRow::Kind::Name,
         .help = {"name the listed pieces: {pos} (A1, else {nn}), {n},\n"
                  "{nn} (01), {title}, {artist}, {album}; e.g.\n"
                  "'{pos} {title}'. The default keeps the number names",
                  "リストのピースの名前: {pos} (A1、なければ {nn})、{n}、\n"
                  "{nn} (01)、{title}、{artist}、{album}。例:\n"
                  "'{pos} {title}'。既定は番号の名前のまま"},
         .refusal = {"%1 needs a template", "%1 にはテンプレートが必要です"}},
    };
}

std::string TrackListOptions::HelpText() {
    return OptionLines(Options()) +
           Say("      Names lose \"/\", control characters and : * ? \" < > | \\ (as \"_\"),\n"
               "      fit in 255 bytes and never replace a file: a taken name gets \" (2)\".\n",
               "      名前の \"/\"、制御文字、: * ? \" < > | \\ は \"_\" になり、255 バイトに\n"
               "      収め、ファイルを置き換えません (使われている名前には \" (2)\" を付ける)。\n");
}

void TrackListOptions::Take(const ParsedOptions& line) {
    if (const GivenOption* o = line.Last("--track-list")) {
        path_ = o->text;
    }
    if (const GivenOption* o = line.Last("--name")) {
        if (const auto field = TrackNamePlan::UnknownField(o->text)) {
            throw UsageError(Fill(Say("--name: no field %1 (fields: {pos} {n} {nn} {title} {artist} {album})",
                                      "--name: %1 というフィールドはありません ({pos} {n} {nn} {title} {artist} "
                                      "{album} が使えます)"),
                                  {*field}));
        }
        template_ = o->text;
    }
}

void TrackListOptions::Check(std::size_t sourceCount) const {
    if (!template_.empty() && path_.empty()) {
        throw UsageError(Say("--name wants --track-list", "--name には --track-list が必要です"));
    }
    if (!path_.empty() && sourceCount != 1) {
        throw UsageError(Say("a track list is for exactly one FILE", "曲目リストは FILE がひとつのときだけ使えます"));
    }
}

void TrackListOptions::AddInputs(CutPointTargets& targets) const {
    if (!path_.empty()) {
        targets.AddInput(path_);
    }
}

bool TrackListOptions::Load(const char* command, const TrackTags& album) {
    if (path_.empty()) {
        return true;
    }
    const std::string path = FullPathOf(path_);
    try {
        plan_ =
            std::make_shared<const TrackNamePlan>(TrackList::Parse(CutPointFile::ReadWhole(path)), template_, album);
        return true;
    } catch (const TrackListError&) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), Say("holds no track", "曲がありません"));
    } catch (const Error& e) {
        std::string reason;
        switch (e.Code()) {
            case 0:
                PrintFailure(command, FileReportMessages::Format(e.Text()));
                return false;
            case EINVAL:
                reason = Say("not a regular file", "通常のファイルではありません");
                break;
            case EFBIG:
                reason =
                    Say("larger than 16 MB, which no track list is", "16 MB を超えています (曲目リストではありません)");
                break;
            default:
                reason = SystemReason(e.Code());
        }
        PrintFailure(command, path + ": " + reason);
    }
    return false;
}

bool TrackListOptions::Durations(std::vector<double>& times) const {
    if (!plan_) {
        return true;
    }
    try {
        times = plan_->List().Durations();
        return true;
    } catch (const TrackListError& e) {
        const std::string path = FullPathOf(path_);
        if (e.Line() > 0) {
            std::fprintf(stderr, "%s:%d: %s\n  %s\n", path.c_str(), e.Line(),
                         Say("no time (M:SS) at the end of this line", "この行の終わりに時間 (分:秒) がありません"),
                         e.LineText().c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", path.c_str(),
                         Say("the last track has no time", "最後の曲に時間がありません"));
        }
        return false;
    }
}

}  // namespace zolvane2::cli

namespace zolvane2::cli {

std::string TrackListOptions::NameFinished(const char* command, const std::string& path, std::int64_t index) const {
    const std::string name = plan_ ? plan_->NameFor(static_cast<std::size_t>(index)) : "";
    if (name.empty()) {
        return path;
    }
    // A capped WAVE track keeps the mark that it was cut at the size limit.
    constexpr std::string_view kCapped = "_tooLONG.wav";
    const std::string ext = path.ends_with(kCapped) ? std::string(kCapped) : FileSystem::ExtensionOf(path);
    std::string named = TrackNaming::RenameToFreeName(path, FileSystem::FolderOf(path), name, ext);
    if (named.empty()) {
        PrintFailure(command, Say("warning: ", "警告: ") + path + ": " + SystemReason(errno));
        return path;
    }
    return named;
}

void TrackListOptions::ReportFit(const char* command, const std::string& source, std::int64_t pieces) const {
    if (!plan_ || static_cast<std::size_t>(pieces) == plan_->Count()) {
        return;
    }
    const UserText text(
        static_cast<std::size_t>(pieces) < plan_->Count() ? TextId::TrackListLonger : TextId::TrackListShorter,
        {source, std::to_string(plan_->Count()), std::to_string(pieces)});
    PrintFailure(command, Say("warning: ", "警告: ") + (JapaneseLocale() ? text.Japanese() : text.English()));
}

}  // namespace zolvane2::cli
