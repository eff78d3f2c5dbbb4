// The recording desk of the window over a fake input: the keys, the close
// question, the monitor, the tooltips and the peak meter's clip lamp.
#include <QAbstractButton>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include "app/TRadioGroup.h"
#include "support/RecordingWindowTestSupport.h"

namespace zolvane2::test {
namespace {

class RecordingDeskTest : public RecordingWindowTest {
protected:
    TfrmWaveInSample& OpenUncut(const QStringList& arguments = {}) {
        auto& w = OpenRecorder(arguments);
        Control<QRadioButton>(w, "rbtnNoCut")->setChecked(true);
        return w;
    }
    // What the key does, as when it is pressed.
    void Press(const char* key) { Control<QShortcut>(*window, key)->activated(); }
    [[nodiscard]] bool Started() const { return fake != nullptr && fake->IsStarted(); }
};

TEST_F(RecordingDeskTest, TheKeysActThroughTheirButtonsOnlyWhileTheseAreOn) {
    auto& w = OpenUncut();
    EXPECT_EQ(Control<QShortcut>(w, "keyRecord")->key(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(Control<QShortcut>(w, "keyStop")->key(), QKeySequence(QStringLiteral("Ctrl+.")));
    EXPECT_EQ(Control<QShortcut>(w, "keyNextTrack")->key(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(Control<QPushButton>(w, "btnRecord")->text(), QStringLiteral("録音(&R)"));

    Press("keyEscape");
    Press("keyStop");
    EXPECT_FALSE(w.RecordingRunning()) << "nothing to stop";
    Press("keyRecord");
    ASSERT_TRUE(PumpUntil([this] { return Started(); }));
    EXPECT_TRUE(w.RecordingRunning());
    FeedBlocks(1, 1000);
    ASSERT_TRUE(DeliverAll(1));
    Press("keyNextTrack");
    ASSERT_TRUE(PumpUntil([&] { return w.RowCount() == 1; })) << "Ctrl+N closed the first track";
    FeedBlocks(1, 1000);
    ASSERT_TRUE(DeliverAll(1));
    Press("keyEscape");
    ASSERT_TRUE(PumpUntil([this] { return Idle(); })) << "Esc stops a recording";
    EXPECT_EQ(w.RowCount(), 2);
}

// Eleven blocks of 4096 stereo frames arrive at once, as after a stall: the
// clock shows the second of audio they hold, not the moment since the start.
TEST_F(RecordingDeskTest, TheTrackClockShowsTheAudioWrittenNotTheTimeGone) {
    auto& w = OpenUncut();
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([this] { return Started(); }));
    FeedBlocks(11, 1000);
    ASSERT_TRUE(DeliverAll(11));
    ASSERT_TRUE(PumpUntil([&] { return w.WaveInThread()->TrackFrames() == 11 * 4096; }));
    Tick(Control<QTimer>(w, "tmrTrackTime"));
    EXPECT_EQ(Control<QLabel>(w, "lblTrackTime")->text(), QStringLiteral("00000h00m01s"));
    w.btnStopClick();
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
}

TEST_F(RecordingDeskTest, ClosingWhileRecordingAsksUnlessTheRunIsUnattended) {
    auto& w = OpenUncut();
    w.show();
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([this] { return Started(); }));
    EXPECT_FALSE(w.close()) << "no: the window stays";
    ASSERT_EQ(dialogs.questions.size(), 1U);
    EXPECT_TRUE(w.RecordingRunning());
    EXPECT_TRUE(w.isVisible());

    dialogs.questions.clear();
    auto& unattended = OpenUncut({QStringLiteral("/AUTOQUIT")});
    unattended.show();
    Control<QPushButton>(unattended, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([this] { return Started(); }));
    EXPECT_TRUE(unattended.close());
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(unattended.WaveInThread(), nullptr) << "the run was ended";
}

// The fake input cannot be tapped, so the monitor tells that it cannot be
// heard: turned on during a run, it says so at once; off, it stays quiet.
TEST_F(RecordingDeskTest, TheMonitorCanBeTurnedOnDuringARun) {
    auto& w = OpenUncut();
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([this] { return Started(); }));
    auto* monitor = Control<QToolButton>(w, "sbMonitor");
    monitor->click();
    ASSERT_TRUE(PumpUntil([this] { return !dialogs.notices.empty(); }));
    EXPECT_EQ(dialogs.notices.front().first, QStringLiteral("モニター"));
    monitor->click();
    w.btnStopClick();
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
    EXPECT_EQ(dialogs.notices.size(), 1U);
}

TEST_F(RecordingDeskTest, EveryControlWithoutTextOfItsOwnHasATooltip) {
    auto& w = Open();
    for (QWidget* control : w.findChildren<QWidget*>()) {
        const bool command =
            qobject_cast<QAbstractButton*>(control) != nullptr || qobject_cast<QComboBox*>(control) != nullptr ||
            qobject_cast<QSlider*>(control) != nullptr || qobject_cast<QProgressBar*>(control) != nullptr;
        // The group's own buttons share its tooltip; Qt's inner parts are not ours.
        if (!command || control->objectName().isEmpty() || control->objectName().startsWith(QStringLiteral("qt_")) ||
            qobject_cast<TRadioGroup*>(control->parentWidget()) != nullptr ||
            qobject_cast<QTabBar*>(control->parentWidget()) != nullptr) {
            continue;
        }
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }
}

TEST_F(RecordingDeskTest, TheClipLampLightsAtFullScaleAndGoesOutOnAClickOrTheNextRecording) {
    auto& w = OpenUncut();
    auto* lamp = Control<QLabel>(w, "lblClip");
    const QColor unlit = lamp->palette().color(QPalette::Window);
    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([this] { return Started(); }));
    FeedBlocks(1, -32768);
    ASSERT_TRUE(DeliverAll(1));
    ASSERT_TRUE(PumpUntil([&] { return w.Meter().Clipped(); }));
    EXPECT_NE(lamp->palette().color(QPalette::Window), unlit);
    w.btnStopClick();
    ASSERT_TRUE(PumpUntil([this] { return Idle(); }));
    EXPECT_TRUE(w.Meter().Clipped()) << "lit after the run";

    QMouseEvent click(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(lamp, &click);
    EXPECT_FALSE(w.Meter().Clipped());
    EXPECT_EQ(lamp->palette().color(QPalette::Window), unlit);
}

}  // namespace
}  // namespace zolvane2::test
