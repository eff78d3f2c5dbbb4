#include <gtest/gtest.h>

#include "jobs/CuttingSettings.h"
#include "jobs/TMyMemIniFile.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

class CuttingSettingsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = dir.File("settings.ini");
};

TEST_F(CuttingSettingsTest, AnEmptyFileLoadsEveryKeysDefault) {
    const CuttingSettings loaded = CuttingSettings::Load(TMyMemIniFile(file));
    for (const CuttingSettings::Key& key : CuttingSettings::Keys()) {
        SCOPED_TRACE(key.name);
        if (const auto* i = std::get_if<CuttingSettings::IntegerKey>(&key.value)) {
            EXPECT_EQ(loaded.*i->member, i->defaultValue);
        } else if (const auto* b = std::get_if<CuttingSettings::BoolKey>(&key.value)) {
            EXPECT_EQ(loaded.*b->member, b->defaultValue);
        } else {
            const auto& t = std::get<CuttingSettings::TextKey>(key.value);
            EXPECT_EQ(loaded.*t.member, t.defaultValue);
        }
    }
    EXPECT_EQ(loaded, CuttingSettings());
    // The default rate is a listed one, and its text the listed text.
    ASSERT_TRUE(loaded.RateListed());
    EXPECT_EQ(loaded.samplingText,
              CuttingSettings::SamplingFrequencies()[static_cast<std::size_t>(loaded.samplingIndex)]);
}

TEST_F(CuttingSettingsTest, SavedSettingsLoadBackUnchanged) {
    // Every key away from its default, so that a key left out of saving or
    // loading shows.
    CuttingSettings s;
    for (const CuttingSettings::Key& key : CuttingSettings::Keys()) {
        if (const auto* i = std::get_if<CuttingSettings::IntegerKey>(&key.value)) {
            s.*i->member = i->defaultValue + 7;
        } else if (const auto* b = std::get_if<CuttingSettings::BoolKey>(&key.value)) {
            s.*b->member = !b->defaultValue;
        } else {
            s.*std::get<CuttingSettings::TextKey>(key.value).member = std::string(key.name) + " x";
        }
    }
    s.samplingIndex = -1;  // the text is kept only for a typed rate
    {
        TMyMemIniFile ini(file);
        s.Save(ini);
    }
    const CuttingSettings loaded = CuttingSettings::Load(TMyMemIniFile(file));
    EXPECT_EQ(loaded, s);
    EXPECT_NE(loaded, CuttingSettings());
}

// A file from before gap mode cuts as it did; gap mode's button wins over the
// trigger's, and the finder takes the page's times as frames of the rate.
TEST_F(CuttingSettingsTest, GapModeKeysAfterTheOlderOnes) {
    {
        TMyMemIniFile ini(file);
        ini.WriteBool("tsCut", "rbtnUseTrigger.Checked", true);
        ini.WriteInteger("tsCut", "sedtTriggerDelay.Value", 250);
    }
    CuttingSettings s = CuttingSettings::Load(TMyMemIniFile(file));
    EXPECT_EQ(s.Mode(), CutMode::Trigger);
    s.findGaps = true;
    EXPECT_EQ(s.Mode(), CutMode::Gaps);
    s.SetMode(CutMode::None);
    EXPECT_FALSE(s.findGaps);
    s.SetMode(CutMode::Gaps);
    EXPECT_TRUE(s.findGaps && !s.useTrigger && !s.cutByInterval && !s.noCut);

    s.gapSensitivityDb = 9;
    s.minimumGapMs = 1500;
    s.lastTimeAfterTriggerMs = 500;
    s.minimumTrackLengthMs = 4000;
    const GapSettings g = s.Gaps(8000);
    EXPECT_EQ(g.sensitivityDb, 9);
    EXPECT_EQ(g.minimumGapSeconds, 1.5);
    EXPECT_EQ(g.delayFrames, 2000);
    EXPECT_EQ(g.tailFrames, 4000);
    EXPECT_EQ(g.minimumFrames, 32000);
}

}  // namespace
}  // namespace zolvane2
