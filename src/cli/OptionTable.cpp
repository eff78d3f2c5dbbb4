#include "cli/OptionTable.h"

#include "cli/Language.h"

namespace zolvane2::cli {

namespace {

// Where the help text of an option line starts, and the most an option's
// names may take before it with one space between.
constexpr std::size_t kHelpColumn = 25;
constexpr std::size_t kIndent = 6;

}  // namespace

std::string Texts::Said() const {
    return Empty() ? std::string() : Say(english, japanese);
}

std::string OptionLines(const OptionTable& table) {
    std::string text;
    for (const OptionRow& o : table) {
        if (o.help.Empty()) {
            continue;
        }
        std::string line(kIndent, ' ');
        if (o.shortName != nullptr) {
            line.append(o.shortName).append(", ");
        }
        line.append(o.name);
        if (o.valueName != nullptr) {
            line.append(" ").append(o.valueName);
        }
        // Names too long for the column are followed by two spaces.
        line.append(line.size() < kHelpColumn ? kHelpColumn - line.size() : 2, ' ');
        for (const char c : o.help.Said()) {
            line += c;
            if (c == '\n') {
                line.append(kHelpColumn, ' ');
            }
        }
        text.append(line).append("\n");
    }
    return text;
}

OptionRow RateOption(Texts help) {
    return {.name = "--rate",
            .shortName = "-r",
            .valueName = "HZ",
            .kind = OptionRow::Kind::Integer,
            .low = 1,
            .high = kMaxRate,
            .help = help};
}

OptionRow ChannelsOption(Texts help) {
    return {.name = "--channels",
            .shortName = "-c",
            .valueName = "N",
            .kind = OptionRow::Kind::Integer,
            .low = 1,
            .high = 2,
            .help = help};
}

OptionTable RawFileOptions() {
    return {
        RateOption(
            {"sampling frequency of RAW files (default 44100)", "RAW ファイルのサンプリング周波数 (既定 44100)"}),
        ChannelsOption({"channels of RAW files, 1 or 2 (default 2)", "RAW ファイルのチャンネル数 1 または 2 (既定 2)"}),
    };
}

OptionTable Joined(std::initializer_list<const OptionTable*> tables) {
    OptionTable table;
    for (const OptionTable* source : tables) {
        table.insert(table.end(), source->begin(), source->end());
    }
    return table;
}

}  // namespace zolvane2::cli
