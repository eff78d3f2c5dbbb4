#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvane2::cli {

// A command line that cannot be followed; the command prints it and exits 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class CuttingMode { Trigger, Interval, None };

// The cutting options that `split` and `record` share, with the defaults of
// the program's settings page.
struct CuttingOptions {
    CuttingMode mode = CuttingMode::Trigger;
    std::int32_t triggerLevel = 300;
    std::int32_t delayMs = 100;
    std::int32_t gapMs = 3000;          // track interval: silence that ends a track
    std::int32_t tailMs = 1000;         // silence kept at a track's end
    std::int32_t minLengthMs = 0;       // trigger mode: shorter tracks are left out
    std::int64_t lengthSeconds = 3600;  // piece length in interval mode
    std::int32_t digits = 5;
    bool raw = false;
    std::int32_t sampleRate = 44100;
    std::int32_t channels = 2;
};

// Collects the cutting options from a command line. Options may be written
// "--level 300" or "--level=300". With --settings FILE the values come from
// that settings file of the program (its "tsCut" and "tsSetting" sections),
// and options given explicitly win over it.
class CuttingOptionsParser {
public:
    // Takes args[index] (with its value) when it is a cutting option and
    // answers how many arguments it used; 0 when it is not one. Throws
    // UsageError for a missing or bad value.
    std::size_t Take(const std::vector<std::string>& args, std::size_t index);

    // The options: explicit ones, then the settings file's, then defaults.
    // Throws UsageError when the settings file cannot be read.
    [[nodiscard]] CuttingOptions Result() const;

    // The options' lines for --help.
    [[nodiscard]] static std::string HelpText();

    // "90", "1:30" (minutes:seconds) or "1:00:00" in seconds; throws UsageError
    // naming option.
    [[nodiscard]] static std::int64_t ParseLength(const std::string& option, const std::string& text);
    // A whole decimal number in [low, high]; throws UsageError naming option.
    [[nodiscard]] static std::int64_t ParseInteger(const std::string& option, const std::string& text, std::int64_t low,
                                                   std::int64_t high);

private:
    std::optional<CuttingMode> mode_;
    std::optional<std::int32_t> level_;
    std::optional<std::int32_t> delay_;
    std::optional<std::int32_t> gap_;
    std::optional<std::int32_t> tail_;
    std::optional<std::int32_t> minLength_;
    std::optional<std::int64_t> length_;
    std::optional<std::int32_t> digits_;
    std::optional<bool> raw_;
    std::optional<std::int32_t> rate_;
    std::optional<std::int32_t> channels_;
    std::string settingsFile_;
};

// Corrects the cutting times the way the recorder and the window do (a
// negative time becomes 0, a tail longer than the gap becomes the gap) and
// prints the window's explanation of each correction on stderr as a warning
// of command. A corrected setting does not fail the run.
void CorrectCuttingTimes(const std::string& command, CuttingOptions& options);

// Splits "--name=value" into name and value; value is empty without "=".
// A short option's name comes back as its long one (LongOptionName).
[[nodiscard]] std::pair<std::string, std::optional<std::string>> SplitOptionArgument(const std::string& arg);

// The usage texts every command shares, in the user's language.
[[nodiscard]] std::string NeedsValue(const std::string& option);
[[nodiscard]] std::string TakesNoValue(const std::string& option);
[[nodiscard]] std::string UnknownOption(const std::string& option);
[[nodiscard]] std::string NoFileGiven();

}  // namespace zolvane2::cli
