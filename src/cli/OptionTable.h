#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zolvane2::cli {

// A text in both of the tool's languages; Say picks one when it is shown.
struct Texts {
    const char* english = nullptr;
    const char* japanese = nullptr;

    [[nodiscard]] bool Empty() const { return english == nullptr; }
    [[nodiscard]] std::string Said() const;
};

// The highest sampling frequency any command takes (--rate and a settings
// file's frequency), in Hz; the lowest is 1.
inline constexpr std::int64_t kMaxRate = 1'000'000;

// One option of a command: how it is written, what value it takes and the
// line --help shows for it. The parser checks the value as soon as it meets
// it, so that the first fault on the command line is the one told.
struct OptionRow {
    enum class Kind {
        Flag,     // no value
        Text,     // any value, the empty one too
        Name,     // a value that may not be empty (a file name)
        Integer,  // a whole decimal number from low to high
        Length,   // seconds, M:S or H:M:S
        Seconds,  // seconds of 0 or more, fractions allowed
        Choice,   // one of choices; its index is the number
    };

    const char* name = nullptr;       // "--rate"
    const char* shortName = nullptr;  // "-r", or none
    const char* valueName = nullptr;  // "HZ" in the help line
    Kind kind = Kind::Flag;
    std::int64_t low = 0;
    std::int64_t high = 0;
    Texts help{};  // continued lines start with '\n'; none hides the option
    std::vector<const char*> choices{};
    // For Choice: the refusal of another value, %1 the value given. For Flag
    // and Name: the text when the value is given or missing, instead of the
    // usual one.
    Texts refusal{};
    // Messages about the value name the option as it was written (-t or
    // --time) rather than by its long name.
    bool namedAsWritten = false;
};

using OptionTable = std::vector<OptionRow>;

// The --help lines of the table's shown options, in its order.
[[nodiscard]] std::string OptionLines(const OptionTable& table);

// -r/--rate HZ and -c/--channels N, with the command's own help line, so
// that every command takes the same values.
[[nodiscard]] OptionRow RateOption(Texts help);
[[nodiscard]] OptionRow ChannelsOption(Texts help);

// -r/--rate and -c/--channels of RAW input files, as info and play read them.
[[nodiscard]] OptionTable RawFileOptions();

// Several tables joined into one command's table.
[[nodiscard]] OptionTable Joined(std::initializer_list<const OptionTable*> tables);

}  // namespace zolvane2::cli
