#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvane2 {

// A track list that cannot serve: a line without the time the gap finder
// needs (Line is 1-based), or a list with no entry at all (line 0).
class TrackListError : public std::runtime_error {
public:
    TrackListError(int line, std::string lineText)
        : std::runtime_error(lineText), line_(line), lineText_(std::move(lineText)) {}
    [[nodiscard]] int Line() const { return line_; }
    [[nodiscard]] const std::string& LineText() const { return lineText_; }

private:
    int line_;
    std::string lineText_;
};

// The track list of a record or a tape as people write it down: one line per
// piece, its time at the end of the line if they noted it.
//
//   ARTIST: Someone
//   A1 First Song 3:41
//   A2 Guest – Second Song (4:05)
//   Third Song
//
// A line may begin with a position ("A1", "1", "01.", "B2)") and hold the
// artist ahead of the title, parted by " – ", " — " or " - ". Header lines
// (ARTIST:, ALBUM:, DATE:, GENRE:) give the album's fields; blank lines are
// passed over. Times are m:ss or h:mm:ss, a fraction of a second allowed,
// bare or in brackets.
//
// A cue sheet serves as well: its tracks' TITLE and PERFORMER through libcue,
// the album's TITLE, PERFORMER, REM DATE and GENRE as the header, and each
// track's time the distance to the next INDEX 01 (the last has none).
class TrackList {
public:
    struct Entry {
        std::string position;  // "" when the line has none
        std::string artist;    // ""
        std::string title;
        std::optional<double> seconds;  // none when the line has no time
        int line = 0;                   // 1-based; 0 in a cue sheet
        bool operator==(const Entry&) const = default;
    };
    struct Header {
        std::string artist;
        std::string album;
        std::string date;
        std::string genre;
        bool operator==(const Header&) const = default;
    };

    // Throws TrackListError (line 0) for a list with no entry at all.
    [[nodiscard]] static TrackList Parse(const std::string& text);

    [[nodiscard]] const std::vector<Entry>& Entries() const { return entries_; }
    [[nodiscard]] const Header& Album() const { return header_; }
    // The time of every entry, for the gap finder; throws TrackListError
    // naming the first line without one.
    [[nodiscard]] std::vector<double> Durations() const;

    // "3:41", "1:02:03", "3:41.5"; nothing else.
    [[nodiscard]] static std::optional<double> ParseTime(const std::string& text);
    // "3:41,4:05,..." (spaces around the commas allowed); nullopt when any
    // of them is no time.
    [[nodiscard]] static std::optional<std::vector<double>> ParseTimes(const std::string& text);

private:
    [[nodiscard]] static bool LooksLikeCueSheet(const std::string& text);
    [[nodiscard]] static TrackList FromCueSheet(const std::string& text);

    std::vector<Entry> entries_;
    std::vector<std::string> lineTexts_;  // per entry, for TrackListError
    Header header_;
};

}  // namespace zolvane2
