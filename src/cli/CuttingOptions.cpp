#include "cli/CuttingOptions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include <sys/stat.h>

#include "cli/CommandLine.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
#include "jobs/SettingsFileValues.h"
#include "jobs/TMyMemIniFile.h"
#include "platform/Errors.h"
#include "platform/StderrUserMessages.h"
#include "record/TriggerSplitter.h"

namespace zolvane2::cli {

namespace {

constexpr std::int64_t kMaxMs = 24LL * 3600 * 1000;

std::optional<std::int64_t> ParseWhole(const std::string& text) {
    std::int64_t value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin == end) {
        return std::nullopt;
    }
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string NeedsValue(const std::string& option) {
    return Fill(Say("%1 needs a value", "%1 には値が必要です"), {option});
}

std::string NoFileGiven() {
    return Say("no FILE given", "FILE がありません");
}

std::string TakesNoValue(const std::string& option) {
    return Fill(Say("%1 takes no value", "%1 は値をとりません"), {option});
}

std::string UnknownOption(const std::string& option) {
    return Fill(Say("unknown option '%1'", "'%1' というオプションはありません"), {option});
}

namespace {

// Owns no track files: the splitter is asked only to check its settings.
class NoTracks final : public SplitterOwner {
public:
    void AppendToTrack(const std::uint8_t* /*bytes*/, std::int64_t /*count*/) override {}
    bool CutTrack() override { return true; }
    void TrackTriggered(std::int64_t /*preRollFrames*/) override {}
    std::int64_t CurrentTrackSize() override { return 0; }
};

// Keeps the splitter's explanations.
class KeptMessages final : public UserMessages {
public:
    MsgAnswer Show(const std::string& text, const std::string& /*title*/, MsgIcon /*icon*/,
                   MsgButtons /*buttons*/) override {
        texts.push_back(text);
        return MsgAnswer::Ok;
    }
    std::vector<std::string> texts;
};

}  // namespace

void CorrectCuttingTimes(const std::string& command, CuttingOptions& options) {
    NoTracks owner;
    KeptMessages messages;
    TriggerSplitter splitter(owner, &messages);
    splitter.Conditions().SampleRate = options.sampleRate;
    splitter.SetTriggerDelay(options.delayMs / 1000.0);
    splitter.SetTrackInterval(options.gapMs / 1000.0);
    splitter.SetLastTimeAfterTrigger(options.tailMs / 1000.0);
    for (const auto& text : messages.texts) {
        PrintFailure(command, Say("warning: ", "警告: ") + Localize(StderrUserMessages::ToUnixLines(text)));
    }
    options.delayMs = std::max(options.delayMs, 0);
    options.gapMs = std::max(options.gapMs, 0);
    options.tailMs = std::clamp(options.tailMs, 0, options.gapMs);
}

// The settings file named by --settings. Unlike the window, which starts
// from the defaults without its file, a file named on the command line must
// be there: a misspelt name would otherwise cut by values nobody chose.
TMyMemIniFile LoadSettingsFile(const std::string& path) {
    struct stat st {};
    const auto refuse = [&path](const std::string& reason) { return UsageError("--settings " + path + ": " + reason); };
    if (::stat(path.c_str(), &st) != 0) {
        throw refuse(SystemReason(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        throw refuse(S_ISDIR(st.st_mode) ? SystemReason(EISDIR)
                                         : Say("not a regular file", "通常のファイルではありません"));
    }
    try {
        return TMyMemIniFile(path);
    } catch (const Error& e) {
        throw UsageError(ErrorText(e));
    }
}

std::pair<std::string, std::optional<std::string>> SplitOptionArgument(const std::string& arg) {
    const auto eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos) {
        return {LongOptionName(arg), std::nullopt};
    }
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

std::int64_t CuttingOptionsParser::ParseInteger(const std::string& option, const std::string& text, std::int64_t low,
                                                std::int64_t high) {
    const auto value = ParseWhole(text);
    if (!value || *value < low || *value > high) {
        throw UsageError(Fill(Say("%1 wants a whole number from %2 to %3, not '%4'",
                                  "%1 には %2 から %3 までの整数を指定してください ('%4' は使えません)"),
                              {option, std::to_string(low), std::to_string(high), text}));
    }
    return *value;
}

std::int64_t CuttingOptionsParser::ParseLength(const std::string& option, const std::string& text) {
    const auto bad = [&] {
        return UsageError(Fill(Say("%1 wants seconds, M:S or H:M:S, not '%2'",
                                   "%1 には 秒、分:秒 または 時:分:秒 を指定してください ('%2' は使えません)"),
                               {option, text}));
    };
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    if (parts.size() > 3) {
        throw bad();
    }
    std::int64_t total = 0;
    for (const auto& part : parts) {
        const auto value = ParseWhole(part);
        if (!value || *value < 0 || *value > 1000000000) {
            throw bad();
        }
        total = total * 60 + *value;
    }
    return total;
}

std::size_t CuttingOptionsParser::Take(const std::vector<std::string>& args, std::size_t index) {
    const auto [name, inlineValue] = SplitOptionArgument(args.at(index));
    std::size_t used = 1;
    const auto value = [&, &optName = name, &inl = inlineValue]() -> std::string {
        if (inl) {
            return *inl;
        }
        if (index + 1 >= args.size()) {
            throw UsageError(NeedsValue(optName));
        }
        used = 2;
        return args[index + 1];
    };
    if (name == "--mode") {
        const std::string m = value();
        if (m == "trigger") {
            mode_ = CuttingMode::Trigger;
        } else if (m == "interval") {
            mode_ = CuttingMode::Interval;
        } else if (m == "none") {
            mode_ = CuttingMode::None;
        } else {
            throw UsageError(
                Fill(Say("--mode wants trigger, interval or none, not '%1'",
                         "--mode には trigger、interval、none のどれかを指定してください ('%1' は使えません)"),
                     {m}));
        }
    } else if (name == "--level") {
        level_ = static_cast<std::int32_t>(ParseInteger(name, value(), 0, 32767));
    } else if (name == "--delay") {
        delay_ = static_cast<std::int32_t>(ParseInteger(name, value(), -kMaxMs, kMaxMs));
    } else if (name == "--gap") {
        gap_ = static_cast<std::int32_t>(ParseInteger(name, value(), -kMaxMs, kMaxMs));
    } else if (name == "--tail") {
        tail_ = static_cast<std::int32_t>(ParseInteger(name, value(), -kMaxMs, kMaxMs));
    } else if (name == "--min-length") {
        minLength_ = static_cast<std::int32_t>(ParseInteger(name, value(), 0, kMaxMs));
    } else if (name == "--length") {
        length_ = ParseLength(name, value());
    } else if (name == "--digits") {
        digits_ = static_cast<std::int32_t>(ParseInteger(name, value(), 1, 10));
    } else if (name == "--raw") {
        if (inlineValue) {
            throw UsageError(TakesNoValue(name));
        }
        raw_ = true;
    } else if (name == "--rate") {
        rate_ = static_cast<std::int32_t>(ParseInteger(name, value(), 1, 1000000));
    } else if (name == "--channels") {
        channels_ = static_cast<std::int32_t>(ParseInteger(name, value(), 1, 2));
    } else if (name == "--settings") {
        settingsFile_ = value();
        if (settingsFile_.empty()) {
            throw UsageError(NeedsValue(name));
        }
    } else {
        return 0;
    }
    return used;
}

CuttingOptions CuttingOptionsParser::Result() const {
    CuttingOptions o;
    if (!settingsFile_.empty()) {
        const TMyMemIniFile ini = LoadSettingsFile(settingsFile_);
        // The window loads the three radio buttons in this order, and
        // checking one clears the others: the last one checked wins.
        const bool useTrigger = ini.ReadBool("tsCut", "rbtnUseTrigger.Checked", true);
        const bool interval = ini.ReadBool("tsCut", "rbtnInterval.Checked", false);
        const bool noCut = ini.ReadBool("tsCut", "rbtnNoCut.Checked", false);
        o.mode = noCut ? CuttingMode::None
                       : (interval ? CuttingMode::Interval : (useTrigger ? CuttingMode::Trigger : CuttingMode::None));
        const auto clampInt = [](std::int64_t v, std::int64_t lo, std::int64_t hi) {
            return static_cast<std::int32_t>(std::clamp(v, lo, hi));
        };
        o.triggerLevel = clampInt(ini.ReadInteger("tsCut", "sedtTriggerLevel.Value", 300), 0, 32767);
        o.delayMs = clampInt(ini.ReadInteger("tsCut", "sedtTriggerDelay.Value", 100), -kMaxMs, kMaxMs);
        o.gapMs = clampInt(ini.ReadInteger("tsCut", "sedtTrackInterval.Value", 3000), -kMaxMs, kMaxMs);
        o.tailMs = clampInt(ini.ReadInteger("tsCut", "sedtLastTimeAfterTrigger.Value", 1000), -kMaxMs, kMaxMs);
        o.minLengthMs = clampInt(ini.ReadInteger("tsCut", kMinimumTrackLengthKey, 0), 0, kMaxMs);
        const std::int64_t h = ini.ReadInteger("tsCut", "sedtCuttingTimeH.Value", 0);
        const std::int64_t m = ini.ReadInteger("tsCut", "sedtCuttingTimeM.Value", 60);
        const std::int64_t s = ini.ReadInteger("tsCut", "sedtCuttingTimeS.Value", 0);
        o.lengthSeconds = std::max<std::int64_t>(
            0, (std::clamp<std::int64_t>(h, 0, 100000) * 60 + std::clamp<std::int64_t>(m, 0, 100000)) * 60 +
                   std::clamp<std::int64_t>(s, 0, 100000));
        o.digits = clampInt(ini.ReadInteger("tsSetting", "sedtPrec.Value", 5), 1, 10);
        o.raw = ini.ReadBool("tsSetting", "cbxRAWSave.Checked", false);
        o.channels = ini.ReadInteger("tsSetting", "rgRecMode.ItemIndex", 1) == 0 ? 1 : 2;
        const auto& rates = SamplingFrequencyList();
        const std::int64_t index = ini.ReadInteger("tsSetting", "cbSamplingFreq.ItemIndex", 8);
        if (index >= 0 && index < static_cast<std::int64_t>(rates.size())) {
            o.sampleRate = rates[static_cast<std::size_t>(index)];
        } else {
            const std::string text = ini.ReadString("tsSetting", "cbSamplingFreq.Text", "44100");
            o.sampleRate =
                static_cast<std::int32_t>(ParseInteger("cbSamplingFreq.Text in " + settingsFile_, text, 1, 1000000));
        }
    }
    o.mode = mode_.value_or(o.mode);
    o.triggerLevel = level_.value_or(o.triggerLevel);
    o.delayMs = delay_.value_or(o.delayMs);
    o.gapMs = gap_.value_or(o.gapMs);
    o.tailMs = tail_.value_or(o.tailMs);
    o.minLengthMs = minLength_.value_or(o.minLengthMs);
    o.lengthSeconds = length_.value_or(o.lengthSeconds);
    o.digits = digits_.value_or(o.digits);
    o.raw = raw_.value_or(o.raw);
    o.sampleRate = rate_.value_or(o.sampleRate);
    o.channels = channels_.value_or(o.channels);
    return o;
}

std::string CuttingOptionsParser::HelpText() {
    return Say(
        "      --mode trigger|interval|none  cut by trigger level and silence (default),\n"
        "                         into pieces of --length, or not at all\n"
        "      --level N          trigger level, peak 0..32767 (300)\n"
        "      --delay MS         audio kept ahead of the trigger (100)\n"
        "      --gap MS           silence that ends a track (3000)\n"
        "      --tail MS          silence kept at a track's end, at most --gap (1000)\n"
        "      --min-length MS    trigger mode: leave out tracks shorter than this (0)\n"
        "      --length T         piece length: seconds, M:S or H:M:S (1:00:00)\n"
        "      --digits N         digits of the piece number, 1..10 (5)\n"
        "      --raw              write headerless RAW files instead of WAVE\n"
        "      -r, --rate HZ      sampling frequency (44100)\n"
        "      -c, --channels N   1 mono or 2 stereo (2)\n"
        "      --settings FILE    take these values from a settings file of the program;\n"
        "                         options given explicitly win. A file that is missing,\n"
        "                         unreadable or not a regular file ends the run (exit 2)\n"
        "      Settings that cannot be used as given (a tail longer than the gap, a\n"
        "      negative time) are corrected with a warning on stderr, as the window\n"
        "      does; the run goes on and its exit status is not changed by it.\n",
        "      --mode trigger|interval|none  トリガレベルと無音で切り出す (既定)、\n"
        "                         --length ごとに切り出す、または切り出さない\n"
        "      --level N          トリガレベル、ピーク値 0..32767 (300)\n"
        "      --delay MS         トリガの前に残す時間 (100)\n"
        "      --gap MS           トラックを終える無音の長さ (トラック間隔、3000)\n"
        "      --tail MS          トラックの終わりに残す無音、--gap 以下 (1000)\n"
        "      --min-length MS    トリガモードでこれより短いトラックを除く (0: 除かない)\n"
        "      --length T         切り出す長さ: 秒、分:秒 または 時:分:秒 (1:00:00)\n"
        "      --digits N         番号の桁数 1..10 (5)\n"
        "      --raw              WAVEの代わりにヘッダのないRAWファイルを書く\n"
        "      -r, --rate HZ      サンプリング周波数 (44100)\n"
        "      -c, --channels N   1 モノラル、2 ステレオ (2)\n"
        "      --settings FILE    これらの値をこのプログラムの設定ファイルから読む。\n"
        "                         明示したオプションが優先。ファイルがない、読めない、\n"
        "                         通常のファイルでないときは終了する (終了ステータス 2)\n"
        "      そのまま使えない設定 (トラック間隔より長い残す時間、負の時間) は、\n"
        "      ウィンドウと同じく警告を標準エラーに出して修正し、そのまま続けます。\n"
        "      終了ステータスはそれでは変わりません。\n");
}

}  // namespace zolvane2::cli
