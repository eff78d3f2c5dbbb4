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
constexpr std::int64_t kMaxSensitivityDb = CuttingSettings::kMaxGapSensitivityDb;
constexpr std::int64_t kMaxTracks = CuttingSettings::kMaxTrackCount;

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

namespace {

// Gap mode's own options, after the others in the help.
OptionTable GapRows() {
    using Kind = OptionRow::Kind;
    return {
        {.name = "--sensitivity",
         .valueName = "DB",
         .kind = Kind::Integer,
         .low = 0,
         .high = kMaxSensitivityDb,
         .help = {"gap mode: how far above the measured noise floor a\ngap may lie, in dB (%1)",
                  "ギャップモードで、測ったノイズレベルより何 dB 上\nまでをギャップとみなすか (%1)"}},
        {.name = "--min-gap",
         .valueName = "MS",
         .kind = Kind::Integer,
         .low = 0,
         .high = kMaxMs,
         .help = {"gap mode: the shortest gap between two pieces (%2)",
                  "ギャップモードで、ピース間のギャップの最短の長さ (%2)"}},
        {.name = "--tracks",
         .valueName = "N",
         .kind = Kind::Integer,
         .low = 0,
         .high = kMaxTracks,
         .help = {"gap mode, split: cut each FILE into exactly N pieces\nat its N-1 most gap-like gaps (%3: as the "
                  "gaps give)",
                  "ギャップモードの split で、各 FILE を最もギャップらしい\nN-1 か所でちょうど N 個に切る (%3: "
                  "ギャップのとおり)"}},
    };
}

OptionTable MainRows() {
    using Kind = OptionRow::Kind;
    return {
        {.name = "--mode",
         .valueName = "trigger|interval|none|gaps",
         .kind = Kind::Choice,
         .help = {"cut by trigger level and silence\n(default), into pieces of --length, not at all,\n"
                  "or at the gaps the gap finder hears over hiss,\nhum and clicks",
                  "トリガレベルと無音で切り出す\n(既定)、--length ごとに切り出す、切り出さない、\n"
                  "またはノイズやクリックがあっても無音区間で切り出す"},
         .choices = {"trigger", "interval", "none", "gaps"},
         .refusal = {"--mode wants trigger, interval, none or gaps, not '%1'",
                     "--mode には trigger、interval、none、gaps のどれかを指定してください ('%1' は使えません)"}},
        {.name = "--level",
         .valueName = "N",
         .kind = Kind::Integer,
         .low = 0,
         .high = 32767,
         .help = {"trigger level, peak 0..32767 (%1)", "トリガレベル、ピーク値 0..32767 (%1)"}},
        {.name = "--delay",
         .valueName = "MS",
         .kind = Kind::Integer,
         .low = -kMaxMs,
         .high = kMaxMs,
         .help = {"audio kept ahead of the trigger (%2)", "トリガの前に残す時間 (%2)"}},
        {.name = "--gap",
         .valueName = "MS",
         .kind = Kind::Integer,
         .low = -kMaxMs,
         .high = kMaxMs,
         .help = {"silence that ends a track (%3)", "トラックを終える無音の長さ (トラック間隔、%3)"}},
        {.name = "--tail",
         .valueName = "MS",
         .kind = Kind::Integer,
         .low = -kMaxMs,
         .high = kMaxMs,
         .help = {"silence kept at a track's end, at most --gap (%4)", "トラックの終わりに残す無音、--gap 以下 (%4)"}},
        {.name = "--min-length",
         .valueName = "MS",
         .kind = Kind::Integer,
         .low = 0,
         .high = kMaxMs,
         .help = {"trigger mode: leave out tracks shorter than this (%5)",
                  "トリガモードでこれより短いトラックを除く (%5: 除かない)"}},
        {.name = "--length",
         .valueName = "T",
         .kind = Kind::Length,
         .help = {"piece length: seconds, M:S or H:M:S (%6)", "切り出す長さ: 秒、分:秒 または 時:分:秒 (%6)"}},
        {.name = "--digits",
         .valueName = "N",
         .kind = Kind::Integer,
         .low = 1,
         .high = 10,
         .help = {"digits of the piece number, 1..10 (%7)", "番号の桁数 1..10 (%7)"}},
        {.name = "--raw",
         .kind = Kind::Flag,
         .help = {"write headerless RAW files instead of WAVE\n(--format raw)",
                  "WAVEの代わりにヘッダのないRAWファイルを書く\n(--format raw)"}},
        RateOption({"sampling frequency (%8)", "サンプリング周波数 (%8)"}),
        ChannelsOption({"1 mono or 2 stereo (%9)", "1 モノラル、2 ステレオ (%9)"}),
        {.name = "--settings",
         .valueName = "FILE",
         .kind = Kind::Name,
         .help = {"take these values from a settings file of the program;\n"
                  "options given explicitly win. A file that is missing,\n"
                  "unreadable or not a regular file ends the run (exit 2)",
                  "これらの値をこのプログラムの設定ファイルから読む。\n"
                  "明示したオプションが優先。ファイルがない、読めない、\n"
                  "通常のファイルでないときは終了する (終了ステータス 2)"}},
    };
}

}  // namespace

