#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "AppTestSupport.h"
#include "app/TRadioGroup.h"
#include "jobs/DiskSpace.h"

namespace zolvane2::apptest {
namespace {

// The temporary folder lies on a disk with several gigabytes free, so the
// figures below do not depend on the machine.
class EstimateTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (FreeDiskBytes(dir.path().toStdString()) < 6LL * 1024 * 1024 * 1024) {
            GTEST_SKIP() << "needs 6 GB free in the temporary folder";
        }
        Open();
    }
    QString Text(const char* name) { return Find<QLabel>(name)->text(); }
    QColor Colour() { return Find<QLabel>("pnlSizeWarning")->palette().color(QPalette::Window); }
};

TEST_F(EstimateTest, OneHourOfCdQualityFits) {
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("605.62Mバイト"));
    EXPECT_EQ(Text("lblMaxRecTime"), QStringLiteral("3h22m53s"));
    EXPECT_EQ(Text("pnlSizeWarning"), QStringLiteral("最後まで録音可能です。"));
    EXPECT_EQ(Colour(), QColor(0, 204, 255));
}

TEST_F(EstimateTest, EveryConditionControlRecomputes) {
    Find<QSpinBox>("sedtRecordingTimeH")->setValue(3);  // 4 h in all
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("2.37Gバイト"));
    EXPECT_EQ(Text("pnlSizeWarning"), QStringLiteral("2Gオーバー。RAW形式または切り出しが必要。"));
    EXPECT_EQ(Colour(), QColor(255, 255, 0));
    Find<QCheckBox>("cbxRAWSave")->setChecked(true);
    EXPECT_EQ(Text("pnlSizeWarning"), QStringLiteral("最後まで録音可能です。"));
    EXPECT_EQ(Colour(), QColor(0, 204, 255));
    EXPECT_NE(Text("lblMaxRecTime"), QStringLiteral("3h22m53s"));
    Find<TRadioGroup>("rgRecMode")->SetItemIndex(0);
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("1.18Gバイト"));
    Find<QComboBox>("cbSamplingFreq")->setCurrentIndex(4);  // 11025
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("302.81Mバイト"));
    Find<QSpinBox>("sedtRecordingTimeM")->setValue(0);
    Find<QSpinBox>("sedtRecordingTimeH")->setValue(0);
    Find<QSpinBox>("sedtRecordingTimeS")->setValue(1);
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("0.02Mバイト"));
}

TEST_F(EstimateTest, ARecordingTimeOfZeroNeedsNothing) {
    Find<QSpinBox>("sedtRecordingTimeM")->setValue(0);
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("0.00Mバイト"));
    EXPECT_EQ(Colour(), QColor(0, 204, 255));
}

TEST_F(EstimateTest, ARateThatIsNoNumberIsReportedAndLeavesTheFigures) {
    Find<QComboBox>("cbSamplingFreq")->setEditText(QStringLiteral("12k"));
    ASSERT_EQ(Messages().Count(), 1U);
    EXPECT_NE(Messages().Messages()[0].text.find("'12k'"), std::string::npos);
    EXPECT_EQ(Text("lblRecSize"), QStringLiteral("605.62Mバイト"));
}

TEST_F(EstimateTest, TheRawSwitchSetsTheBaseNamesExtension) {
    auto* name = Find<QLineEdit>("edtBaseFileName");
    auto* raw = Find<QCheckBox>("cbxRAWSave");
    name->setText(QStringLiteral("/rec/Track.wav"));
    raw->setChecked(true);
    EXPECT_EQ(name->text(), QStringLiteral("/rec/Track.raw"));
    raw->setChecked(false);
    EXPECT_EQ(name->text(), QStringLiteral("/rec/Track.wav"));
    name->setText(QStringLiteral("/rec.d/Take"));
    raw->setChecked(true);
    EXPECT_EQ(name->text(), QStringLiteral("/rec.d/Take.raw"));
}

TEST_F(EstimateTest, BrowsingForTheBaseNamePicksTheFilterAndFollowsTheChosenExtension) {
    auto* name = Find<QLineEdit>("edtBaseFileName");
    name->setText(Path(QStringLiteral("Take.RAW")));
    dialogs.files.push_back(Path(QStringLiteral("new.raw")));
    window->btnRefFileClick();
    ASSERT_EQ(dialogs.fileRequests.size(), 1U);
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 1);
    EXPECT_EQ(dialogs.fileRequests[0].initialPath, Path(QStringLiteral("Take.RAW")));
    EXPECT_EQ(name->text(), Path(QStringLiteral("new.raw")));
    EXPECT_TRUE(Find<QCheckBox>("cbxRAWSave")->isChecked());
    window->btnRefFileClick();  // cancelled
    EXPECT_EQ(name->text(), Path(QStringLiteral("new.raw")));
    EXPECT_EQ(dialogs.fileRequests[1].filterIndex, 1);
}

}  // namespace
}  // namespace zolvane2::apptest
