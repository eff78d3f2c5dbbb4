#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zolvane2 {

// What a finished track says about itself: the Vorbis comments of a FLAC
// file. Empty fields are left out of the file.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    std::string albumArtist;
    std::string trackNumber;
    std::string trackTotal;
    std::string discNumber;
    std::string date;
    std::string genre;
    std::string comment;

    // The fields that are set, as (Vorbis comment name, value), in the order above.
    [[nodiscard]] std::vector<std::pair<std::string, std::string>> Fields() const {
        std::vector<std::pair<std::string, std::string>> out;
        const std::pair<const char*, const std::string*> all[] = {{"TITLE", &title},
                                                                  {"ARTIST", &artist},
                                                                  {"ALBUM", &album},
                                                                  {"ALBUMARTIST", &albumArtist},
                                                                  {"TRACKNUMBER", &trackNumber},
                                                                  {"TRACKTOTAL", &trackTotal},
                                                                  {"DISCNUMBER", &discNumber},
                                                                  {"DATE", &date},
                                                                  {"GENRE", &genre},
                                                                  {"COMMENT", &comment}};
        for (const auto& [name, value] : all) {
            if (!value->empty()) {
                out.emplace_back(name, *value);
            }
        }
        return out;
    }

    bool operator==(const TrackTags&) const = default;
};

// How FLAC tracks are encoded.
struct FlacSettings {
    // libFLAC's compression level, 0 (fastest) to 8 (smallest).
    static constexpr int kDefaultLevel = 5;
    int level = kDefaultLevel;

    bool operator==(const FlacSettings&) const = default;
};

}  // namespace zolvane2