OptionTable CuttingOptionsParser::Options() {
    const OptionTable main = MainRows();
    const OptionTable gaps = GapRows();
    return Joined({&main, &gaps});
}

OptionTable CuttingOptionsParser::OutputOptions() {
    using Kind = OptionRow::Kind;
    const auto tag = [](const char* name, Texts help) {
        return OptionRow{.name = name, .valueName = "TEXT", .kind = Kind::Text, .help = help};
    };
    return {
        {.name = "--format",
         .valueName = "wav|raw|flac",
         .kind = Kind::Choice,
         .help = {"the files written: WAVE (default),\nheaderless RAW, or FLAC (the same frames,\n"
                  "compressed, tagged; no 2 GB limit)",
                  "書くファイル: WAVE (既定)、\nヘッダのない RAW、または FLAC (同じフレームを\n"
                  "圧縮しタグを付ける。2GB の制限なし)"},
         .choices = {"wav", "raw", "flac"},
         .refusal = {"--format wants wav, raw or flac, not '%1'",
                     "--format には wav、raw、flac のどれかを指定してください ('%1' は使えません)"}},
        {.name = "--flac-level",
         .valueName = "N",
         .kind = Kind::Integer,
         .low = 0,
         .high = 8,
         .help = {"FLAC compression, 0 fastest .. 8 smallest (5)", "FLAC の圧縮レベル、0 最速 .. 8 最小 (5)"}},
        tag("--artist", {"FLAC tags ARTIST and ALBUMARTIST", "FLAC のタグ ARTIST と ALBUMARTIST"}),
        tag("--album", {"FLAC tag ALBUM", "FLAC のタグ ALBUM"}),
        tag("--date", {"FLAC tag DATE", "FLAC のタグ DATE"}),
        tag("--genre", {"FLAC tag GENRE", "FLAC のタグ GENRE"}),
        tag("--comment", {"FLAC tag COMMENT", "FLAC のタグ COMMENT"}),
    };
}

void CuttingOptionsParser::TakeOutput(const ParsedOptions& line, CuttingSettings& settings) {
    if (const GivenOption* o = line.Last("--format")) {
        settings.rawOutput = o->number == 1;
        settings.flacOutput = o->number == 2;
    }
    if (const GivenOption* o = line.Last("--flac-level")) {
        settings.flacLevel = static_cast<std::int32_t>(o->number);
    }
    const auto text = [&line](const char* name, std::string& field) {
        if (const GivenOption* o = line.Last(name)) {
            field = o->text;
        }
    };
    text("--artist", settings.tags.artist);
    text("--artist", settings.tags.albumArtist);
    text("--album", settings.tags.album);
    text("--date", settings.tags.date);
    text("--genre", settings.tags.genre);
    text("--comment", settings.tags.comment);
}

