#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zolvane2 {

// A cue sheet as libcue reads it: its tracks with their file, INDEX 01 and
// CD-TEXT, and the album's TITLE, PERFORMER, GENRE and REM DATE. Writing sheets stays
// CutPointFile's own.
class CueSheet {
public:
    struct Track {
        std::string file;          // the FILE the track belongs to, as written
        std::int64_t index01 = 0;  // in 1/75 s from the start of its file
        std::string title;
        std::string performer;
    };

    // Whatever the text, an object: Parsed() tells whether libcue took it.
    [[nodiscard]] static CueSheet Parse(const std::string& text);

    [[nodiscard]] bool Parsed() const { return parsed_; }
    [[nodiscard]] const std::vector<Track>& Tracks() const { return tracks_; }
    [[nodiscard]] const std::string& Title() const { return title_; }
    [[nodiscard]] const std::string& Performer() const { return performer_; }
    // REM DATE and GENRE; "" when the sheet has none.
    [[nodiscard]] const std::string& Date() const { return date_; }
    [[nodiscard]] const std::string& Genre() const { return genre_; }

    // Whether a FILE field names sourcePath: the same file name, or the same
    // name before the extension (a sheet made for the WAVE of a recording
    // serves its FLAC as well). Folders in the field do not count.
    [[nodiscard]] static bool NamesSource(const std::string& fileField, const std::string& sourcePath);

private:
    bool parsed_ = false;
    std::vector<Track> tracks_;
    std::string title_;
    std::string performer_;
    std::string date_;
    std::string genre_;
};

}  // namespace zolvane2
