// Not a check: the pictures of the README and the AppStream data, taken when
// scripts/screenshots.sh runs this program under Xvfb and names a folder in
// ZOLVANE2_SCREENSHOTS. CTest passes it over (a disabled test).

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdlib>

// GCC sees the optional answer of the scripted dialogs as possibly
// uninitialised once it inlines it here; it is not.
#pragma GCC diagnostic push
#if !defined(__clang__)  // clang has no such warning
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "support/WindowTestSupport.h"
#pragma GCC diagnostic pop

namespace zolvane2::test {
namespace {

using Screenshots = WindowTest;

TEST_F(Screenshots, DISABLED_ThreePages) {
    const char* folder = std::getenv("ZOLVANE2_SCREENSHOTS");
    const char* tracks = std::getenv("ZOLVANE2_SCREENSHOT_TRACKS");
    ASSERT_TRUE(folder != nullptr && tracks != nullptr)
        << "ZOLVANE2_SCREENSHOTS names the folder for the pictures, ZOLVANE2_SCREENSHOT_TRACKS one for the tracks";
    auto& w = Open();
    // Wider than the default, so that the list shows whole dates and lengths.
    w.resize(680, 520);
    auto* list = Control<QTreeWidget>(w, "lvResult");
    int column = 0;
    for (const int width : {150, 130, 100, 55, 55}) {
        list->setColumnWidth(column++, width);
    }
    // Five pieces of a recording: stereo, one mono, one longer.
    const struct {
        int channels;
        std::int64_t seconds;
        bool checked;
    } pieces[] = {{2, 3, false}, {2, 4, true}, {2, 2, false}, {1, 5, true}, {2, 64, false}};
    int row = 0;
    for (const auto& piece : pieces) {
        const QString name =
            QString::fromUtf8(tracks) + QStringLiteral("/Track%1.wav").arg(row + 1, 5, 10, QLatin1Char('0'));
        WriteWave(name, piece.channels, 44100, piece.seconds * 44100);
        w.AddFileToList(name, -1);
        w.SetRowChecked(row++, piece.checked);
    }
    list->setCurrentItem(list->topLevelItem(2));
    Control<QLineEdit>(w, "edtBaseFileName")->setText(QString::fromUtf8(tracks) + QStringLiteral("/Track.wav"));
    w.show();
    auto* pages = Control<QTabWidget>(w, "PageControl1");
    const char* names[] = {"main", "recording-settings", "cutting-settings"};
    for (int page = 0; page < 3; ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        const QString file =
            QString::fromUtf8(folder) + QLatin1Char('/') + QString::fromUtf8(names[page]) + QStringLiteral(".png");
        EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
    }
}

}  // namespace
}  // namespace zolvane2::test
