#include "cli/CuttingOptions.h"

#include <algorithm>
#include <charconv>

#include "cli/Language.h"
#include "jobs/SettingsFileValues.h"
#include "platform/Errors.h"

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

std::pair<std::string, std::optional<std::string>> SplitOptionArgument(const std::string& arg) {
    const auto eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos) {
        return {arg, std::nullopt};
    }
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

std::int64_t CuttingOptionsParser::ParseInteger(const std::string& option, const std::string& text, std::int64_t low,
                                                std::int64_t high) {
    const auto value = ParseWhole(text);
    if (!value || *value < low || *value > high) {
        throw UsageError(option + " wants a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not '" + text + "'");
    }
    return *value;
}

std::int64_t CuttingOptionsParser::ParseLength(const std::string& text) {
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
        throw UsageError("--length wants seconds, M:S or H:M:S, not '" + text + "'");
    }
    std::int64_t total = 0;
    for (const auto& part : parts) {
        const auto value = ParseWhole(part);
        if (!value || *value < 0 || *value > 1000000000) {
            throw UsageError("--length wants seconds, M:S or H:M:S, not '" + text + "'");
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
            throw UsageError(optName + " needs a value");
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
            throw UsageError("--mode wants trigger, interval or none, not '" + m + "'");
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
        length_ = ParseLength(value());
    } else if (name == "--digits") {
        digits_ = static_cast<std::int32_t>(ParseInteger(name, value(), 1, 10));
    } else if (name == "--raw") {
        if (inlineValue) {
            throw UsageError("--raw takes no value");
        }
        raw_ = true;
    } else if (name == "--rate") {
        rate_ = static_cast<std::int32_t>(ParseInteger(name, value(), 1, 1000000));
    } else if (name == "--channels") {
        channels_ = static_cast<std::int32_t>(ParseInteger(name, value(), 1, 2));
    } else if (name == "--settings") {
        settingsFile_ = value();
        if (settingsFile_.empty()) {
            throw UsageError("--settings needs a file name");
        }
    } else {
        return 0;
    }
    return used;
}

CuttingOptions CuttingOptionsParser::Result() const {
    CuttingOptions o;
    if (!settingsFile_.empty()) {
        SettingsFileValues ini;
        try {
            ini = SettingsFileValues::Load(settingsFile_);
        } catch (const Error& e) {
            throw UsageError(e.what());
        }
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
    return std::string(
               "      --mode trigger|interval|none  cut by trigger level and silence (default),\n"
               "                         into pieces of --length, or not at all\n"
               "      --level N          trigger level, peak 0..32767 (300)\n"
               "      --delay MS         audio kept ahead of the trigger (100)\n"
               "      --gap MS           silence that ends a track (3000)\n"
               "      --tail MS          silence kept at a track's end, at most --gap (1000)\n") +
           std::string(Say("      --min-length MS    trigger mode: leave out tracks shorter than this (0)\n",
                           "      --min-length MS    トリガモードでこれより短いトラックを除く (0: 除かない)\n")) +
           "      --length T         piece length: seconds, M:S or H:M:S (1:00:00)\n"
           "      --digits N         digits of the piece number, 1..10 (5)\n"
           "      --raw              write headerless RAW files instead of WAVE\n"
           "      --rate HZ          sampling frequency (44100)\n"
           "      --channels N       1 mono or 2 stereo (2)\n"
           "      --settings FILE    take these values from a settings file of the program;\n"
           "                         options given explicitly win\n";
}

}  // namespace zolvane2::cli
