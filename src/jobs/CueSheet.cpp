#include "jobs/CueSheet.h"

#include <libcue.h>

#include <memory>

#include "platform/FileSystem.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

struct CdDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};

std::string Text(Cdtext* cdtext, Pti field) {
    const char* value = cdtext != nullptr ? cdtext_get(field, cdtext) : nullptr;
    return value != nullptr ? value : "";
}

// The name part of a FILE field, whichever separator the sheet's maker used.
std::string NamePart(const std::string& field) {
    const std::size_t slash = field.find_last_of("/\\");
    return slash == std::string::npos ? field : field.substr(slash + 1);
}

}  // namespace

CueSheet CueSheet::Parse(const std::string& text) {
    CueSheet sheet;
    const std::unique_ptr<Cd, CdDeleter> cd(cue_parse_string(text.c_str()));
    if (!cd) {
        return sheet;
    }
    sheet.parsed_ = true;
    Cdtext* album = cd_get_cdtext(cd.get());
    sheet.title_ = Text(album, PTI_TITLE);
    sheet.performer_ = Text(album, PTI_PERFORMER);
    sheet.genre_ = Text(album, PTI_GENRE);
    if (Rem* rem = cd_get_rem(cd.get()); rem != nullptr) {
        const char* date = rem_get(REM_DATE, rem);
        sheet.date_ = date != nullptr ? date : "";
    }
    const int count = cd_get_ntrack(cd.get());
    for (int i = 1; i <= count; ++i) {
        ::Track* track = cd_get_track(cd.get(), i);
        if (track == nullptr) {
            continue;
        }
        CueSheet::Track t;
        const char* file = track_get_filename(track);
        t.file = file != nullptr ? file : "";
        t.index01 = track_get_index(track, 1);
        if (t.index01 < 0) {
            t.index01 = track_get_start(track);
        }
        Cdtext* cdtext = track_get_cdtext(track);
        t.title = Text(cdtext, PTI_TITLE);
        t.performer = Text(cdtext, PTI_PERFORMER);
        sheet.tracks_.push_back(std::move(t));
    }
    return sheet;
}

bool CueSheet::NamesSource(const std::string& fileField, const std::string& sourcePath) {
    const std::string named = NamePart(fileField);
    const std::string source = FileSystem::NameOf(sourcePath);
    return named == source || (!named.empty() && TrackNaming::Stem(named) == TrackNaming::Stem(source));
}

}  // namespace zolvane2
