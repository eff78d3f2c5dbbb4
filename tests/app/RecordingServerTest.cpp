// The window recording from the private sound server: a known signal written
// into a pipe source is cut into tracks that the window lists as they end.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <cstdlib>
#include <string>

#include "support/CaptureTestSupport.h"
#include "support/RecordingWindowTestSupport.h"
#include "support/SoundTestSupport.h"

namespace zolvane2::test {
namespace {

class RecordingServerTest : public RecordingWindowTest {
protected:
    void SetUp() override {
        RecordingWindowTest::SetUp();
        // The pipe sources' FIFOs go into the daemon's folder, which the
        // server's address names: DIR/runtime/pulse/native.
        const char* server = std::getenv("PULSE_SERVER");
        const std::string suffix = "/runtime/pulse/native";
        if (std::getenv("ZOLVANE2_PULSE_DIR") == nullptr && server != nullptr) {
            std::string folder = server;
            if (folder.rfind("unix:", 0) == 0 && folder.size() > 5 + suffix.size() &&
                folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) == 0) {
                folder = folder.substr(5, folder.size() - 5 - suffix.size());
                ::setenv("ZOLVANE2_PULSE_DIR", folder.c_str(), 1);
            }
        }
    }
};

TEST_F(RecordingServerTest, ASignalFromAPipeSourceIsCutAndEachTrackListedAsItEnds) {
    if (!test::ServerAvailable()) {
        GTEST_SKIP() << "no private sound server";
    }
    SetSoundInputFactory(nullptr);  // the server's own input
    test::PipeSource source(44100, 2);
    ASSERT_TRUE(source.Loaded());
    auto& w = Open();
    Control<QLineEdit>(w, "edtBaseFileName")->setText(Path(QStringLiteral("Take.wav")));
    const int device =
        Control<QComboBox>(w, "cbWaveInDeviceName")->findText(QString::fromStdString(source.Description()));
    ASSERT_GT(device, 0);
    Control<QComboBox>(w, "cbWaveInDeviceName")->setCurrentIndex(device);
    Control<QSpinBox>(w, "sedtTriggerDelay")->setValue(0);
    Control<QSpinBox>(w, "sedtTrackInterval")->setValue(100);
    Control<QSpinBox>(w, "sedtLastTimeAfterTrigger")->setValue(0);

    Control<QPushButton>(w, "btnRecord")->click();
    ASSERT_TRUE(PumpUntil([&] { return !w.WaveInThread()->Idle(); }));
    test::Signal signal(2);
    signal.Quiet(8820).Loud(22050).Quiet(22050).Loud(22050, 7).Quiet(44100).PadTo(16384);
    source.Write(signal.Bytes());

    ASSERT_TRUE(PumpUntil([&] { return w.RowCount() == 2; }, std::chrono::seconds(20)));
    ASSERT_TRUE(PumpUntil([&] { return w.windowTitle() == QStringLiteral("Zolvane2[待機中 : Track00003]"); }));
    Control<QPushButton>(w, "btnStop")->click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }, std::chrono::seconds(20)));
    ASSERT_EQ(w.RowCount(), 2) << "the empty waiting file is not listed";
    EXPECT_EQ(QFileInfo(w.RowPath(0)).fileName(), QStringLiteral("Take00001.wav"));
    EXPECT_EQ(QFileInfo(w.RowPath(1)).fileName(), QStringLiteral("Take00002.wav"));
    // Each half second of sound and, with no tail kept, the first quiet frame.
    EXPECT_EQ(w.SubItem(0, 6), QStringLiteral("88204"));
    EXPECT_EQ(w.SubItem(1, 6), QStringLiteral("88204"));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Take00003.wav"))));
    EXPECT_TRUE(Messages().Messages().empty());
}

}  // namespace
}  // namespace zolvane2::test
