#include <gtest/gtest.h>

#include "platform/ErrorDisplay.h"
#include "platform/StderrUserMessages.h"
#include "support/RecordingUserMessages.h"

namespace zolvane2 {
namespace {

using test::RecordingUserMessages;

TEST(ErrorDisplayTest, FullStopRule) {
    EXPECT_EQ(WithFullStop("disk full"), "disk full.");
    EXPECT_EQ(WithFullStop("done."), "done.");
    EXPECT_EQ(WithFullStop("trailing blank "), "trailing blank ");
    EXPECT_EQ(WithFullStop("ストリームへの書き込みエラー"), "ストリームへの書き込みエラー.");
    EXPECT_EQ(WithFullStop("見つかりません。"), "見つかりません。.");
    EXPECT_EQ(WithFullStop("(x)"), "(x)");  // ')' sorts below '.'
    EXPECT_EQ(WithFullStop(""), "");
}

TEST(ErrorDisplayTest, StandardErrorUsesApplicationTitleAndErrorIcon) {
    RecordingUserMessages messages;
    SetApplicationTitle("Zolvane2 - 録音中");
    ShowStandardError("ファイル a は開けません", messages);
    SetApplicationTitle("Zolvane2");
    ASSERT_EQ(messages.Count(), 1U);
    const auto m = messages.Messages().front();
    EXPECT_EQ(m.text, "ファイル a は開けません.");
    EXPECT_EQ(m.title, "Zolvane2 - 録音中");
    EXPECT_EQ(m.icon, MsgIcon::Error);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
}

TEST(ErrorDisplayTest, StderrServicePrintsTitleAndUnixLinesAndDeclinesQuestions) {
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* mem = open_memstream(&buf, &len);
    {
        StderrUserMessages out(mem);
        EXPECT_EQ(out.Show("/a/b.wav\r\nが見つかりません。", "Error", MsgIcon::Error, MsgButtons::Ok), MsgAnswer::Ok);
        EXPECT_EQ(out.Show("続けますか", "Q", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    }
    std::fclose(mem);
    EXPECT_EQ(std::string(buf, len), "Error: /a/b.wav\nが見つかりません。\nQ: 続けますか\n");
    std::free(buf);  // NOLINT
}

}  // namespace
}  // namespace zolvane2
