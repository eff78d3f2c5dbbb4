// zolvane2-cli play: plays track files one after another through the player
// component, optionally only the first seconds of each (intro play).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "cli/OptionTable.h"
#include "cli/StopSignals.h"
#include "platform/FileSystem.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/UserMessages.h"
#include "play/TWaveOutPlayer.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "play";

// Puts the command's message service in place for its run.
class MessagesGuard {
public:
    explicit MessagesGuard(UserMessages& messages) : previous_(&GetUserMessages()) { SetUserMessages(&messages); }
    MessagesGuard(const MessagesGuard&) = delete;
    MessagesGuard& operator=(const MessagesGuard&) = delete;
    ~MessagesGuard() { SetUserMessages(previous_); }

private:
    UserMessages* previous_;
};

OptionTable IntroOption() {
    return {{.name = "--intro",
             .valueName = "SECONDS",
             .kind = OptionRow::Kind::Integer,
             .low = 1,
             .high = 24LL * 3600,
             .help = {"play only the first SECONDS of each file", "各ファイルの最初の SECONDS 秒だけ再生する"}}};
}

OptionTable Options() {
    const OptionTable intro = IntroOption();
    const OptionTable raw = RawFileOptions();
    return Joined({&intro, &raw});
}

struct PlayOptions {
    int introSeconds = 0;  // 0: play whole files
    int rate = 44100;
    int channels = 2;
    std::vector<std::string> files;
};

PlayOptions Read(const ParsedOptions& line) {
    PlayOptions options;
    for (const auto& [name, target] : {std::pair{"--intro", &options.introSeconds}, std::pair{"--rate", &options.rate},
                                       std::pair{"--channels", &options.channels}}) {
        if (const GivenOption* o = line.Last(name)) {
            *target = static_cast<int>(o->number);
        }
    }
    options.files = line.operands;
    return options;
}

// The position line: file number, name, read position and length.
void ShowPosition(const TWaveOutPlayer& player, std::size_t number, std::size_t total, const std::string& path) {
    const int rate = player.SamplesPerSec() > 0 ? player.SamplesPerSec() : 1;
    const double position = static_cast<double>(player.SamplePosition()) / rate;
    const double length = static_cast<double>(player.SampleCount()) / rate;
    std::fprintf(stderr, "\r[%zu/%zu] %s  %s / %s\033[K", number, total, FileSystem::NameOf(path).c_str(),
                 TrackFileReader::LengthText(position).c_str(), TrackFileReader::LengthText(length).c_str());
    std::fflush(stderr);
}

int RunPlay(const ParsedOptions& line) {
    const PlayOptions options = Read(line);
    if (options.files.empty()) {
        return UsageFailure(kCommand, NoFileGiven());
    }
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    if (dispatcher == nullptr) {
        PrintFailure(kCommand, "no main-thread dispatcher");
        return 1;
    }
    FileReportMessages messages;
    const MessagesGuard messagesGuard(messages);
    // Ctrl-C, SIGTERM and SIGHUP stop the player, which closes the device
    // before the program ends.
    const StopSignals stopSignals;
    const bool terminal = StderrIsTerminal();

    TWaveOutPlayer player(dispatcher);
    bool ended = false;
    player.SetOnPlayEnd([&ended](TWaveOutPlayer* /*sender*/) { ended = true; });

    int status = 0;
    for (std::size_t n = 0; n < options.files.size() && !StopSignals::Raised(); ++n) {
        const std::string path = FullPathOf(options.files[n]);
        // The reader says why a WAVE file that the player would take is no
        // 16-bit PCM, instead of it being played as noise.
        const bool wave = TrackFileReader::IsTrackFileName(path) && !TrackFileReader::IsRawFileName(path);
        if (wave && FileSystem::LookUp(path) &&
            !TrackFileReader::ReadFileProperties(path, options.rate, options.channels, messages)) {
            status = 1;
            continue;
        }
        if (!player.SetFileName(path)) {
            if (FileSystem::LookUp(path) && !TrackFileReader::IsTrackFileName(path)) {
                PrintFailure(kCommand, Fill(Say("%1: not a WAVE (.wav) or RAW (.raw) track file",
                                                "%1: WAVE (.wav) または RAW (.raw) のトラックファイルではありません"),
                                            {path}));
            }
            status = 1;
            continue;
        }
        if (TrackFileReader::IsRawFileName(path)) {
            player.SetChannels(options.channels);
            player.SetSamplesPerSec(options.rate);
        }
        ended = false;
        player.Play();
        const auto started = std::chrono::steady_clock::now();
        auto nextLine = started;
        bool stopAsked = false;
        while (!ended) {
            dispatcher->Pump(std::chrono::milliseconds(50));
            const auto now = std::chrono::steady_clock::now();
            const bool introOver =
                options.introSeconds > 0 && now - started >= std::chrono::seconds(options.introSeconds);
            if (!stopAsked && (StopSignals::Raised() || introOver)) {
                player.Stop();
                stopAsked = true;
            }
            if (terminal && !ended && now >= nextLine) {
                ShowPosition(player, n + 1, options.files.size(), path);
                nextLine = now + std::chrono::milliseconds(250);
            }
        }
        if (terminal) {
            std::fputs("\r\033[K", stderr);
        }
        switch (player.EndReason()) {
            case TPlayEndReason::Played:
                break;
            case TPlayEndReason::FileFailed:
                status = 1;
                break;
            case TPlayEndReason::NoDevice:
                PrintFailure(kCommand, Say("no sound output device (is the sound server running?)",
                                           "音の出力デバイスがありません (サウンドサーバーは動いていますか?)"));
                return 1;
            case TPlayEndReason::DeviceFailed:
                return 1;
        }
    }
    if (StopSignals::Raised()) {
        return 128 + StopSignals::Signal();
    }
    return status;
}

std::string PlayHelp() {
    return Say("      Plays WAVE (.wav) and RAW (.raw) track files one after another on\n"
               "      the default sound output. On a terminal a position line on stderr\n"
               "      shows the file and its read position. Ctrl-C, SIGTERM or SIGHUP\n"
               "      stops the playback and closes the device. A file that cannot be\n"
               "      played is reported on stderr and passed over.\n"
               "      Exit status: 0 when all was played, 1 when a file could not be\n"
               "      played or at once when the sound output cannot be opened, 2 for a\n"
               "      bad command line, 128 + the signal after a stop (130 for Ctrl-C).\n",
               "      WAVE (.wav) と RAW (.raw) のトラックファイルを、既定の音の出力で順に\n"
               "      再生します。端末なら標準エラーの位置の行にファイルと再生位置を示し\n"
               "      ます。Ctrl-C、SIGTERM、SIGHUP で再生を止め、デバイスを閉じます。\n"
               "      再生できないファイルは標準エラーに示して飛ばします。\n"
               "      終了ステータス: すべて再生して 0、再生できないファイルがあったとき、\n"
               "      または音の出力を開けないとき (直ちに) 1、コマンド行の誤りで 2、停止\n"
               "      では 128 + シグナル番号 (Ctrl-C で 130)。\n") +
           OptionLines(Options());
}

const CommandRegistration kPlay{Command{
    kCommand,
    60,
    "play [--intro SECONDS] [-r HZ] [-c 1|2] FILE...",
    PlayHelp,
    RunPlay,
    Options,
}};

}  // namespace

}  // namespace zolvane2::cli
