#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zolvane2 {

// Read-only view of one of the program's settings files (ini text: "[section]"
// lines, then "key=value" lines) for the parts that run without the window,
// such as zolvane2-cli's --settings. Section and key names match without
// regard to case; blank lines, ";" comments and lines before the first section
// are ignored. Values read the way the window reads them: integers in decimal
// or as hexadecimal with "0x" or "$"; anything else gives the caller's
// default; booleans are integers, non-zero meaning true.
class SettingsFileValues {
public:
    SettingsFileValues() = default;

    // Reads path; a missing file reads as empty (every key takes its
    // default). Throws FileOpenError when the file exists but cannot be read.
    [[nodiscard]] static SettingsFileValues Load(const std::string& path);
    // Parses ini text that is already in memory.
    [[nodiscard]] static SettingsFileValues Parse(const std::string& text);

    [[nodiscard]] std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    [[nodiscard]] std::string ReadString(const std::string& section, const std::string& key,
                                         const std::string& def) const;
    [[nodiscard]] int64_t ReadInteger(const std::string& section, const std::string& key, int64_t def) const;
    [[nodiscard]] bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Integer text as the window's ini reader takes it; nullopt when invalid.
    [[nodiscard]] static std::optional<int64_t> ParseInteger(const std::string& text);

private:
    // Lower-cased section name → lower-cased key → value.
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

// "tsCut" key of the minimum track length in milliseconds (0: off), kept
// after the older keys of its section.
inline constexpr const char* kMinimumTrackLengthKey = "sedtMinimumTrackLength.Value";

// The sampling frequencies the settings page offers, in list order; the
// settings file stores the index ("cbSamplingFreq.ItemIndex").
[[nodiscard]] const std::vector<int32_t>& SamplingFrequencyList();

}  // namespace zolvane2
