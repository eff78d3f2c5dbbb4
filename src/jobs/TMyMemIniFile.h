#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zolvane2 {

// An ini file held in memory that writes itself back to disk after every
// change, so the file is never behind the object.
//
// Reading: "[name]" lines open sections; every other line is kept whole in
// its section; empty lines, ";" comments and lines before the first section
// are dropped. Section and key names match without regard to ASCII case.
// Writing a key replaces its line in place or appends it to its section
// (creating the section at the end). The file is written as "[section]",
// its lines, one empty line, all ending in CR LF; a line break inside a value
// is written as a space. Keys this program does not know survive a load and
// save. A UTF-8 byte-order mark at the start is skipped.
class TMyMemIniFile {
public:
    // More than this is no settings file of ours.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t{1024} * 1024;

    // Loads the file; a missing file reads as empty. An existing file that
    // cannot be read, is no regular file or is larger than kMaxFileBytes
    // raises FileOpenError with the system's reason as its code.
    explicit TMyMemIniFile(std::string fileName);

    [[nodiscard]] std::string ReadString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) const;
    // Decimal, or hexadecimal with "0x" or "$"; anything else gives the default.
    [[nodiscard]] std::int32_t ReadInteger(const std::string& section, const std::string& key,
                                           std::int32_t defaultValue) const;
    // Any integer other than 0 is true.
    [[nodiscard]] bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Each of these writes the whole file at once; failures raise
    // FileCreateError or WriteError.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void DeleteKey(const std::string& section, const std::string& key);
    void EraseSection(const std::string& section);

    // The file's text as it is written to disk.
    [[nodiscard]] std::string Text() const;

    // Parses an integer the way ReadInteger does; false when it is none.
    [[nodiscard]] static bool ParseInteger(const std::string& text, std::int32_t& value);

private:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };

    [[nodiscard]] const Section* FindSection(const std::string& name) const;
    [[nodiscard]] Section* FindSection(const std::string& name);
    // Index of the line whose name (text before "=") is key, or -1.
    [[nodiscard]] static std::ptrdiff_t FindKey(const Section& section, const std::string& key);
    void Load();
    void UpdateFile() const;

    std::string fileName_;
    std::vector<Section> sections_;
};

}  // namespace zolvane2
