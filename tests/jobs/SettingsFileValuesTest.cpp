#include <gtest/gtest.h>

#include "jobs/SettingsFileValues.h"

namespace zolvane2 {
namespace {

TEST(SettingsFileValuesTest, SectionsAndKeysIgnoreCaseAndValuesParseLikeTheWindow) {
    const auto v = SettingsFileValues::Parse(
        "stray=1\r\n"
        "[tsCut]\r\n"
        "; comment\r\n"
        "\r\n"
        "rbtnUseTrigger.Checked=0\r\n"
        "sedtTriggerLevel.Value=0x200\r\n"
        "sedtTriggerDelay.Value=$10\r\n"
        "sedtTrackInterval.Value=abc\r\n"
        "sedtLastTimeAfterTrigger.Value=-5\r\n"
        "[TSSETTING]\r\n"
        "edtBaseFileName.Text=/rec/a=b.wav\r\n");
    EXPECT_FALSE(v.ReadBool("tscut", "RBTNUSETRIGGER.CHECKED", true));
    EXPECT_EQ(v.ReadInteger("tsCut", "sedtTriggerLevel.Value", 300), 512);
    EXPECT_EQ(v.ReadInteger("tsCut", "sedtTriggerDelay.Value", 100), 16);
    EXPECT_EQ(v.ReadInteger("tsCut", "sedtTrackInterval.Value", 3000), 3000);
    EXPECT_EQ(v.ReadInteger("tsCut", "sedtLastTimeAfterTrigger.Value", 1000), -5);
    EXPECT_EQ(v.ReadString("tsSetting", "edtBaseFileName.Text", ""), "/rec/a=b.wav");
    EXPECT_EQ(v.ReadInteger("tsCut", "stray", 7), 7);
    EXPECT_EQ(v.ReadInteger("missing", "x", 9), 9);
}

TEST(SettingsFileValuesTest, MissingFileReadsAsEmpty) {
    const auto v = SettingsFileValues::Load("/tmp/zolvane2-no-such-dir/none.ini");
    EXPECT_EQ(v.ReadInteger("tsCut", "sedtTriggerLevel.Value", 300), 300);
}

TEST(SettingsFileValuesTest, IntegerEdgeCases) {
    EXPECT_EQ(SettingsFileValues::ParseInteger(" 42 "), 42);
    EXPECT_EQ(SettingsFileValues::ParseInteger("0X1f"), 31);
    EXPECT_EQ(SettingsFileValues::ParseInteger(""), std::nullopt);
    EXPECT_EQ(SettingsFileValues::ParseInteger("12a"), std::nullopt);
    EXPECT_EQ(SettingsFileValues::ParseInteger("99999999999999999999"), std::nullopt);
    EXPECT_EQ(SamplingFrequencyList().at(8), 44100);
}

}  // namespace
}  // namespace zolvane2
