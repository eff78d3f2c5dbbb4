#include "cli/CuttingOptions.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include <sys/stat.h>

#include "cli/CommandLine.h"
#include "cli/FileReportMessages.h"
#include "cli/Language.h"
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
    MsgAnswer Show(const UserText& text, const UserText& /*title*/, MsgIcon /*icon*/, MsgButtons /*buttons*/) override {
        texts.push_back(Render(text));
        return MsgAnswer::Ok;
    }
    std::vector<std::string> texts;
};

}  // namespace

void CorrectCuttingTimes(const std::string& command, CuttingSettings& settings) {
    NoTracks owner;
    KeptMessages messages;
    TriggerSplitter splitter(owner, &messages);
    settings.ApplyTo(splitter);
    for (const auto& text : messages.texts) {
        PrintFailure(command, Say("warning: ", "警告: ") + StderrUserMessages::ToUnixLines(text));
    }
    settings.triggerDelayMs = std::max(settings.triggerDelayMs, 0);
    settings.trackIntervalMs = std::max(settings.trackIntervalMs, 0);
    settings.lastTimeAfterTriggerMs = std::clamp(settings.lastTimeAfterTriggerMs, 0, settings.trackIntervalMs);
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
            mode_ = CutMode::Trigger;
        } else if (m == "interval") {
            mode_ = CutMode::FixedLength;
        } else if (m == "none") {
            mode_ = CutMode::None;
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

CuttingSettings CuttingOptionsParser::Result() const {
    CuttingSettings s;
    if (!settingsFile_.empty()) {
        s = CuttingSettings::Load(LoadSettingsFile(settingsFile_));
        // The file's values are bounded as the options are.
        const auto bound = [](std::int32_t& value, std::int64_t lo, std::int64_t hi) {
            value = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, lo, hi));
        };
        bound(s.triggerLevel, 0, 32767);
        bound(s.triggerDelayMs, -kMaxMs, kMaxMs);
        bound(s.trackIntervalMs, -kMaxMs, kMaxMs);
        bound(s.lastTimeAfterTriggerMs, -kMaxMs, kMaxMs);
        bound(s.minimumTrackLengthMs, 0, kMaxMs);
        for (std::int32_t* part : {&s.pieceHours, &s.pieceMinutes, &s.pieceSeconds}) {
            bound(*part, 0, 100000);
        }
        bound(s.digits, 1, 10);
        if (!s.RateListed()) {
            s.SetSampleRate(static_cast<std::int32_t>(
                ParseInteger("cbSamplingFreq.Text in " + settingsFile_, s.samplingText, 1, 1000000)));
        }
    }
    if (mode_) {
        s.SetMode(*mode_);
    }
    s.triggerLevel = level_.value_or(s.triggerLevel);
    s.triggerDelayMs = delay_.value_or(s.triggerDelayMs);
    s.trackIntervalMs = gap_.value_or(s.trackIntervalMs);
    s.lastTimeAfterTriggerMs = tail_.value_or(s.lastTimeAfterTriggerMs);
    s.minimumTrackLengthMs = minLength_.value_or(s.minimumTrackLengthMs);
    if (length_) {
        s.SetPieceSeconds(*length_);
    }
    s.digits = digits_.value_or(s.digits);
    s.rawOutput = raw_.value_or(s.rawOutput);
    if (rate_) {
        s.SetSampleRate(*rate_);
    }
    if (channels_) {
        s.SetChannels(*channels_);
    }
    return s;
}

std::string CuttingOptionsParser::HelpText() {
    const CuttingSettings d;
    const std::int64_t length = d.PieceSeconds();
    std::array<char, 32> lengthText{};
    std::snprintf(lengthText.data(), lengthText.size(), "%lld:%02lld:%02lld", static_cast<long long>(length / 3600),
                  static_cast<long long>(length / 60 % 60), static_cast<long long>(length % 60));
    return Fill(Say("      --mode trigger|interval|none  cut by trigger level and silence (default),\n"
                    "                         into pieces of --length, or not at all\n"
                    "      --level N          trigger level, peak 0..32767 (%1)\n"
                    "      --delay MS         audio kept ahead of the trigger (%2)\n"
                    "      --gap MS           silence that ends a track (%3)\n"
                    "      --tail MS          silence kept at a track's end, at most --gap (%4)\n"
                    "      --min-length MS    trigger mode: leave out tracks shorter than this (%5)\n"
                    "      --length T         piece length: seconds, M:S or H:M:S (%6)\n"
                    "      --digits N         digits of the piece number, 1..10 (%7)\n"
                    "      --raw              write headerless RAW files instead of WAVE\n"
                    "      -r, --rate HZ      sampling frequency (%8)\n"
                    "      -c, --channels N   1 mono or 2 stereo (%9)\n"
                    "      --settings FILE    take these values from a settings file of the program;\n"
                    "                         options given explicitly win. A file that is missing,\n"
                    "                         unreadable or not a regular file ends the run (exit 2)\n"
                    "      Settings that cannot be used as given (a tail longer than the gap, a\n"
                    "      negative time) are corrected with a warning on stderr, as the window\n"
                    "      does; the run goes on and its exit status is not changed by it.\n",
                    "      --mode trigger|interval|none  トリガレベルと無音で切り出す (既定)、\n"
                    "                         --length ごとに切り出す、または切り出さない\n"
                    "      --level N          トリガレベル、ピーク値 0..32767 (%1)\n"
                    "      --delay MS         トリガの前に残す時間 (%2)\n"
                    "      --gap MS           トラックを終える無音の長さ (トラック間隔、%3)\n"
                    "      --tail MS          トラックの終わりに残す無音、--gap 以下 (%4)\n"
                    "      --min-length MS    トリガモードでこれより短いトラックを除く (%5: 除かない)\n"
                    "      --length T         切り出す長さ: 秒、分:秒 または 時:分:秒 (%6)\n"
                    "      --digits N         番号の桁数 1..10 (%7)\n"
                    "      --raw              WAVEの代わりにヘッダのないRAWファイルを書く\n"
                    "      -r, --rate HZ      サンプリング周波数 (%8)\n"
                    "      -c, --channels N   1 モノラル、2 ステレオ (%9)\n"
                    "      --settings FILE    これらの値をこのプログラムの設定ファイルから読む。\n"
                    "                         明示したオプションが優先。ファイルがない、読めない、\n"
                    "                         通常のファイルでないときは終了する (終了ステータス 2)\n"
                    "      そのまま使えない設定 (トラック間隔より長い残す時間、負の時間) は、\n"
                    "      ウィンドウと同じく警告を標準エラーに出して修正し、そのまま続けます。\n"
                    "      終了ステータスはそれでは変わりません。\n"),
                {std::to_string(d.triggerLevel), std::to_string(d.triggerDelayMs), std::to_string(d.trackIntervalMs),
                 std::to_string(d.lastTimeAfterTriggerMs), std::to_string(d.minimumTrackLengthMs), lengthText.data(),
                 std::to_string(d.digits), std::to_string(d.SampleRate()), std::to_string(d.Channels())});
}

}  // namespace zolvane2::cli
