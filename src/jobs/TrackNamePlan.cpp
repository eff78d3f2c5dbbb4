#include "jobs/TrackNamePlan.h"

#include <array>
#include <string_view>

#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

constexpr std::array<std::string_view, 6> kFields{"pos", "n", "nn", "title", "artist", "album"};

std::string TwoDigits(std::size_t number) {
    return TrackNaming::FormatNumber(static_cast<std::int64_t>(number), 2);
}

}  // namespace

TrackNamePlan::TrackNamePlan(TrackList list, std::string nameTemplate, const TrackTags& album)
    : list_(std::move(list)), template_(std::move(nameTemplate)), album_(album) {
    const TrackList::Header& header = list_.Album();
    const auto fill = [](std::string& field, const std::string& value) {
        if (field.empty()) {
            field = value;
        }
    };
    fill(album_.artist, header.artist);
    fill(album_.albumArtist, header.artist);
    fill(album_.album, header.album);
    fill(album_.date, header.date);
    fill(album_.genre, header.genre);
}

std::optional<std::string> TrackNamePlan::UnknownField(const std::string& nameTemplate) {
    for (std::size_t at = nameTemplate.find('{'); at != std::string::npos; at = nameTemplate.find('{', at + 1)) {
        const std::size_t end = nameTemplate.find('}', at);
        if (end == std::string::npos) {
            return nameTemplate.substr(at);
        }
        const std::string_view field = std::string_view(nameTemplate).substr(at + 1, end - at - 1);
        bool known = false;
        for (const std::string_view f : kFields) {
            known = known || f == field;
        }
        if (!known) {
            return nameTemplate.substr(at, end - at + 1);
        }
    }
    return std::nullopt;
}

TrackTags TrackNamePlan::TagsFor(std::size_t index) const {
    TrackTags tags = album_;
    tags.trackNumber = std::to_string(index + 1);
    tags.trackTotal = std::to_string(Count());
    if (index < Count()) {
        const TrackList::Entry& e = list_.Entries()[index];
        tags.title = e.title;
        if (!e.artist.empty()) {
            tags.artist = e.artist;
        }
    }
    return tags;
}

std::string TrackNamePlan::NameFor(std::size_t index) const {
    if (template_.empty() || index >= Count()) {
        return "";
    }
    const TrackList::Entry& e = list_.Entries()[index];
    const TrackTags tags = TagsFor(index);
    std::string name;
    std::size_t at = 0;
    while (at < template_.size()) {
        const std::size_t open = template_.find('{', at);
        const std::size_t close = open == std::string::npos ? std::string::npos : template_.find('}', open);
        if (close == std::string::npos) {
            name += template_.substr(at);
            break;
        }
        name += template_.substr(at, open - at);
        const std::string_view field = std::string_view(template_).substr(open + 1, close - open - 1);
        if (field == "pos") {
            // "12." and "B2)" as the list writes them; the mark is no part of the position.
            std::string position = e.position;
            if (!position.empty() && (position.back() == '.' || position.back() == ')')) {
                position.pop_back();
            }
            name += position.empty() ? TwoDigits(index + 1) : position;
        } else if (field == "n") {
            name += std::to_string(index + 1);
        } else if (field == "nn") {
            name += TwoDigits(index + 1);
        } else if (field == "title") {
            name += tags.title;
        } else if (field == "artist") {
            name += tags.artist;
        } else if (field == "album") {
            name += tags.album;
        }
        at = close + 1;
    }
    return TrackNaming::SafeName(name);
}

}  // namespace zolvane2
