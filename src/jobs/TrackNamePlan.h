#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "jobs/TrackList.h"
#include "trackfile/TrackTags.h"

namespace zolvane2 {

// How the pieces of a run are named and tagged from a track list, in order:
// piece i takes entry i. The file name comes from a template of fields
//
//   {pos}     the list's position (A1, 03), else {nn}
//   {n} {nn}  the piece's number, bare and with two digits
//   {title} {artist} {album}
//
// made safe for every file system (TrackNaming::SafeName). Without a
// template, or beyond the list, pieces keep their number names.
class TrackNamePlan {
public:
    // album holds the options' tags; they win over the list's header, and
    // the header fills what they leave empty.
    TrackNamePlan(TrackList list, std::string nameTemplate, const TrackTags& album);

    // The first field of a template that is none of the above ("{x}", or
    // "{" without its "}"); nullopt when all are known.
    [[nodiscard]] static std::optional<std::string> UnknownField(const std::string& nameTemplate);

    [[nodiscard]] std::size_t Count() const { return list_.Entries().size(); }
    [[nodiscard]] const TrackList& List() const { return list_; }
    [[nodiscard]] const TrackTags& Album() const { return album_; }
    // Piece index's tags: its entry's TITLE and ARTIST, the album's fields,
    // TRACKNUMBER index + 1 and TRACKTOTAL the list's length; beyond the
    // list the album's fields and the number only.
    [[nodiscard]] TrackTags TagsFor(std::size_t index) const;
    // Piece index's file name, without folder and extension; "" when the
    // piece keeps its number name.
    [[nodiscard]] std::string NameFor(std::size_t index) const;

private:
    TrackList list_;
    std::string template_;
    TrackTags album_;
};

}  // namespace zolvane2