void CuttingOptionsParser::Take(const ParsedOptions& line) {
    line_ = line;
    const auto number = [&line](const char* name, auto& target) {
        if (const GivenOption* o = line.Last(name)) {
            target = static_cast<std::int32_t>(o->number);
        }
    };
    if (const GivenOption* o = line.Last("--mode")) {
        static constexpr CutMode kModes[] = {CutMode::Trigger, CutMode::FixedLength, CutMode::None, CutMode::Gaps};
        mode_ = kModes[o->number];
    }
    number("--level", level_);
    number("--delay", delay_);
    number("--gap", gap_);
    number("--tail", tail_);
    number("--min-length", minLength_);
    number("--sensitivity", sensitivity_);
    number("--min-gap", minGap_);
    number("--tracks", tracks_);
    if (const GivenOption* o = line.Last("--length")) {
        length_ = o->number;
    }
    number("--digits", digits_);
    if (line.Last("--raw") != nullptr) {
        raw_ = true;
    }
    number("--rate", rate_);
    number("--channels", channels_);
    if (const GivenOption* o = line.Last("--settings")) {
        settingsFile_ = o->text;
    }
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
        bound(s.gapSensitivityDb, 0, kMaxSensitivityDb);
        bound(s.minimumGapMs, 0, kMaxMs);
        bound(s.trackCount, 0, kMaxTracks);
        bound(s.snapRangeSeconds, 0, CuttingSettings::kMaxSnapRangeSeconds);
        for (std::int32_t* part : {&s.pieceHours, &s.pieceMinutes, &s.pieceSeconds}) {
            bound(*part, 0, 100000);
        }
        bound(s.digits, 1, 10);
        if (!s.RateListed()) {
            s.SetSampleRate(static_cast<std::int32_t>(
                ParseInteger("cbSamplingFreq.Text in " + settingsFile_, s.samplingText, 1, kMaxRate)));
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
    s.gapSensitivityDb = sensitivity_.value_or(s.gapSensitivityDb);
    s.minimumGapMs = minGap_.value_or(s.minimumGapMs);
    s.trackCount = tracks_.value_or(s.trackCount);
    if (length_) {
        s.SetPieceSeconds(*length_);
    }
    s.digits = digits_.value_or(s.digits);
    if (raw_) {
        s.rawOutput = true;
        s.flacOutput = false;
    }
    if (rate_) {
        s.SetSampleRate(*rate_);
    }
    if (channels_) {
        s.SetChannels(*channels_);
    }
    TakeOutput(line_, s);
    return s;
}

std::string CuttingOptionsParser::HelpText() {
    const CuttingSettings d;
    const std::int64_t length = d.PieceSeconds();
    std::array<char, 32> lengthText{};
    std::snprintf(lengthText.data(), lengthText.size(), "%lld:%02lld:%02lld", static_cast<long long>(length / 3600),
                  static_cast<long long>(length / 60 % 60), static_cast<long long>(length % 60));
    const std::string gapLines =
        Fill(OptionLines(GapRows()),
             {std::to_string(d.gapSensitivityDb), std::to_string(d.minimumGapMs), std::to_string(d.trackCount)});
    return Fill(OptionLines(MainRows()) + gapLines +
                    Say("      Settings that cannot be used as given (a tail longer than the gap, a\n"
                        "      negative time) are corrected with a warning on stderr, as the window\n"
                        "      does; the run goes on and its exit status is not changed by it.\n",
                        "      そのまま使えない設定 (トラック間隔より長い残す時間、負の時間) は、\n"
                        "      ウィンドウと同じく警告を標準エラーに出して修正し、そのまま続けます。\n"
                        "      終了ステータスはそれでは変わりません。\n"),
                {std::to_string(d.triggerLevel), std::to_string(d.triggerDelayMs), std::to_string(d.trackIntervalMs),
                 std::to_string(d.lastTimeAfterTriggerMs), std::to_string(d.minimumTrackLengthMs), lengthText.data(),
                 std::to_string(d.digits), std::to_string(d.SampleRate()), std::to_string(d.Channels())});
}

}  // namespace zolvane2::cli
