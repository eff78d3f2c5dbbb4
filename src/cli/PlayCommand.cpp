// zolvane2-cli play: plays track files one after another through the player
// component, optionally only the first seconds of each (intro play).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/FileReportMessages.h"
#include "cli/StopSignals.h"
#include "platform/FileSystem.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/UserMessages.h"
#include "play/TWaveOutPlayer.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2::cli {

namespace {

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

struct PlayOptions {
    int introSeconds = 0;  // 0: play whole files
    int rate = 44100;
    int channels = 2;
    std::vector<std::string> files;
};

// Returns 0 when the options are good, else the exit status.
int ParseOptions(const std::vector<std::string>& args, PlayOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name;
        std::string value;
        if (a == "--intro" || a == "--rate" || a == "--channels") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "zolvane2-cli play: %s needs a value\n", a.c_str());
                return 2;
            }
            name = a;
            value = args[++i];
        } else if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        } else if (a == "--") {
            options.files.insert(options.files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "zolvane2-cli play: unknown option '%s'\n", a.c_str());
            return 2;
        } else {
            options.files.push_back(a);
            continue;
        }
        bool good = false;
        if (name == "--intro") {
            good = ParseInt(value, 1, 24 * 3600, options.introSeconds);
        } else if (name == "--rate") {
            good = ParseInt(value, 1, 10'000'000, options.rate);
        } else if (name == "--channels") {
            good = ParseInt(value, 1, 2, options.channels);
        } else {
            std::fprintf(stderr, "zolvane2-cli play: unknown option '%s'\n", a.c_str());
            return 2;
        }
        if (!good) {
            std::fprintf(stderr, "zolvane2-cli play: bad value '%s' for %s\n", value.c_str(), name.c_str());
            return 2;
        }
    }
    if (options.files.empty()) {
        std::fputs("zolvane2-cli play: no FILE given (see zolvane2-cli --help)\n", stderr);
        return 2;
    }
    return 0;
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

int RunPlay(const std::vector<std::string>& args) {
    PlayOptions options;
    if (const int bad = ParseOptions(args, options); bad != 0) {
        return bad;
    }
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    if (dispatcher == nullptr) {
        std::fputs("zolvane2-cli play: no main-thread dispatcher\n", stderr);
        return 1;
    }
    FileReportMessages messages;
    const MessagesGuard messagesGuard(messages);
    // Ctrl-C stops the player, which closes the device before the program ends.
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
                std::fprintf(stderr, "%s: not a WAVE (.wav) or RAW (.raw) track file\n", path.c_str());
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
                std::fputs("zolvane2-cli play: no sound output device (is the sound server running?)\n", stderr);
                return 1;
            case TPlayEndReason::DeviceFailed:
                return 1;
        }
    }
    if (StopSignals::Raised()) {
        return 130;
    }
    return status;
}

const CommandRegistration kPlay{Command{
    "play",
    60,
    "play [--intro SECONDS] [--rate HZ] [--channels 1|2] FILE...",
    "      Plays WAVE (.wav) and RAW (.raw) track files one after another on\n"
    "      the default sound output. On a terminal a position line on stderr\n"
    "      shows the file and its read position. Ctrl-C stops the playback,\n"
    "      closes the device and ends with status 130. A file that cannot be\n"
    "      played is reported on stderr and passed over; the exit status is\n"
    "      then 1, and 1 at once when the sound output cannot be opened.\n"
    "      --intro SECONDS   play only the first SECONDS of each file\n"
    "      --rate HZ         sampling frequency of RAW files (default 44100)\n"
    "      --channels 1|2    channels of RAW files (default 2)\n",
    RunPlay,
}};

}  // namespace

}  // namespace zolvane2::cli
