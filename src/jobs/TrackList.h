#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvane2 {

// A line of a track list that names no time at its end. Line is 1-based.
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
// piece, its time at the end of the line.
//
//   ARTIST: Someone
//   A1 First Song 3:41
//   A2 Guest – Second Song (4:05)
//   Third Song 12:30
//
// A line may begin with a position ("A1", "1", "01.", "B2)") and hold the
// artist ahead of the title, parted by " – ", " — " or " - ". Header lines
// (ARTIST:, ALBUM:, DATE:, GENRE:) and blank lines are passed over. Times are
// m:ss or h:mm:ss, a fraction of a second allowed, bare or in brackets.
class TrackList {
public:
    struct Entry {
        std::string position;  // "" when the line has none
        std::string artist;    // ""
        std::string title;
        double seconds = 0;
        bool operator==(const Entry&) const = default;
    };

    // Throws TrackListError for a line without a time, and for a list with
    // no entry at all (line 0).
    [[nodiscard]] static std::vector<Entry> Parse(const std::string& text);
    // "3:41", "1:02:03", "3:41.5"; nothing else.
    [[nodiscard]] static std::optional<double> ParseTime(const std::string& text);
    // "3:41,4:05,..." (spaces around the commas allowed); nullopt when any
    // of them is no time.
    [[nodiscard]] static std::optional<std::vector<double>> ParseTimes(const std::string& text);
};

}  // namespace zolvane2
