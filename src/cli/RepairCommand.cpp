// zolvane2-cli repair: mends the header of a WAVE file that an interrupted
// recording (a kill, a crash, a power cut) left behind.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "platform/Errors.h"
#include "trackfile/TrackFileRepair.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "repair";

void Print(std::FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
}

int RunRepair(const ParsedOptions& line) {
    const std::vector<std::string>& files = line.operands;
    if (files.empty()) {
        return UsageFailure(kCommand, NoFileGiven());
    }
    FileReportMessages messages;
    int status = 0;
    for (const auto& name : files) {
        const std::string path = FullPathOf(name);
        try {
            const TrackFileRepair::Outcome o = TrackFileRepair::Repair(path, messages);
            switch (o.verdict) {
                case TrackFileRepair::Verdict::Repaired:
                    if (o.flac) {
                        Print(stdout, path + Say(": repaired: sample count ", ": 修復しました: サンプル数 ") +
                                          std::to_string(o.samples) + "\n");
                        break;
                    }
                    Print(stdout, path + Say(": repaired: data size ", ": 修復しました: データサイズ ") +
                                      std::to_string(o.dataSize) + Say(" bytes, RIFF size ", " バイト、RIFFサイズ ") +
                                      std::to_string(o.riffSize) + "\n");
                    if (o.fileName != path) {
                        Print(stdout, path + Say(": over 2 GB, renamed to ", ": 2GBを超えるため名前を変更しました: ") +
                                          o.fileName + "\n");
                    }
                    break;
                case TrackFileRepair::Verdict::AlreadyRight:
                    if (o.flac) {
                        Print(stdout, path + Say(": sample count already right; left unchanged\n",
                                                 ": サンプル数は正しいため変更しません\n"));
                        break;
                    }
                    Print(stdout,
                          path + Say(": sizes already right; left unchanged\n", ": サイズは正しいため変更しません\n"));
                    break;
                case TrackFileRepair::Verdict::Refused:
                    status = 1;
                    break;
            }
            if (o.releasedBytes > 0) {
                Print(stdout,
                      path + Say(": gave back ", ": ファイル末尾より後に確保されていた ") +
                          std::to_string(o.releasedBytes) +
                          Say(" bytes of disk space reserved past the end\n", " バイトのディスク領域を解放しました\n"));
            }
        } catch (const Error& e) {
            PrintFailure(kCommand, ErrorText(e));
            status = 1;
        }
        std::fflush(stdout);
    }
    return status;
}

std::string RepairHelp() {
    return Say(
        "      Mends the header of each WAVE FILE that an interrupted recording\n"
        "      (killed, crashed, power cut) left with RIFF and data sizes of 0 or\n"
        "      smaller than the audio present: the sizes are rewritten in place to\n"
        "      the whole frames the file holds. Past 2 GB the header gets the\n"
        "      capped sizes and the file the name ..._tooLONG.wav, as a finished\n"
        "      track does. A file whose data chunk ends at the end of the file, or\n"
        "      is followed by chunks that end exactly there, is right and is left\n"
        "      untouched (exit status 0); the file is opened for writing only to\n"
        "      mend it. Disk space still reserved past the end is given back. A\n"
        "      file that is not a 16-bit PCM WAVE file, whose format chunk is too\n"
        "      short for PCM, or that is still being recorded, is refused with a\n"
        "      message on stderr (exit status 1). Exit status 2 for a bad command\n"
        "      line.\n"
        "      A FLAC FILE killed while being written has no sample count in its\n"
        "      STREAMINFO: its frames are counted and the count is written there,\n"
        "      so that players show its length; a FLAC file with a count is left\n"
        "      untouched.\n",
        "      中断された録音 (強制終了、クラッシュ、停電) が残した WAVE ファイルの\n"
        "      ヘッダーを修復します。RIFF サイズとデータサイズが 0 か実際の音声より\n"
        "      小さいとき、ファイルが持つ完全なフレーム分にその場で書き換えます。\n"
        "      2GB を超えるときは、録音を終えたトラックと同じく上限の値を書き、\n"
        "      ファイル名を ..._tooLONG.wav に変えます。データチャンクがファイルの終わり\n"
        "      で終わるか、その後にちょうどファイルの終わりで終わるチャンクが続く\n"
        "      ファイルは正しいものとして変更しません (終了ステータス 0)。書き込み用に\n"
        "      開くのは修復するときだけです。ファイル末尾より後に確保されたままの\n"
        "      ディスク領域は解放します。16bit PCM の WAVE ファイルでないもの、\n"
        "      フォーマットチャンクが PCM には短すぎるもの、録音中のものは、stderr に\n"
        "      メッセージを出して拒否します (終了ステータス 1)。\n"
        "      コマンド行の誤りは終了ステータス 2。\n"
        "      書き込み中に強制終了された FLAC ファイルは STREAMINFO に\n"
        "      サンプル数がありません。フレームを数えてその数を書き込み、\n"
        "      プレーヤーが長さを示せるようにします。サンプル数のある FLAC\n"
        "      ファイルは変更しません。\n");
}

const CommandRegistration kRepair{Command{
    kCommand,
    70,
    "repair FILE...",
    RepairHelp,
    RunRepair,
}};

}  // namespace

}  // namespace zolvane2::cli
