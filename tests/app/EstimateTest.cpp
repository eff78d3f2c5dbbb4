#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/TRadioGroup.h"
#include "jobs/DiskSpace.h"
#include "jobs/RecordingEstimate.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {
namespace {

// The figures themselves are the engine's (see RecordingEstimateTest); here
// each control must feed them. The temporary folder lies on a disk with
// several gigabytes free, so the time left is bound by the 2 GB WAVE limit.
class EstimateTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (FreeDiskBytes(dir.path().toStdString()) < 6LL * 1024 * 1024 * 1024) {
            GTEST_SKIP() << "needs 6 GB free in the temporary folder";
        }
        Open();
    }
    QString Text(const char* name) { return Control<QLabel>(*window, name)->text(); }
    // The window shows the estimate for these conditions and its own base name.
    // The time left of a RAW recording follows the free space, which other
    // programs change meanwhile: it need only differ from the WAVE figure.
    void ExpectShows(int rate, int channels, std::int64_t seconds, bool raw) {
        const std::string base = Control<QLineEdit>(*window, "edtBaseFileName")->text().toStdString();
        const auto e = EstimateRecording(base, rate, channels, seconds, raw);
        EXPECT_EQ(Text("lblRecSize").toStdString(), e.recSize);
        EXPECT_EQ(Text("pnlSizeWarning").toStdString(), e.warningText);
        const Rgb rgb = SizeWarningRgb(e.warning);
        EXPECT_EQ(Control<QLabel>(*window, "pnlSizeWarning")->palette().color(QPalette::Window),
                  QColor(rgb.red, rgb.green, rgb.blue));
        const std::string waveTime = EstimateRecording(base, rate, channels, seconds, false).maxRecTime;
        if (raw) {
            EXPECT_NE(Text("lblMaxRecTime").toStdString(), waveTime);
        } else {
            EXPECT_EQ(Text("lblMaxRecTime").toStdString(), waveTime);
        }
    }
};

TEST_F(EstimateTest, EveryConditionControlRecomputes) {
    ExpectShows(44100, 2, 3600, false);
    Control<QSpinBox>(*window, "sedtRecordingTimeH")->setValue(3);  // 4 h in all
    ExpectShows(44100, 2, 4 * 3600, false);
    Control<QCheckBox>(*window, "cbxRAWSave")->setChecked(true);
    ExpectShows(44100, 2, 4 * 3600, true);
    Control<TRadioGroup>(*window, "rgRecMode")->SetItemIndex(0);
    ExpectShows(44100, 1, 4 * 3600, true);
    Control<QComboBox>(*window, "cbSamplingFreq")->setCurrentIndex(4);
    ExpectShows(11025, 1, 4 * 3600, true);
    Control<QSpinBox>(*window, "sedtRecordingTimeM")->setValue(0);
    Control<QSpinBox>(*window, "sedtRecordingTimeH")->setValue(0);
    Control<QSpinBox>(*window, "sedtRecordingTimeS")->setValue(1);
    ExpectShows(11025, 1, 1, true);
    Control<QSpinBox>(*window, "sedtRecordingTimeS")->setValue(0);
    ExpectShows(11025, 1, 0, true);
}

TEST_F(EstimateTest, ARateThatIsNoNumberIsReportedAndLeavesTheFigures) {
    Control<QComboBox>(*window, "cbSamplingFreq")->setEditText(QStringLiteral("12k"));
    ASSERT_EQ(Messages().Count(), 1U);
    EXPECT_NE(Messages().Messages()[0].text.find("'12k'"), std::string::npos);
    ExpectShows(44100, 2, 3600, false);
}

TEST_F(EstimateTest, TheRawSwitchSetsTheBaseNamesExtension) {
    auto* name = Control<QLineEdit>(*window, "edtBaseFileName");
    auto* raw = Control<QCheckBox>(*window, "cbxRAWSave");
    name->setText(QStringLiteral("/rec/Track.wav"));
    raw->setChecked(true);
    EXPECT_EQ(name->text(), QStringLiteral("/rec/Track.raw"));
    raw->setChecked(false);
    EXPECT_EQ(name->text(), QStringLiteral("/rec/Track.wav"));
    name->setText(QStringLiteral("/rec.d/Take"));
    raw->setChecked(true);
    EXPECT_EQ(name->text(), QStringLiteral("/rec.d/Take.raw"));
}

// FLAC wins over RAW: while it is on RAW is greyed out and the name ends in
// .flac; off again, the name follows the RAW box as before.
TEST_F(EstimateTest, TheFlacSwitchGreysRawAndSetsTheExtension) {
    auto* name = Control<QLineEdit>(*window, "edtBaseFileName");
    auto* raw = Control<QCheckBox>(*window, "cbxRAWSave");
    auto* flac = Control<QCheckBox>(*window, "cbxFLACSave");
    EXPECT_EQ(flac->text(), QStringLiteral("FLACで保存"));
    EXPECT_FALSE(flac->toolTip().isEmpty());
    name->setText(QStringLiteral("/rec/Track.wav"));
    raw->setChecked(true);
    flac->setChecked(true);
    EXPECT_EQ(name->text(), QStringLiteral("/rec/Track.flac"));
    EXPECT_FALSE(raw->isEnabled());
    flac->setChecked(false);
    EXPECT_TRUE(raw->isEnabled());
    EXPECT_EQ(name->text(), QStringLiteral("/rec/Track.raw"));
}

TEST_F(EstimateTest, BrowsingForTheBaseNamePicksTheFilterAndFollowsTheChosenExtension) {
    auto* name = Control<QLineEdit>(*window, "edtBaseFileName");
    name->setText(Path(QStringLiteral("Take.RAW")));
    dialogs.files.push_back(Path(QStringLiteral("new.raw")));
    window->btnRefFileClick();
    ASSERT_EQ(dialogs.fileRequests.size(), 1U);
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 1);
    EXPECT_EQ(dialogs.fileRequests[0].initialPath, Path(QStringLiteral("Take.RAW")));
    EXPECT_EQ(name->text(), Path(QStringLiteral("new.raw")));
    EXPECT_TRUE(Control<QCheckBox>(*window, "cbxRAWSave")->isChecked());
    window->btnRefFileClick();  // cancelled
    EXPECT_EQ(name->text(), Path(QStringLiteral("new.raw")));
    EXPECT_EQ(dialogs.fileRequests[1].filterIndex, 1);
}

}  // namespace
}  // namespace zolvane2::test
