#include "jobs/TMyMemIniFile.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <limits>
#include <sstream>

#include <sys/stat.h>

#include "platform/Errors.h"
#include "trackfile/TLongFileStream.h"

namespace zolvane2 {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

// A value as one line: each run of line breaks becomes one space, so that a
// pasted text can never add lines, keys or sections to the file.
std::string SingleLine(const std::string& value) {
    std::string line;
    line.reserve(value.size());
    bool inBreak = false;
    for (const char c : value) {
        const bool isBreak = c == '\r' || c == '\n';
        if (isBreak && !inBreak) {
            line += ' ';
        } else if (!isBreak) {
            line += c;
        }
        inBreak = isBreak;
    }
    return line;
}

}  // namespace

TMyMemIniFile::TMyMemIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    Load();
}

void TMyMemIniFile::Load() {
    struct stat st {};
    if (::stat(fileName_.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return;
        }
        throw FileOpenError(UserText(TextId::FileOpen, {fileName_}), errno);
    }
    // A folder, a pipe or a device is no settings file, and reading one
    // could block or never end.
    if (!S_ISREG(st.st_mode)) {
        throw FileOpenError(UserText(TextId::FileOpen, {fileName_}), S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    if (st.st_size > kMaxFileBytes) {
        throw FileOpenError(UserText(TextId::FileOpen, {fileName_}), EFBIG);
    }
    std::ifstream in(fileName_, std::ios::binary);
    if (!in) {
        throw FileOpenError(UserText(TextId::FileOpen, {fileName_}), errno);
    }
    std::string text(static_cast<std::size_t>(kMaxFileBytes) + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad() || in.gcount() > kMaxFileBytes) {
        throw FileOpenError(UserText(TextId::FileOpen, {fileName_}), in.bad() ? EIO : EFBIG);
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    // Editors on other systems may start the file with a UTF-8 byte-order mark.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);
    }
    Section* current = nullptr;
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        const std::string line = Trim(raw);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string name = line.substr(1, line.size() - 2);
            current = FindSection(name);
            if (current == nullptr) {
                sections_.push_back(Section{name, {}});
                current = &sections_.back();
            }
            continue;
        }
        if (current != nullptr) {
            current->lines.push_back(line);
        }
    }
}

const TMyMemIniFile::Section* TMyMemIniFile::FindSection(const std::string& name) const {
    const auto it =
        std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return SameText(s.name, name); });
    return it == sections_.end() ? nullptr : &*it;
}

TMyMemIniFile::Section* TMyMemIniFile::FindSection(const std::string& name) {
    const auto it =
        std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return SameText(s.name, name); });
    return it == sections_.end() ? nullptr : &*it;
}

std::ptrdiff_t TMyMemIniFile::FindKey(const Section& section, const std::string& key) {
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        const std::string& line = section.lines[i];
        const auto eq = line.find('=');
        if (eq != std::string::npos && SameText(line.substr(0, eq), key)) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

std::string TMyMemIniFile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
    const Section* s = FindSection(section);
    if (s == nullptr) {
        return defaultValue;
    }
    const auto i = FindKey(*s, key);
    if (i < 0) {
        return defaultValue;
    }
    const std::string& line = s->lines[static_cast<std::size_t>(i)];
    return line.substr(line.find('=') + 1);
}

bool TMyMemIniFile::ParseInteger(const std::string& text, std::int32_t& value) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size()) {
        return false;
    }
    std::uint64_t magnitude = 0;
    // Hexadecimal may fill all 32 bits ($FFFFFFFF is -1); decimal must fit the signed range.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFULL : (negative ? 2147483648ULL : 2147483647ULL);
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f') {
            digit = LowerAscii(c) - 'a' + 10;
        }
        if (digit < 0) {
            return false;
        }
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) {
            return false;
        }
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = ~bits + 1U;
    }
    value = static_cast<std::int32_t>(bits);
    return true;
}

std::int32_t TMyMemIniFile::ReadInteger(const std::string& section, const std::string& key,
                                        std::int32_t defaultValue) const {
    std::int32_t value = 0;
    return ParseInteger(ReadString(section, key, std::string()), value) ? value : defaultValue;
}

bool TMyMemIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TMyMemIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = FindSection(section);
    if (s == nullptr) {
        sections_.push_back(Section{section, {}});
        s = &sections_.back();
    }
    const std::string line = key + "=" + SingleLine(value);
    const auto i = FindKey(*s, key);
    if (i >= 0) {
        s->lines[static_cast<std::size_t>(i)] = line;
    } else {
        s->lines.push_back(line);
    }
    UpdateFile();
}

void TMyMemIniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TMyMemIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TMyMemIniFile::DeleteKey(const std::string& section, const std::string& key) {
    if (Section* s = FindSection(section)) {
        const auto i = FindKey(*s, key);
        if (i >= 0) {
            s->lines.erase(s->lines.begin() + i);
        }
    }
    UpdateFile();
}

void TMyMemIniFile::EraseSection(const std::string& section) {
    sections_.erase(
        std::remove_if(sections_.begin(), sections_.end(), [&](const Section& s) { return SameText(s.name, section); }),
        sections_.end());
    UpdateFile();
}

std::string TMyMemIniFile::Text() const {
    std::string text;
    for (const Section& s : sections_) {
        text += "[" + s.name + "]\r\n";
        for (const std::string& line : s.lines) {
            text += line + "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void TMyMemIniFile::UpdateFile() const {
    std::ofstream out(fileName_, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw FileCreateError(UserText(TextId::FileCreate, {fileName_}));
    }
    const std::string text = Text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
        throw WriteError(UserText(TextId::StreamWrite));
    }
}

}  // namespace zolvane2
