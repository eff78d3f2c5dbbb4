// Not a check: the pictures of the README and the AppStream data, taken when
// scripts/screenshots.sh runs this program under Xvfb and names a folder in
// ZOLVANE2_SCREENSHOTS. CTest passes it over (a disabled test).

#include <QApplication>
#include <QClipboard>
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
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "app/TReviewPage.h"
#include "app/TWaveView.h"

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

// The page "区切り確認" with a side of three pieces found by their gaps and
// titled from a track list.
TEST_F(Screenshots, DISABLED_ReviewPage) {
    const char* folder = std::getenv("ZOLVANE2_SCREENSHOTS");
    const char* tracks = std::getenv("ZOLVANE2_SCREENSHOT_TRACKS");
    ASSERT_TRUE(folder != nullptr && tracks != nullptr);
    auto& w = Open();
    w.resize(680, 520);
    // Stereo pieces that swell and fade like music, over a little hiss.
    constexpr int kRate = 22050;
    std::vector<std::int16_t> samples;
    std::uint32_t noise = 7;
    const auto add = [&](double seconds, double loudness) {
        for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double swell =
                loudness * (0.35 + 0.65 * std::abs(std::sin(t * 1.7)) * (0.7 + 0.3 * std::sin(t * 0.45)));
            for (int c = 0; c < 2; ++c) {
                noise = noise * 1664525U + 1013904223U;
                const double hiss = 60.0 * (static_cast<double>(noise >> 8) / 16777216.0 * 2 - 1);
                const double tone = std::sin(t * (c == 0 ? 1382.0 : 1740.0)) * 0.6 + std::sin(t * 2181.0) * 0.4;
                samples.push_back(static_cast<std::int16_t>(std::lround(hiss + swell * 12000 * tone)));
            }
        }
    };
    add(1.5, 0);
    add(9, 1);
    add(2, 0);
    add(6, 0.6);
    add(1.8, 0);
    add(11, 0.9);
    add(2.5, 0);
    const QString name = QString::fromUtf8(tracks) + QStringLiteral("/Side-A.wav");
    test::WriteWave(name.toStdString(), 2, kRate, Pcm(samples));
    w.AddFileToList(name, -1);
    w.show();
    w.OpenRowInReview(0);
    auto* page = Control<TReviewPage>(w, "tsReview");
    const auto settle = [page] {
        do {
            page->Poll();
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (page->Busy());
    };
    settle();
    page->btnProposeGapsClick();
    settle();
    QApplication::clipboard()->setText(QStringLiteral("A1 Morning 0:10\nA2 Interlude 0:07\nA3 Long Walk 0:12\n"));
    page->btnPasteTrackListClick();
    auto* zoom = Control<TWaveView>(w, "imgZoom");
    const std::int64_t boundary = page->Plan().Boundaries().at(1);
    zoom->SetView(static_cast<double>(boundary) - 6.0 * kRate, 12.0 * kRate / zoom->width());
    zoom->SetCursorFrame(boundary);
    zoom->SetSelectedBoundary(1);
    QApplication::processEvents();
    const QString file = QString::fromUtf8(folder) + QStringLiteral("/review.png");
    EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
}

}  // namespace
}  // namespace zolvane2::test
