#include <filesystem>

#include <gtest/gtest.h>

#include "jobs/TrackList.h"
#include "jobs/TrackNamePlan.h"
#include "platform/Errors.h"
#include "support/TestFiles.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {
namespace {

using Entry = TrackList::Entry;

// The forms a track list takes: positions, artists, bracketed times, header
// lines, CR LF and a byte-order mark.
TEST(TrackList, ReadsTheUsualForms) {
    const std::string text =
        "\xEF\xBB\xBF"
        "ARTIST: Someone\r\n"
        "album: Something\r\n"
        "\r\n"
        "A1 First Song 3:41\r\n"
        "A2 Guest \xE2\x80\x93 Second - Part Two (4:05)\r\n"
        "Third Song 1:02:03.5\n"
        "12. A Day 0:59\n";
    const TrackList list = TrackList::Parse(text);
    const std::vector<Entry>& entries = list.Entries();
    ASSERT_EQ(entries.size(), 4U);
    EXPECT_EQ(entries[0], (Entry{"A1", "", "First Song", 221, 4}));
    EXPECT_EQ(entries[1], (Entry{"A2", "Guest", "Second - Part Two", 245, 5}));
    EXPECT_EQ(entries[2], (Entry{"", "", "Third Song", 3723.5, 6}));
    EXPECT_EQ(entries[3], (Entry{"12.", "", "A Day", 59, 7}));
    EXPECT_EQ(list.Album(), (TrackList::Header{"Someone", "Something", "", ""}));

    // A line without a time names a piece; only the gap finder's times need one.
    const TrackList untimed = TrackList::Parse("A1 Song 3:41\nA2 Song without time\n");
    EXPECT_EQ(untimed.Entries()[1], (Entry{"A2", "", "Song without time", std::nullopt, 2}));
    try {
        (void)untimed.Durations();
        FAIL();
    } catch (const TrackListError& e) {
        EXPECT_EQ(e.Line(), 2);
        EXPECT_EQ(e.LineText(), "A2 Song without time");
    }
    EXPECT_THROW((void)TrackList::Parse("ARTIST: x\n\n"), TrackListError);

    EXPECT_EQ(TrackList::ParseTimes("3:41, 4:05,1:00:00"), (std::vector<double>{221, 245, 3600}));
    for (const char* bad : {"3:41,", "3:60", "341", "3:4a", "1:2:3:4", ""}) {
        EXPECT_FALSE(TrackList::ParseTimes(bad)) << bad;
    }
}

// A cue sheet serves as a list through libcue; the plan tags the pieces in
// order, the options winning over the header, and names them by the template.
TEST(TrackList, ACueSheetOrAListNamesAndTagsThePiecesInOrder) {
    const TrackList cue = TrackList::Parse(
        "REM DATE 1979\nPERFORMER \"Band\"\nTITLE \"Tape\"\nFILE \"side.wav\" WAVE\n"
        "  TRACK 01 AUDIO\n    TITLE \"One\"\n    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    PERFORMER \"Guest\"\n    INDEX 01 01:30:00\n");
    ASSERT_EQ(cue.Entries().size(), 2U);
    EXPECT_EQ(cue.Entries()[0], (Entry{"1", "", "One", 90, 0}));
    EXPECT_EQ(cue.Entries()[1], (Entry{"2", "Guest", "Two", std::nullopt, 0}));
    EXPECT_EQ(cue.Album(), (TrackList::Header{"Band", "Tape", "1979", ""}));

    TrackTags options;
    options.album = "Tape (remaster)";
    options.comment = "digitised";
    const TrackNamePlan plan(cue, "{pos}. {artist} - {title} [{album}] {n}/{nn}", options);
    TrackTags second = plan.TagsFor(1);
    EXPECT_EQ(second.Fields(), (std::vector<std::pair<std::string, std::string>>{{"TITLE", "Two"},
                                                                                 {"ARTIST", "Guest"},
                                                                                 {"ALBUM", "Tape (remaster)"},
                                                                                 {"ALBUMARTIST", "Band"},
                                                                                 {"TRACKNUMBER", "2"},
                                                                                 {"TRACKTOTAL", "2"},
                                                                                 {"DATE", "1979"},
                                                                                 {"COMMENT", "digitised"}}));
    EXPECT_EQ(plan.NameFor(0), "1. Band - One [Tape (remaster)] 1_01");
    // Beyond the list: number names, the album's tags and the piece's number.
    EXPECT_EQ(plan.NameFor(2), "");
    EXPECT_EQ(plan.TagsFor(2).title, "");
    EXPECT_EQ(plan.TagsFor(2).trackNumber, "3");
    EXPECT_EQ(TrackNamePlan(cue, "", options).NameFor(0), "");

    // Positions lose their mark; a missing one is the number.
    const TrackList list = TrackList::Parse("B2) Song\nOther\n");
    EXPECT_EQ(TrackNamePlan(list, "{pos} {title}", {}).NameFor(0), "B2 Song");
    EXPECT_EQ(TrackNamePlan(list, "{pos} {title}", {}).NameFor(1), "02 Other");
    EXPECT_EQ(TrackNamePlan::UnknownField("{pos} {title}"), std::nullopt);
    EXPECT_EQ(TrackNamePlan::UnknownField("{pos} {Title}"), "{Title}");
    EXPECT_EQ(TrackNamePlan::UnknownField("{pos"), "{pos");
}

// Names from a list are safe on every file system, fit in 255 bytes without
// splitting a character, and a taken one is numbered, never replaced.
TEST(TrackList, NamesAreSafeFitAndNeverReplaceAFile) {
    EXPECT_EQ(TrackNaming::SafeName(" AC/DC: Live?\t\x01 <1> \"x\" a*b|c\\d. "), "AC_DC_ Live___ _1_ _x_ a_b_c_d");
    for (const char* nothing : {".", "..", "  ", ""}) {
        EXPECT_EQ(TrackNaming::SafeName(nothing), "") << nothing;
    }
    std::string longName;
    for (int i = 0; i < 100; ++i) {
        longName += "\xE3\x81\x82";  // あ, three bytes
    }
    const std::string fitted = TrackNaming::FitName(longName, " (2).flac");
    EXPECT_LE(fitted.size() + 9, TrackNaming::kMaxNameBytes);
    EXPECT_EQ(fitted.size() % 3, 0U);
    EXPECT_EQ(TrackNaming::NameForTry("/d/", longName, ".flac", 3).size(), 3 + fitted.size() + 9);

    test::TempDir dir;
    const std::string folder = dir.Path() + "/";
    test::WriteFile(dir.File("Song.wav"), test::Bytes{1, 2, 3});
    std::vector<std::string> created;
    const auto create = [&created](const std::string& path) {
        if (path.ends_with("Song (2).wav") && created.empty()) {
            // Another program takes the name between the look and the create.
            created.push_back("raced");
            throw FileCreateError(UserText(path), EEXIST);
        }
        test::WriteFile(path, test::Bytes{9});
        created.push_back(path);
    };
    EXPECT_EQ(TrackNaming::CreateAtFreeName(folder, "Song", ".wav", create), folder + "Song (3).wav");
    EXPECT_TRUE(test::ReadAll(dir.File("Song.wav")) == (test::Bytes{1, 2, 3}));
    EXPECT_EQ(TrackNaming::RenameToFreeName(folder + "Song (3).wav", folder, "Song", ".wav"), folder + "Song (2).wav");
    EXPECT_TRUE(test::ReadAll(dir.File("Song.wav")) == (test::Bytes{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("Song (3).wav")));
}

}  // namespace
}  // namespace zolvane2
