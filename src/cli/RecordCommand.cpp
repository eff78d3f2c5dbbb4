// zolvane2-cli record: records from an input device into numbered track
// files cut by the cutting rules, as the window's record button does, with
// the recording-time limit and a level meter.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/CutPointOptions.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"
#include "cli/LevelMeter.h"
#include "cli/LossReport.h"
#include "cli/OptionTable.h"
#include "cli/SplitJoinJob.h"
#include "cli/StopSignals.h"
#include "cli/TrackListOptions.h"
#include "cli/TrackTimesOptions.h"
#include "jobs/CutPointMarker.h"
#include "jobs/CutPointTargets.h"
#include "platform/InputDeviceChoice.h"
#include "platform/MainThreadDispatcher.h"
#include "platform/NotifyWindow.h"
#include "platform/UserMessages.h"
#include "record/RecordingSettings.h"
#include "record/TWaveInReport.h"
#include "record/TWaveInThread.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2::cli {

namespace {

constexpr const char* kCommand = "record";
constexpr std::int64_t kDefaultTimeSeconds = 3600;
// The recording ran to its end, but some audio never reached the files.
constexpr int kExitAudioLost = 3;

// Passes messages on and counts them: any message means the run failed.
class CountingMessages final : public UserMessages {
public:
    explicit CountingMessages(UserMessages& inner) : inner_(inner) {}
    MsgAnswer Show(const UserText& text, const UserText& title, MsgIcon icon, MsgButtons buttons) override {
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
    CuttingSettings cutting;
    std::string device = "0";
    std::int64_t timeSeconds = kDefaultTimeSeconds;
    bool netTime = false;
    std::string base;
    std::string settingsFile;  // --settings, never a cut-point output
    CutPointOptions cutPoints;
    TrackListOptions trackList;
    std::unique_ptr<CutPointMarker> marker;  // --labels/--cue of an uncut recording
};

OptionTable OwnOptions() {
    using Kind = OptionRow::Kind;
    return {
        {.name = "--device",
         .shortName = "-d",
         .valueName = "D",
         .kind = Kind::Text,
         .help = {"input device: its index, its source name or its\n"
                  "description as `devices` shows them (0, the\n"
                  "server's default input)",
                  "入力デバイス: `devices` が示す番号、ソース名または\n"
                  "説明 (0: サーバーの既定の入力)"}},
        {.name = "--time",
         .shortName = "-t",
         .valueName = "T",
         .kind = Kind::Length,
         .help = {"recording time from the first track, counted in\n"
                  "recorded audio: seconds, M:S or H:M:S; 0 records\n"
                  "until stopped (1:00:00)",
                  "最初のトラックからの録音時間 (録音した音声で数える):\n"
                  "秒、分:秒 または 時:分:秒。0 なら止めるまで録音\n"
                  "(1:00:00)"},
         .namedAsWritten = true},
        {.name = "--net-time",
         .kind = Kind::Flag,
         .help = {"count only the time spent in tracks", "トラックの時間だけを数える"}},
    };
}

OptionTable Options() {
    const OptionTable own = OwnOptions();
    const OptionTable cutting = CuttingOptionsParser::Options();
    const OptionTable output = CuttingOptionsParser::OutputOptions();
    const OptionTable cutPointOptions = CutPointOptions::RecordOptions();
    const OptionTable trackTimes = TrackTimesOptions::RecordOptions();
    const OptionTable trackList = TrackListOptions::Options();
    return Joined({&own, &cutting, &output, &trackList, &cutPointOptions, &trackTimes});
}

RecordOptions ReadRecordOptions(const ParsedOptions& line) {
    CuttingOptionsParser parser;
    RecordOptions o;
    parser.Take(line);
    o.cutPoints.Take(line);
    TrackTimesOptions trackTimes;
    trackTimes.Take(line);
    trackTimes.CheckForRecord(line);
    o.trackList.Take(line);
    o.trackList.Check(1);
    if (const GivenOption* device = line.Last("--device")) {
        o.device = device->text;
    }
    if (const GivenOption* time = line.Last("--time")) {
        o.timeSeconds = time->number;
    }
    o.netTime = line.Last("--net-time") != nullptr;
    const std::vector<std::string>& names = line.operands;
    if (names.size() != 1) {
        throw UsageError(names.empty() ? Say("no BASE given", "BASE がありません")
                                       : Say("only one BASE may be given", "BASE は一つだけです"));
    }
    o.base = names[0];
    o.cutting = parser.Result();
    o.settingsFile = parser.SettingsFile();
    o.cutPoints.CheckForRecord(o.cutting.Mode() == CutMode::None);
    o.marker = o.cutPoints.MakeMarker(o.cutting);
    return o;
}

std::string ClockText(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%05lldh%02lldm%02llds", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

// Writes a finished track's path on stdout; false when stdout is closed (a
// pipe whose reader has gone), which stops the recording.
bool PrintTrackPath(const std::string& path) {
    const std::string line = path + "\n";
    return std::fputs(line.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
}

int RunRecord(const ParsedOptions& line) {
    RecordOptions options;
    try {
        options = ReadRecordOptions(line);
    } catch (const UsageError& e) {
        return UsageFailure(kCommand, e.what());
    }
    CutPointTargets targets;
    targets.AddTrackFiles(TrackNaming::Stem(FullPathOf(options.base)), options.cutting.digits);
    if (!options.settingsFile.empty()) {
        targets.AddInput(options.settingsFile);
    }
    options.trackList.AddInputs(targets);
    if (!options.cutPoints.CheckTargets(kCommand, targets)) {
        return 2;
    }
    if (!options.trackList.Load(kCommand, options.cutting.tags)) {
        return 1;
    }
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    if (dispatcher == nullptr) {
        PrintFailure(kCommand, "no main-thread dispatcher");
        return 1;
    }
    CuttingSettings& c = options.cutting;
    CorrectCuttingTimes(kCommand, c);
    const bool terminal = StderrIsTerminal();
    LevelMeter meter;
    CountingMessages messages(GetUserMessages());
    messages.SetBeforeShow([&meter] { meter.Clear(); });

    // Told before the recorder would find no device: no server is another fault.
    if (ReportNoSoundServer(*CreateSoundInput())) {
        return 1;
    }
    auto recorder = std::make_unique<TWaveInThread>(nullptr, &messages);
    const TWaveInMessages m = recorder->Messages();
    const std::optional<int> device = FindInputDevice(options.device, CreateSoundInput()->Devices());
    if (!device || *device > recorder->DeviceCount()) {
        return UsageFailure(kCommand, Fill(Say("there is no input device '%1' (see zolvane2-cli devices)",
                                               "入力デバイス '%1' はありません (zolvane2-cli devices を参照)"),
                                           {options.device}));
    }

    RecordingSettings settings = c.Recording();
    settings.deviceIndex = *device;
    const std::string base = FullPathOf(options.base);
    settings.baseFileName = base;
    settings.recordingTime = options.timeSeconds;
    settings.netTime = options.netTime;
    recorder->Configure(settings);
    recorder->SetObserver(options.marker.get());
    if (const auto plan = options.trackList.Plan()) {
        recorder->SetTrackTags([plan](std::int64_t index) { return plan->TagsFor(static_cast<std::size_t>(index)); });
    }
    if (terminal) {
        recorder->SetOnLevelData(
            [&meter, channels = c.Channels()](Thread* /*sender*/, TMemoryStream& data) { meter.Take(data, channels); });
    }

    bool finished = false;
    bool stdoutClosed = false;
    const std::string waiting = Say("[waiting", "[待機中");
    const std::string recording = Say("[recording : Track", "[録音中 : Track");
    std::string state = waiting + "]";
    std::int64_t kept = 0;
    auto printTrack = [&](const TWaveInReport& report) {
        meter.Clear();
        const std::string path = options.trackList.NameFinished(
            kCommand, settings.FinishedTrackName(report.finished, report.status), kept++);
        if (!stdoutClosed && !PrintTrackPath(path)) {
            stdoutClosed = true;
        }
    };
    DispatchedNotifyWindow window(*dispatcher, [&](const Message& msg) {
        const TWaveInReport report = TWaveInReport::Decode(m, msg);
        switch (report.kind) {
            case TWaveInReport::Kind::Triggered:
                state = recording + TrackNaming::FormatNumber(report.next, 5) + "]";
                break;
            case TWaveInReport::Kind::Lost:
                meter.Clear();
                ReportLoss(recorder->LossAt(report.lossIndex), c.SampleRate());
                break;
            case TWaveInReport::Kind::TrackEnded:
                if (report.Kept()) {
                    printTrack(report);
                }
                state = waiting + " : Track" + TrackNaming::FormatNumber(report.next, 5) + "]";
                break;
            case TWaveInReport::Kind::Finished:
                if (report.Kept()) {
                    printTrack(report);
                }
                finished = true;
                break;
            case TWaveInReport::Kind::None:
                break;
        }
    });
    recorder->SetNotifyWindow(&window);

    // Ctrl-C, SIGTERM, SIGHUP and a closed stdout stop the recording the way
    // the Stop button does, so the open file is finished properly.
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
            PrintFailure(
                kCommand,
                Fill(Say("recording from %1 into %2; Ctrl-C stops", "%1 から %2 に録音しています。Ctrl-C で止まります"),
                     {*device == 0 ? DefaultInputName() : recorder->DeviceNames()[static_cast<std::size_t>(*device)],
                      base}));
        }
        // The recording time is kept by the recorder, which stops on its frame.
        if (!stopPosted && (StopSignals::Raised() || stdoutClosed)) {
            recorder->Queue().Post(m.stop);
            stopPosted = true;
        }
        if (terminal && !finished && announced && now >= nextDraw) {
            const bool limited = options.timeSeconds > 0;
            const std::int64_t used = recorder->RecordingTimeUsedFrames();
            const std::int64_t rate = std::max(c.SampleRate(), 1);
            const std::int64_t shown =
                limited ? std::max<std::int64_t>(options.timeSeconds * rate - used + rate - 1, 0) / rate : used / rate;
            meter.Draw(state, (limited ? Say("left ", "残り ") : "") + ClockText(shown));
            nextDraw = now + std::chrono::milliseconds(100);
        }
    }
    meter.Clear();
    recorder->Queue().Post(m.quit);
    recorder->WaitFor();
    ReportShortPieces("record", options.marker ? options.marker->PiecesDropped() : recorder->ShortTracksDropped());
    const std::vector<CaptureLoss> losses = recorder->Losses();
    recorder.reset();
    if (!options.marker) {
        options.trackList.ReportFit(kCommand, base, kept);
    }
    if (!losses.empty()) {
        ReportLossSummary(losses, c.SampleRate());
    }
    bool marksFailed = false;
    if (options.marker && !options.marker->Error().Empty()) {
        PrintFailure(kCommand, Render(options.marker->Error()));
        marksFailed = true;
    }
    if (messages.Count() > 0 || !announced || marksFailed) {
        return 1;
    }
    if (stdoutClosed) {
        PrintFailure(kCommand, Say("stdout was closed; the recording was stopped and its files finished",
                                   "標準出力が閉じられたので、録音を止めてファイルを完成させました"));
        return kClosedOutputStatus;
    }
    return losses.empty() ? 0 : kExitAudioLost;
}

std::string RecordHelp() {
    return Say("      Records from an input device (see `devices`) into BASE's numbered\n"
               "      track files, BASE without its extension followed by the zero-padded\n"
               "      number and .wav (or .raw / .flac), cut by the options below as the\n"
               "      window's recording does. Each finished track's full path is printed\n"
               "      as its file is closed. A level meter is shown on stderr when it is a\n"
               "      terminal. Ctrl-C, SIGTERM or SIGHUP stops the recording and finishes\n"
               "      the open file (a second one ends the program at once); so does a\n"
               "      closed stdout. Audio lost on the way (this program stalled longer\n"
               "      than the server's buffer holds) is reported on stderr at once, with\n"
               "      a summary at the end.\n"
               "      Exit status: 0 after a stop or the end of the time, 1 when the\n"
               "      device or a file failed, 2 for a bad command line, 3 when the\n"
               "      recording ran but some audio was lost, 141 when stdout was closed\n"
               "      (the files are finished all the same).\n",
               "      入力デバイス (`devices` を参照) から、BASE の番号付きトラック\n"
               "      ファイル (BASE から拡張子を除き、0 埋めの番号と .wav を付けた名前、\n"
               "      --format で .raw / .flac) に録音し、ウィンドウの録音と同じく下の\n"
               "      オプションで切り出します。トラックのファイルを閉じるたびに、そのフルパスを\n"
               "      出力します。標準エラーが端末ならレベルメーターを表示します。\n"
               "      Ctrl-C、SIGTERM、SIGHUP で録音を止め、開いているファイルを完成させ\n"
               "      ます (二度目で直ちに終了)。標準出力が閉じられたときも同じです。\n"
               "      途中で失われた音声 (サーバーのバッファを超えてこのプログラムが\n"
               "      止まったとき) は、すぐに標準エラーに報告し、最後に合計を出します。\n"
               "      終了ステータス: 停止または時間切れで 0、デバイスやファイルの失敗で\n"
               "      1、コマンド行の誤りで 2、録音はできたが音声の一部が失われたとき 3、\n"
               "      標準出力が閉じられたとき 141 (ファイルはそれでも完成しています)。\n") +
           OptionLines(OwnOptions()) + CuttingOptionsParser::HelpText() +
           OptionLines(CuttingOptionsParser::OutputOptions()) + TrackListOptions::HelpText() +
           CutPointOptions::RecordHelpText();
}

const CommandRegistration kRecord{Command{
    kCommand,
    30,
    "record [cutting options] [-d DEVICE] [-t T] [--net-time]\n"
    "                     [--track-list FILE] [--name TEMPLATE]\n"
    "                     [--labels FILE] [--cue FILE] BASE",
    RecordHelp,
    RunRecord,
    Options,
}};

}  // namespace

}  // namespace zolvane2::cli
