#include "jobs/TrackList.h"

#include <array>
#include <cctype>
#include <string_view>

namespace zolvane2 {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())) != 0) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())) != 0) {
        s.remove_suffix(1);
    }
    return s;
}

bool AllDigits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (const char c : s) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

bool IsHeader(std::string_view line) {
    constexpr std::array<std::string_view, 4> kKeys{"ARTIST:", "ALBUM:", "DATE:", "GENRE:"};
    for (const std::string_view key : kKeys) {
        if (line.size() >= key.size()) {
            bool same = true;
            for (std::size_t i = 0; i < key.size(); ++i) {
                same = same && std::toupper(static_cast<unsigned char>(line[i])) == key[i];
            }
            if (same) {
                return true;
            }
        }
    }
    return false;
}

// "A1", "1", "01.", "B2)": a letter at most, one to three digits, a dot or a
// closing bracket at most.
bool IsPosition(std::string_view token) {
    if (!token.empty() && (token.back() == '.' || token.back() == ')')) {
        token.remove_suffix(1);
    }
    if (!token.empty() && std::isalpha(static_cast<unsigned char>(token.front())) != 0) {
        token.remove_prefix(1);
    }
    return AllDigits(token) && token.size() <= 3;
}

// The last separator of artist and title that stands between spaces.
std::size_t ArtistSeparator(std::string_view s, std::size_t& length) {
    constexpr std::array<std::string_view, 3> kSeparators{" \xE2\x80\x93 ", " \xE2\x80\x94 ", " - "};
    for (const std::string_view sep : kSeparators) {
        const std::size_t at = s.find(sep);
        if (at != std::string_view::npos && at > 0) {
            length = sep.size();
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<double> TrackList::ParseTime(const std::string& text) {
    std::string_view s = Trim(text);
    double fraction = 0;
    if (const std::size_t dot = s.find('.'); dot != std::string_view::npos) {
        const std::string_view digits = s.substr(dot + 1);
        if (!AllDigits(digits) || digits.size() > 9) {
            return std::nullopt;
        }
        double scale = 0.1;
        for (const char c : digits) {
            fraction += (c - '0') * scale;
            scale /= 10;
        }
        s = s.substr(0, dot);
    }
    std::array<long, 3> parts{};
    std::size_t count = 0;
    while (true) {
        const std::size_t colon = s.find(':');
        const std::string_view part = s.substr(0, colon);
        if (!AllDigits(part) || part.size() > 4 || count == parts.size()) {
            return std::nullopt;
        }
        parts.at(count++) = std::stol(std::string(part));
        if (colon == std::string_view::npos) {
            break;
        }
        s.remove_prefix(colon + 1);
    }
    if (count < 2) {
        return std::nullopt;
    }
    // Seconds (and minutes after hours) are two digits below 60.
    if (parts.at(count - 1) >= 60 || (count == 3 && parts[1] >= 60)) {
        return std::nullopt;
    }
    double seconds = 0;
    for (std::size_t i = 0; i < count; ++i) {
        seconds = seconds * 60 + static_cast<double>(parts.at(i));
    }
    return seconds + fraction;
}

std::optional<std::vector<double>> TrackList::ParseTimes(const std::string& text) {
    std::vector<double> times;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        const std::optional<double> t = ParseTime(text.substr(from, comma - from));
        if (!t) {
            return std::nullopt;
        }
        times.push_back(*t);
        if (comma == std::string::npos) {
            return times;
        }
        from = comma + 1;
    }
}

std::vector<TrackList::Entry> TrackList::Parse(const std::string& text) {
    std::vector<Entry> entries;
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF")) {
        rest.remove_prefix(3);
    }
    int lineNumber = 0;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        const std::string_view raw = rest.substr(0, end);
        const bool crLf = end != std::string_view::npos && rest[end] == '\r' && rest.substr(end + 1).starts_with('\n');
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + (crLf ? 2 : 1));
        ++lineNumber;
        std::string_view line = Trim(raw);
        if (line.empty() || IsHeader(line)) {
            continue;
        }
        Entry entry;
        // The time: the last word, bare or in brackets.
        const std::size_t space = line.find_last_of(" \t");
        std::string_view time = space == std::string_view::npos ? line : line.substr(space + 1);
        if (time.size() >= 2 && (time.front() == '(' || time.front() == '[') &&
            (time.back() == ')' || time.back() == ']')) {
            time = time.substr(1, time.size() - 2);
        }
        const std::optional<double> seconds = ParseTime(std::string(time));
        if (!seconds) {
            throw TrackListError(lineNumber, std::string(raw));
        }
        entry.seconds = *seconds;
        line = space == std::string_view::npos ? std::string_view{} : Trim(line.substr(0, space));
        if (const std::size_t word = line.find_first_of(" \t");
            word != std::string_view::npos && IsPosition(line.substr(0, word))) {
            entry.position = std::string(line.substr(0, word));
            line = Trim(line.substr(word));
        } else if (word == std::string_view::npos && IsPosition(line)) {
            entry.position = std::string(line);
            line = {};
        }
        std::size_t sepLength = 0;
        if (const std::size_t sep = ArtistSeparator(line, sepLength); sep != std::string_view::npos) {
            entry.artist = std::string(Trim(line.substr(0, sep)));
            line = Trim(line.substr(sep + sepLength));
        }
        entry.title = std::string(line);
        entries.push_back(std::move(entry));
    }
    if (entries.empty()) {
        throw TrackListError(0, "");
    }
    return entries;
}

}  // namespace zolvane2
