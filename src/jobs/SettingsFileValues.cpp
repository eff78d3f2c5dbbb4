#include "jobs/SettingsFileValues.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/Errors.h"

namespace zolvane2 {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && isBlank(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

}  // namespace

SettingsFileValues SettingsFileValues::Load(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw FileOpenError("ファイル " + path + " は開けません");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

SettingsFileValues SettingsFileValues::Parse(const std::string& text) {
    SettingsFileValues values;
    std::map<std::string, std::string>* current = nullptr;
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            current = &values.sections_[Lower(line.substr(1, line.size() - 2))];
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        // The first line of a key wins, as with the window's reader.
        current->emplace(Lower(Trim(line.substr(0, eq))), line.substr(eq + 1));
    }
    return values;
}

std::optional<std::string> SettingsFileValues::Find(const std::string& section, const std::string& key) const {
    const auto s = sections_.find(Lower(section));
    if (s == sections_.end()) {
        return std::nullopt;
    }
    const auto k = s->second.find(Lower(key));
    if (k == s->second.end()) {
        return std::nullopt;
    }
    return k->second;
}

std::string SettingsFileValues::ReadString(const std::string& section, const std::string& key,
                                           const std::string& def) const {
    return Find(section, key).value_or(def);
}

std::optional<int64_t> SettingsFileValues::ParseInteger(const std::string& text) {
    std::string s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.erase(0, 2);
    } else if (s.size() > 1 && s[0] == '$') {
        base = 16;
        s.erase(0, 1);
    }
    if (s.empty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (const char c : s) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        if (value > (INT64_MAX - digit) / base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return negative ? -value : value;
}

int64_t SettingsFileValues::ReadInteger(const std::string& section, const std::string& key, int64_t def) const {
    const auto text = Find(section, key);
    if (!text) {
        return def;
    }
    return ParseInteger(*text).value_or(def);
}

bool SettingsFileValues::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

const std::vector<int32_t>& SamplingFrequencyList() {
    static const std::vector<int32_t> list{5500,  6000,  7333,  8000,  11025, 16000,
                                           22050, 32000, 44100, 48000, 88200, 96000};
    return list;
}

}  // namespace zolvane2
