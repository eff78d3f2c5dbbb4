#include <gtest/gtest.h>

#include "jobs/TrackList.h"

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

}  // namespace
}  // namespace zolvane2
