#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"
#include "jobs/CuttingSettings.h"

namespace zolvane2::cli {

// A command line that cannot be followed; the command prints it and exits 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Collects the cutting options that `split` and `record` share from a command
// line into the program's settings, whose defaults they start from. With
// --settings FILE the values come from that settings file of the program
// (its "tsCut" and "tsSetting" sections), and options given explicitly win
// over it.
class CuttingOptionsParser {
public:
    // The cutting options of the command line; the last of each counts.
    void Take(const ParsedOptions& line);

    // The options, their ranges and help lines.
    [[nodiscard]] static OptionTable Options();
    // Those of the output's form and tags (--format, --flac-level, --artist,
    // --album, --date, --genre, --comment), which join takes as well.
    [[nodiscard]] static OptionTable OutputOptions();
    // Applies the output options of line to settings (the last of each counts).
    static void TakeOutput(const ParsedOptions& line, CuttingSettings& settings);

    // The options: explicit ones, then the settings file's, then defaults.
    // Throws UsageError when the settings file cannot be read. The rate is
    // always one SampleRate() can give.
    [[nodiscard]] CuttingSettings Result() const;
    // The --settings file read, empty when none was given: an input that no
    // cut-point output may replace.
    [[nodiscard]] const std::string& SettingsFile() const { return settingsFile_; }

    // The options' lines for --help, with the defaults.
    [[nodiscard]] static std::string HelpText();

    // "90", "1:30" (minutes:seconds) or "1:00:00" in seconds; throws UsageError
    // naming option.
    [[nodiscard]] static std::int64_t ParseLength(const std::string& option, const std::string& text);
    // A whole decimal number in [low, high]; throws UsageError naming option.
    [[nodiscard]] static std::int64_t ParseInteger(const std::string& option, const std::string& text, std::int64_t low,
                                                   std::int64_t high);

private:
    std::optional<CutMode> mode_;
    std::optional<std::int32_t> level_;
    std::optional<std::int32_t> delay_;
    std::optional<std::int32_t> gap_;
    std::optional<std::int32_t> tail_;
    std::optional<std::int32_t> minLength_;
    std::optional<std::int32_t> sensitivity_;
    std::optional<std::int32_t> minGap_;
    std::optional<std::int32_t> tracks_;
    std::optional<std::int64_t> length_;
    std::optional<std::int32_t> digits_;
    std::optional<bool> raw_;
    std::optional<std::int32_t> rate_;
    std::optional<std::int32_t> channels_;
    std::string settingsFile_;
    ParsedOptions line_;  // for the output options, applied last
};

// Corrects the cutting times the way the recorder and the window do (a
// negative time becomes 0, a tail longer than the gap becomes the gap) and
// prints the window's explanation of each correction on stderr as a warning
// of command. A corrected setting does not fail the run.
void CorrectCuttingTimes(const std::string& command, CuttingSettings& settings);

// The usage texts every command shares, in the user's language.
[[nodiscard]] std::string NeedsValue(const std::string& option);
[[nodiscard]] std::string TakesNoValue(const std::string& option);
[[nodiscard]] std::string UnknownOption(const std::string& option);
[[nodiscard]] std::string NoFileGiven();

}  // namespace zolvane2::cli
