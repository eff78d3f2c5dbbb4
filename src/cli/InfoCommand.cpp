// zolvane2-cli info: the result list's view of track files, one row per file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "info";

int RunInfo(const ParsedOptions& line) {
    const GivenOption* rateOption = line.Last("--rate");
    const GivenOption* channelsOption = line.Last("--channels");
    const int rate = rateOption != nullptr ? static_cast<int>(rateOption->number) : 44100;
    const int channels = channelsOption != nullptr ? static_cast<int>(channelsOption->number) : 2;
    const std::vector<std::string>& files = line.operands;
    if (files.empty()) {
        return UsageFailure(kCommand, NoFileGiven());
    }
    FileReportMessages messages;
    int status = 0;
    for (const auto& name : files) {
        // Relative names become full paths, so that the message and the folder
        // column name the file without doubt.
        const std::string path = FullPathOf(name);
        if (!FileSystem::LookUp(path)) {
            messages.Show(UserText(TextId::NotFound, {path}), "", MsgIcon::Error, MsgButtons::Ok);
            status = 1;
            continue;
        }
        if (!TrackFileReader::IsTrackFileName(path)) {
            // A file asked about and not shown is a failure, never a silent success.
            messages.Show(UserText(TextId::NotTrackFile, {path}), "", MsgIcon::Error, MsgButtons::Ok);
            status = 1;
            continue;
        }
        try {
            const auto p = TrackFileReader::ReadFileProperties(path, rate, channels, messages);
            if (!p) {
                status = 1;
                continue;
            }
            std::printf("%s\t%s\t%s\t%s\t%d\t%s\t%lld\t%lld\n", p->fileName.c_str(), p->dateText.c_str(),
                        p->lengthText.c_str(), p->channelText.c_str(), p->sampleRate, p->folder.c_str(),
                        static_cast<long long>(p->dataOffset), static_cast<long long>(p->dataSize));
        } catch (const Error& e) {
            PrintFailure(kCommand, ErrorText(e));
            status = 1;
        }
    }
    std::fflush(stdout);
    return status;
}

std::string InfoHelp() {
    return Say("      Shows each WAVE (.wav), RAW (.raw) or FLAC (.flac) track file as one\n"
               "      line of TAB-separated fields: file name, date, length, channels,\n"
               "      sampling frequency, folder (ending in \"/\"), data offset, data size\n"
               "      (FLAC: 0 and the bytes of its frames decoded). A missing file, one\n"
               "      of another kind or one that cannot be read is reported on stderr as\n"
               "      \"<full path>: <text>\".\n"
               "      Exit status: 0, 1 when a file was missing or rejected, 2 for a bad\n"
               "      command line.\n",
               "      各 WAVE (.wav)、RAW (.raw)、FLAC (.flac) のトラックファイルを、タブ\n"
               "      区切りの 1 行で示します: ファイル名、日付、長さ、チャンネル、サンプリ\n"
               "      ング周波数、フォルダ (\"/\" で終わる)、データの位置、データの大きさ\n"
               "      (FLAC は 0 と、デコードしたフレームのバイト数)。ないファイル、他の種類\n"
               "      のファイル、読めないファイルは標準エラーに \"<フルパス>: <説明>\" と\n"
               "      して示します。\n"
               "      終了ステータス: 0、ファイルがないか読めなかったとき 1、コマンド行の\n"
               "      誤りで 2。\n") +
           OptionLines(RawFileOptions());
}

const CommandRegistration kInfo{Command{
    kCommand,
    20,
    "info [-r HZ] [-c 1|2] FILE...",
    InfoHelp,
    RunInfo,
    RawFileOptions,
}};

}  // namespace

}  // namespace zolvane2::cli
