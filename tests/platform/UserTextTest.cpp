#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/UserText.h"

namespace zolvane2 {
namespace {

std::multiset<std::string> Placeholders(const std::string& pattern) {
    std::multiset<std::string> found;
    for (std::size_t at = pattern.find('%'); at != std::string::npos; at = pattern.find('%', at + 1)) {
        if (at + 1 < pattern.size() && pattern[at + 1] >= '1' && pattern[at + 1] <= '9') {
            found.insert(pattern.substr(at, 2));
        }
    }
    return found;
}

// A wording missing in one language, or one that drops or doubles an
// argument the other shows, would leave a file name or a number out of the
// message in that language only.
TEST(UserTextTest, EveryIdIsWordedInBothLanguagesWithTheSameArguments) {
    for (const TextId id : UserText::AllIds()) {
        const std::string japanese = UserText::Pattern(id, TextLanguage::Japanese);
        const std::string english = UserText::Pattern(id, TextLanguage::English);
        SCOPED_TRACE(english);
        EXPECT_FALSE(japanese.empty());
        EXPECT_FALSE(english.empty());
        EXPECT_EQ(Placeholders(japanese), Placeholders(english));
    }
    // Arguments are worded in the same language, plain ones never, and the
    // full stop goes by the language's own last character.
    const UserText nested(
        TextId::FullStop,
        {UserText(TextId::AboutFile, {"/a/ファイル.wav", UserText(TextId::NoFreeTrackNumber, {"T"})})});
    EXPECT_EQ(nested.Japanese(), "/a/ファイル.wav\r\nT\r\n使えるトラック番号が残っていないので、録音できません。.");
    EXPECT_EQ(nested.English(), "/a/ファイル.wav\r\nT\r\nNo free track number is left, so recording is not possible.");
}

}  // namespace
}  // namespace zolvane2
