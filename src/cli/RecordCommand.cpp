// zolvane2-cli record: records from an input device into numbered track
// files cut by the cutting rules, as the window's record button does, with
// the recording-time limit and a level meter.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CutPointOptions.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"
#include "cli/SplitJoinJob.h"
#include "cli/StopSignals.h"
#include "jobs/CutPointMarker.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/NotifyWindow.h"
#include "platform/UserMessages.h"
#include "record/TWaveInThread.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2::cli {

namespace {

constexpr std::int64_t kDefaultTimeSeconds = 3600;
// The recording ran to its end, but some audio never reached the files.
constexpr int kExitAudioLost = 3;

// Passes messages on and counts them: any message means the run failed.
class CountingMessages final : public UserMessages {
public:
    explicit CountingMessages(UserMessages& inner) : inner_(inner) {}
    MsgAnswer Show(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
        count_.fetch_add(1);
        if (beforeShow_) {
            beforeShow_();
        }
        return inner_.Show(text, title, icon, buttons);
    }
    [[nodiscard]] int Count() const { return count_.load(); }
    // Clears the meter line first (set before the recorder starts).
    void SetBeforeShow(std::function<void()> fn) { beforeShow_ = std::move(fn); }

private:
    UserMessages& inner_;
    std::atomic<int> count_{0};
    std::function<void()> beforeShow_;
};

struct RecordOptions {
    CuttingOptions cutting;
    int device = 0;
    std::int64_t timeSeconds = kDefaultTimeSeconds;
    bool netTime = false;
    std::string base;
    std::unique_ptr<CutPointMarker> marker;  // --labels/--cue of an uncut recording
};

RecordOptions ParseRecordOptions(const std::vector<std::string>& args) {
    CuttingOptionsParser parser;
    CutPointOptions cutPoints;
    RecordOptions o;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size();) {
        const std::string& a = args[i];
        if (a == "--") {
            names.insert(names.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (const std::size_t used = parser.Take(args, i); used > 0) {
            i += used;
            continue;
        }
        if (const std::size_t used = cutPoints.Take(args, i); used > 0) {
            i += used;
            continue;
        }
        const auto [name, inlineValue] = SplitOptionArgument(a);
        auto value = [&]() -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= args.size()) {
                throw UsageError(name + " needs a value");
            }
            return args[i + 1];
        };
        if (name == "--device") {
            o.device = static_cast<int>(CuttingOptionsParser::ParseInteger(name, value(), 0, 1'000'000));
        } else if (name == "--time") {
            o.timeSeconds = CuttingOptionsParser::ParseLength(value());
        } else if (name == "--net-time") {
            if (inlineValue) {
                throw UsageError("--net-time takes no value");
            }
            o.netTime = true;
            ++i;
            continue;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option '" + a + "'");
        } else {
            names.push_back(a);
            ++i;
            continue;
        }
        i += inlineValue ? 1 : 2;
    }
    if (names.size() != 1) {
        throw UsageError(names.empty() ? "no BASE given" : "only one BASE may be given");
    }
    o.base = names[0];
    o.cutting = parser.Result();
    cutPoints.CheckForRecord(o.cutting.mode == CuttingMode::None);
    o.marker = cutPoints.MakeMarker(o.cutting);
    return o;
}

// What the terminal shows while recording: the state as the window's title
// shows it, a peak meter per channel and the time left.
class LevelMeter {
public:
    void Take(const TMemoryStream& data, int channels) {
        const std::uint8_t* p = data.Data();
        const std::int64_t frames = data.Size() / (2 * channels);
        for (std::int64_t f = 0; f < frames; ++f) {
            for (int c = 0; c < channels && c < 2; ++c) {
                const std::size_t at = static_cast<std::size_t>((f * channels + c) * 2);
                const auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8U)));
                peak_[c] = std::max(peak_[c], v < 0 ? -static_cast<int>(v) : static_cast<int>(v));
            }
        }
        channels_ = channels;
    }

    void Draw(const std::string& state, const std::string& time) {
        std::string line = "\r" + state;
        for (int c = 0; c < channels_; ++c) {
            constexpr int kWidth = 24;
            const int n = std::min(kWidth, peak_[c] * kWidth / 32768);
            line += std::string(c == 0 ? "  " : " ") + (channels_ == 1 ? "M" : (c == 0 ? "L" : "R")) + " [" +
                    std::string(static_cast<std::size_t>(n), '#') +
                    std::string(static_cast<std::size_t>(kWidth - n), ' ') + "]";
            peak_[c] = 0;
        }
        line += "  " + time + "\033[K";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        drawn_ = true;
    }

    void Clear() {
        if (drawn_) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            drawn_ = false;
        }
    }

private:
    int peak_[2] = {0, 0};
    int channels_ = 0;
    bool drawn_ = false;
};

