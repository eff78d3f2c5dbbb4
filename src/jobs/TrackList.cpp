#include "jobs/TrackList.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "jobs/CueSheet.h"

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

// The header key a line begins with (0 ARTIST, 1 ALBUM, 2 DATE, 3 GENRE), -1
// for none.
int HeaderKey(std::string_view line, std::size_t& keyLength) {
    constexpr std::array<std::string_view, 4> kKeys{"ARTIST:", "ALBUM:", "DATE:", "GENRE:"};
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
        const std::string_view key = kKeys.at(k);
        if (line.size() >= key.size()) {
            bool same = true;
            for (std::size_t i = 0; i < key.size(); ++i) {
                same = same && std::toupper(static_cast<unsigned char>(line[i])) == key[i];
            }
            if (same) {
                keyLength = key.size();
                return static_cast<int>(k);
            }
        }
    }
    return -1;
}

// The first word of a line, upper-cased.
std::string FirstWord(std::string_view line) {
    line = Trim(line);
    std::string word(line.substr(0, line.find_first_of(" \t")));
    for (char& c : word) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return word;
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

bool TrackList::LooksLikeCueSheet(const std::string& text) {
    // A TRACK line and an INDEX or FILE line: nothing a hand-written list holds.
    bool track = false;
    bool index = false;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        const std::string word = FirstWord(std::string_view(text).substr(from, end - from));
        track = track || word == "TRACK";
        index = index || word == "INDEX" || word == "FILE";
        from = end + 1;
    }
    return track && index;
}

TrackList TrackList::FromCueSheet(const std::string& text) {
    const CueSheet sheet = CueSheet::Parse(text);
    TrackList list;
    list.header_ = {sheet.Performer(), sheet.Title(), sheet.Date(), sheet.Genre()};
    const std::vector<CueSheet::Track>& tracks = sheet.Tracks();
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        Entry entry;
        entry.position = std::to_string(i + 1);
        entry.artist = tracks[i].performer == sheet.Performer() ? "" : tracks[i].performer;
        entry.title = tracks[i].title;
        if (i + 1 < tracks.size() && tracks[i + 1].file == tracks[i].file) {
            entry.seconds = static_cast<double>(tracks[i + 1].index01 - tracks[i].index01) / 75.0;
        }
        list.entries_.push_back(std::move(entry));
        list.lineTexts_.emplace_back(tracks[i].title);
    }
    if (list.entries_.empty()) {
        throw TrackListError(0, "");
    }
    return list;
}

TrackList TrackList::Parse(const std::string& text) {
    if (LooksLikeCueSheet(text)) {
        return FromCueSheet(text);
    }
    TrackList list;
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
        if (line.empty()) {
            continue;
        }
        std::size_t keyLength = 0;
        if (const int key = HeaderKey(line, keyLength); key >= 0) {
            const std::array<std::string*, 4> fields{&list.header_.artist, &list.header_.album, &list.header_.date,
                                                     &list.header_.genre};
            *fields.at(static_cast<std::size_t>(key)) = std::string(Trim(line.substr(keyLength)));
            continue;
        }
        Entry entry;
        entry.line = lineNumber;
        // The time: the last word, bare or in brackets.
        const std::size_t space = line.find_last_of(" \t");
        std::string_view time = space == std::string_view::npos ? line : line.substr(space + 1);
        if (time.size() >= 2 && (time.front() == '(' || time.front() == '[') &&
            (time.back() == ')' || time.back() == ']')) {
            time = time.substr(1, time.size() - 2);
        }
        entry.seconds = ParseTime(std::string(time));
        if (entry.seconds) {
            line = space == std::string_view::npos ? std::string_view{} : Trim(line.substr(0, space));
        }
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
        list.entries_.push_back(std::move(entry));
        list.lineTexts_.emplace_back(raw);
    }
    if (list.entries_.empty()) {
        throw TrackListError(0, "");
    }
    return list;
}

std::vector<double> TrackList::Durations() const {
    std::vector<double> times;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].seconds) {
            throw TrackListError(entries_[i].line, lineTexts_[i]);
        }
        times.push_back(*entries_[i].seconds);
    }
    return times;
}

}  // namespace zolvane2
