#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/TfrmWaveInSample.h"
#include "jobs/TMyMemIniFile.h"
#include "support/RecordingWindowTestSupport.h"

namespace zolvane2::test {
namespace {

using namespace std::chrono_literals;

class RecordingScheduleWindowTest : public RecordingWindowTest {
protected:
    [[nodiscard]] std::string KeptSchedule() const {
        return TMyMemIniFile(window->DefaultSettingsFile().toStdString())
            .ReadString("tsSetting", "ScheduledRecording", "");
    }
};

TEST_F(RecordingScheduleWindowTest, AScheduleCountsDownWithTheSettingsFreeStartsByItselfAndIsKeptUntilThen) {
    auto& w = OpenRecorder();
    Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
    const QDateTime start = QDateTime::currentDateTime().addSecs(3600);
    dialogs.schedules.emplace_back(std::pair(start, start.addSecs(1800)));
    Control<QPushButton>(w, "btnSchedule")->click();
    ASSERT_TRUE(w.Schedule());
    EXPECT_TRUE(Control<QLabel>(w, "lblSchedule")->text().startsWith(QStringLiteral("予約 "))) << "the countdown";
    EXPECT_EQ(Control<QPushButton>(w, "btnSchedule")->text(), QStringLiteral("予約取消"));
    EXPECT_TRUE(Control<QLineEdit>(w, "edtBaseFileName")->isEnabled()) << "the settings stay usable";
    EXPECT_EQ(KeptSchedule(), w.Schedule()->ToText());

    // The start, on time by both clocks: the run records the programme's length.
    const auto steady = std::chrono::steady_clock::now();
    w.ScheduleTick(w.Schedule()->Start() - 1s, steady);
    EXPECT_FALSE(w.RecordingRunning());
    w.ScheduleTick(w.Schedule()->Start(), steady + 1s);
    ASSERT_TRUE(PumpUntil([&] { return fake != nullptr && fake->IsStarted(); }));
    EXPECT_FALSE(w.Schedule());
    EXPECT_EQ(KeptSchedule(), "");
    EXPECT_TRUE(dialogs.notices.empty()) << "on time, nothing to tell";
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return !w.RecordingRunning(); }));

    // Armed and cancelled.
    dialogs.schedules.emplace_back(std::pair(start, start.addSecs(60)));
    Control<QPushButton>(w, "btnSchedule")->click();
    ASSERT_TRUE(w.Schedule());
    Control<QPushButton>(w, "btnSchedule")->click();
    EXPECT_FALSE(w.Schedule());
    EXPECT_EQ(KeptSchedule(), "");
}

TEST_F(RecordingScheduleWindowTest, AStartMissedWhileTheProgramWasClosedOrTheMachineSleptIsTold) {
    const std::string file = OpenRecorder().DefaultSettingsFile().toStdString();
    window.reset();
    const auto now = std::chrono::system_clock::now();
    const RecordingSchedule missed(now - 2h, now - 1h);
    TMyMemIniFile(file).WriteString("tsSetting", "ScheduledRecording", missed.ToText());
    auto& w = OpenRecorder();
    EXPECT_FALSE(w.Schedule());
    EXPECT_FALSE(w.RecordingRunning());
    ASSERT_EQ(dialogs.notices.size(), 1U);
    EXPECT_TRUE(dialogs.notices[0].second.contains(QStringLiteral("起動していませんでした")))
        << dialogs.notices[0].second.toStdString();
    EXPECT_EQ(KeptSchedule(), "") << "told once";

    // Asleep through the start, awake before the end: the rest is recorded.
    const auto steady = std::chrono::steady_clock::now();
    w.ArmSchedule(RecordingSchedule(now + 10s, now + 1h), false);
    w.ScheduleTick(now, steady);
    w.ScheduleTick(now + 20min, steady + 1s);
    ASSERT_EQ(dialogs.notices.size(), 2U);
    EXPECT_TRUE(dialogs.notices[1].second.contains(QStringLiteral("スリープ")))
        << dialogs.notices[1].second.toStdString();
    EXPECT_TRUE(dialogs.notices[1].second.contains(QStringLiteral("残りの 0:40:00")))
        << dialogs.notices[1].second.toStdString();
    EXPECT_TRUE(w.RecordingRunning());
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return !w.RecordingRunning(); }));
}

}  // namespace
}  // namespace zolvane2::test