// A point or stretch of audio as H:MM:SS.ss.
std::string AudioTimeText(std::int64_t frames, std::int64_t rate) {
    const std::int64_t centis = rate > 0 ? frames * 100 / rate : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", static_cast<long long>(centis / 360000),
                  static_cast<long long>(centis / 6000 % 60), static_cast<long long>(centis / 100 % 60),
                  static_cast<long long>(centis % 100));
    return text;
}

// Every loss at once on stderr, and at the end how much went in all.
void ReportLoss(const CaptureLoss& loss, std::int64_t rate) {
    const std::string line = std::string("zolvane2-cli record: ") + Say("audio lost at ", "録音開始から ") +
                             AudioTimeText(loss.atFrame, rate) +
                             Say(" into the run (track ", " の位置で音声が欠落 (トラック ") +
                             TrackNaming::FormatNumber(loss.track, 5) + "): " + AudioTimeText(loss.frames, rate) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void ReportLossSummary(const std::vector<CaptureLoss>& losses, std::int64_t rate) {
    std::int64_t frames = 0;
    std::set<std::int32_t> tracks;
    for (const auto& l : losses) {
        frames += l.frames;
        tracks.insert(l.track);
    }
    std::string trackList;
    for (const std::int32_t t : tracks) {
        trackList += (trackList.empty() ? "" : ", ") + TrackNaming::FormatNumber(t, 5);
    }
    const std::string line = std::string("zolvane2-cli record: ") + Say("dropouts: ", "欠落: ") +
                             std::to_string(losses.size()) + Say(", audio lost in all: ", " 回、失われた音声の合計: ") +
                             AudioTimeText(frames, rate) + Say(", in track(s) ", "、トラック ") + trackList + "\n";
    std::fputs(line.c_str(), stderr);
}

std::string ClockText(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%05lldh%02lldm%02llds", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

int RunRecord(const std::vector<std::string>& args) {
    RecordOptions options;
    try {
        options = ParseRecordOptions(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zolvane2-cli record: %s (see zolvane2-cli --help)\n", e.what());
        return 2;
    }
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    if (dispatcher == nullptr) {
        std::fputs("zolvane2-cli record: no main-thread dispatcher\n", stderr);
        return 1;
    }
    const CuttingOptions& c = options.cutting;
    const bool terminal = StderrIsTerminal();
    LevelMeter meter;
    CountingMessages messages(GetUserMessages());
    messages.SetBeforeShow([&meter] { meter.Clear(); });

    auto recorder = std::make_unique<TWaveInThread>(nullptr, &messages);
    const TWaveInMessages m = recorder->Messages();
    if (options.device > recorder->DeviceCount()) {
        std::fprintf(stderr, "zolvane2-cli record: there is no input device %d (see zolvane2-cli devices)\n",
                     options.device);
        return 2;
    }

    // The settings, in the order the window hands them over.
    recorder->SetDeviceIndex(options.device);
    recorder->SetSampleRate(c.sampleRate);
    recorder->SetTriggerLevel(c.triggerLevel);
    recorder->SetTriggerDelay(c.delayMs / 1000.0);
    recorder->SetTrackInterval(c.gapMs / 1000.0);
    recorder->SetLastTimeAfterTrigger(c.tailMs / 1000.0);
    recorder->SetMinimumTrackLength(c.minLengthMs / 1000.0);
    recorder->SetObserver(options.marker.get());
    const std::string base = FullPathOf(options.base);
    recorder->SetBaseFileName(base);
    recorder->SetChannels(c.channels);
    recorder->SetDigits(c.digits);
    recorder->SetUseTrigger(c.mode == CuttingMode::Trigger);
    recorder->SetCutByInterval(c.mode == CuttingMode::Interval);
    recorder->SetIntervalFrames(c.lengthSeconds * c.sampleRate);
    recorder->SetRawOutput(c.raw);
    recorder->SetRecordingTime(options.timeSeconds, options.netTime);
    if (terminal) {
        recorder->SetOnLevelData(
            [&meter, channels = c.channels](Thread* /*sender*/, TMemoryStream& data) { meter.Take(data, channels); });
    }

    const std::string stem = TrackNaming::Stem(base);
    const std::string extension = c.raw ? ".raw" : ".wav";
    bool finished = false;
    std::string state = "[待機中]";
    auto printTrack = [&](std::int64_t number, int status) {
        meter.Clear();
        const std::string name = status == 1 ? TrackNaming::CappedFileName(stem, number, c.digits)
                                             : stem + TrackNaming::FormatNumber(number, c.digits) + extension;
        std::printf("%s\n", name.c_str());
        std::fflush(stdout);
    };
    DispatchedNotifyWindow window(*dispatcher, [&](const Message& msg) {
        if (msg.msg == m.triggered) {
            state = "[録音中 : Track" + TrackNaming::FormatNumber(static_cast<std::int64_t>(msg.wParam), 5) + "]";
        } else if (msg.msg == m.recLost) {
            meter.Clear();
            ReportLoss(recorder->LossAt(static_cast<std::size_t>(msg.wParam)), c.sampleRate);
        } else if (msg.msg == m.recEnd) {
            const int status = HighWord(msg.wParam);
            if (status != 2) {
                printTrack(static_cast<std::int64_t>(msg.lParam) - LowWord(msg.wParam), status);
            }
            state = "[待機中 : Track" + TrackNaming::FormatNumber(static_cast<std::int64_t>(msg.lParam), 5) + "]";
        } else if (msg.msg == m.recFinish) {
            const int status = HighWord(msg.wParam);
            if (status != 2) {
                printTrack(static_cast<std::int64_t>(msg.lParam), status);
            }
            finished = true;
        }
    });
    recorder->SetNotifyWindow(&window);

    // Ctrl-C stops the recording the way the Stop button does, so the open
    // file is finished properly.
    const StopSignals stopSignals;
    recorder->SetPriority(ThreadPriority::Higher);
    recorder->Resume();
    recorder->Queue().Post(m.start);

    bool announced = false;
    bool stopPosted = false;
    auto nextDraw = std::chrono::steady_clock::now();
    while (!finished) {
        dispatcher->Pump(std::chrono::milliseconds(50));
        const auto now = std::chrono::steady_clock::now();
        if (!announced && !recorder->Idle()) {
            announced = true;
            std::fprintf(stderr, "zolvane2-cli record: recording from %s into %s; Ctrl-C stops\n",
                         recorder->DeviceNames()[static_cast<std::size_t>(options.device)].c_str(), base.c_str());
        }
        // The recording time is kept by the recorder, which stops on its frame.
        if (!stopPosted && StopSignals::Raised()) {
            recorder->Queue().Post(m.stop);
            stopPosted = true;
        }
        if (terminal && !finished && announced && now >= nextDraw) {
            const bool limited = options.timeSeconds > 0;
            const std::int64_t used = recorder->RecordingTimeUsedFrames();
            const std::int64_t rate = std::max(c.sampleRate, 1);
            const std::int64_t shown =
                limited ? std::max<std::int64_t>(options.timeSeconds * rate - used + rate - 1, 0) / rate : used / rate;
            meter.Draw(state, (limited ? "left " : "") + ClockText(shown));
            nextDraw = now + std::chrono::milliseconds(100);
        }
    }
    meter.Clear();
    recorder->Queue().Post(m.quit);
    recorder->WaitFor();
    ReportShortPieces("record", options.marker ? options.marker->PiecesDropped() : recorder->ShortTracksDropped());
    const std::vector<CaptureLoss> losses = recorder->Losses();
    recorder.reset();
    if (!losses.empty()) {
        ReportLossSummary(losses, c.sampleRate);
    }
    bool marksFailed = false;
    if (options.marker && !options.marker->Error().empty()) {
        PrintJobError("record", Localize(options.marker->Error()));
        marksFailed = true;
    }
    if (messages.Count() > 0 || !announced || marksFailed) {
        return 1;
    }
    return losses.empty() ? 0 : kExitAudioLost;
}

const CommandRegistration kRecord{Command{
    "record",
    50,
    "record [cutting options] [--device N] [--time T] [--net-time]\n"
    "                     [--labels FILE] [--cue FILE] BASE",
    "      Records from input device N (see `devices`; 0, the default, is the\n"
    "      server's default input) into BASE's numbered track files, BASE\n"
    "      without its extension followed by the zero-padded number and .wav\n"
    "      (or .raw), cut by the options below as the window's recording does.\n"
    "      Each finished track's full path is printed as its file is closed.\n"
    "      A level meter is shown on stderr when it is a terminal. Ctrl-C or\n"
    "      SIGTERM stops the recording and finishes the open file. Audio lost on\n"
    "      the way (this program stalled longer than the server's buffer holds)\n"
    "      is reported on stderr at once, with a summary at the end. Exit status:\n"
    "      0 when all went well, 1 when the device or a file failed, 3 when the\n"
    "      recording ran but some audio was lost.\n"
    "      --device N         input device index (0)\n"
    "      --time T           recording time from the first track, counted in\n"
    "                         recorded audio: seconds, M:S or H:M:S; 0 records\n"
    "                         until stopped (1:00:00)\n"
    "      --net-time         count only the time spent in tracks\n" +
        CuttingOptionsParser::HelpText() + CutPointOptions::RecordHelpText(),
    RunRecord,
}};

}  // namespace

}  // namespace zolvane2::cli
