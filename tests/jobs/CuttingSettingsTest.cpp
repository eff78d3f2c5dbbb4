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

}  // namespace
}  // namespace zolvane2
