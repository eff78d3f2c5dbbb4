// The page "区切り確認": a file with known gaps opened from the list, its
// proposed pieces, dragging a boundary with undo and redo, titles from a
// pasted track list, and the cut against the command-line tool's.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "JobsWindowTest.h"
#include "app/TReviewPage.h"
#include "app/TWaveView.h"
#include "platform/SoundOutput.h"
#include "support/CliProcess.h"
#include "support/FakeSoundOutput.h"
#include "support/FlacTool.h"
#include "support/NoisySide.h"
#include "support/PlayTestSupport.h"

namespace zolvane2::test {
namespace {

constexpr int kRate = 22050;

class ReviewTest : public JobsWindowTest {
protected:
    void SetUp() override {
        JobsWindowTest::SetUp();
        side_.Hiss(2).Music(6).Hiss(1.5).Music(5).Hiss(2).Music(7).Hiss(3);
        test::WriteWave(Path(QStringLiteral("side.wav")).toStdString(), 1, kRate, Pcm(side_.samples));
        window->AddFileToList(Path(QStringLiteral("side.wav")), -1);
        window->resize(900, 700);
        window->show();
        page_ = Control<TReviewPage>(*window, "tsReview");
        zoom_ = Control<TWaveView>(*window, "imgZoom");
    }
    void TearDown() override {
        JobsWindowTest::TearDown();
        SetSoundOutputFactory(nullptr);
    }

    // Runs the page's poll until its reads have ended.
    void WaitForPage() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        do {
            page_->Poll();
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } while (page_->Busy() && std::chrono::steady_clock::now() < deadline);
        ASSERT_FALSE(page_->Busy());
    }

    // Opens side.wav through the list's context menu and proposes its gaps.
    void OpenAndFindGaps() {
        auto* list = Control<QTreeWidget>(*window, "lvResult");
        list->setCurrentItem(list->topLevelItem(0));
        Control<QAction>(*list, "actReview")->trigger();
        auto* pages = Control<QTabWidget>(*window, "PageControl1");
        ASSERT_EQ(pages->tabText(pages->currentIndex()), QStringLiteral("区切り確認"));
        WaitForPage();
        ASSERT_TRUE(page_->LevelsReady());
        Click("btnProposeGaps");
        WaitForPage();
    }

    void Mouse(QEvent::Type type, double x, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(x, zoom_->height() / 2.0);
        QMouseEvent event(type, at, zoom_->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, modifiers);
        QApplication::sendEvent(zoom_, &event);
    }

    void Drag(std::int64_t fromFrame, double dx, Qt::KeyboardModifiers modifiers) {
        const double x = zoom_->XOf(static_cast<double>(fromFrame));
        Mouse(QEvent::MouseButtonPress, x);
        Mouse(QEvent::MouseMove, x + dx / 2);
        Mouse(QEvent::MouseMove, x + dx);
        Mouse(QEvent::MouseButtonRelease, x + dx, modifiers);
    }

    [[nodiscard]] std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        auto* pieces = Control<QTreeWidget>(*window, "lvPieces");
        for (int i = 0; i < pieces->topLevelItemCount(); ++i) {
            titles.push_back(pieces->topLevelItem(i)->text(1).toStdString());
        }
        return titles;
    }

    test::NoisySide side_{kRate};
    TReviewPage* page_ = nullptr;
    TWaveView* zoom_ = nullptr;
};

// Each proposed piece holds one piece of music whole and starts after the
// one before it ended; the label file the page saves gives the same pieces
// back when the file is opened again.
TEST_F(ReviewTest, GapsOfAFileBecomePiecesThatAReopenTakesUpAgain) {
    OpenAndFindGaps();
    const std::vector<CutPoint> pieces = page_->Plan().Pieces();
    ASSERT_EQ(pieces.size(), side_.music.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_LE(pieces[i].StartFrame, side_.music[i].first) << i;
        EXPECT_GE(pieces[i].EndFrame, side_.music[i].second) << i;
        if (i > 0) {
            EXPECT_GT(pieces[i].StartFrame, side_.music[i - 1].second) << i;
        }
    }
    EXPECT_EQ(Control<QTreeWidget>(*window, "lvPieces")->topLevelItemCount(), 3);

    Click("btnSaveCuts");
    window->OpenRowInReview(0);
    WaitForPage();
    EXPECT_EQ(page_->Plan().Pieces(), pieces);
    EXPECT_EQ(Messages().Count(), 0U);
}

// A boundary dragged with Shift lands where it was let go; without, on the
// quiet near there. Undo and redo step through both moves.
TEST_F(ReviewTest, DraggedBoundarySnapsToTheQuietAndUndoRedoStepThroughIt) {
    OpenAndFindGaps();
    // The whole file in view: a column is some 30 frames.
    zoom_->SetView(0, 1e9);
    const std::vector<std::int64_t> proposed = page_->Plan().Boundaries();
    ASSERT_EQ(proposed.size(), 4U);

    Drag(proposed[1], 4, Qt::ShiftModifier);
    const std::int64_t free = page_->Plan().Boundaries()[1];
    EXPECT_EQ(free, zoom_->FrameAt(zoom_->XOf(static_cast<double>(proposed[1])) + 4));
    EXPECT_NE(free, proposed[1]);

    // Into the second piece's music: the snap takes it back to the gap.
    const double intoMusic =
        zoom_->XOf(static_cast<double>(side_.music[1].first) + 0.3 * kRate) - zoom_->XOf(static_cast<double>(free));
    Drag(free, intoMusic, Qt::NoModifier);
    const std::int64_t snapped = page_->Plan().Boundaries()[1];
    EXPECT_GT(snapped, side_.music[0].second);
    EXPECT_LT(snapped, side_.music[1].first);

    Click("btnReviewUndo");
    EXPECT_EQ(page_->Plan().Boundaries()[1], free);
    Click("btnReviewUndo");
    EXPECT_EQ(page_->Plan().Boundaries(), proposed);
    Click("btnReviewRedo");
    Click("btnReviewRedo");
    EXPECT_EQ(page_->Plan().Boundaries()[1], snapped);
    EXPECT_FALSE(Control<QToolButton>(*window, "btnReviewRedo")->isEnabled());
}

// A pasted track list titles the pieces in order; a title edited in the
// list is one more step to undo. FLAC pieces carry the titles in their
// names and TITLE tags.
TEST_F(ReviewTest, PastedTrackListNamesThePieces) {
    OpenAndFindGaps();
    QApplication::clipboard()->setText(
        QStringLiteral("ALBUM: Side\nA1 First 0:07\nA2 Guest – Second 0:06\nA3 Third 0:08\n"));
    Click("btnPasteTrackList");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"First", "Guest - Second", "Third"}));

    Control<QTreeWidget>(*window, "lvPieces")->topLevelItem(2)->setText(1, QStringLiteral("三曲目"));
    EXPECT_EQ(page_->Plan().Piece(2).Name, "三曲目");
    Click("btnReviewUndo");
    EXPECT_EQ(Titles().back(), "Third");

    // Not a track list: said so, titles kept.
    QApplication::clipboard()->setText(QStringLiteral("no time here\n"));
    Click("btnPasteTrackList");
    EXPECT_EQ(Messages().Count(), 1U);
    EXPECT_EQ(Titles().front(), "First");

    Control<QComboBox>(*window, "cbReviewFormat")->setCurrentIndex(1);
    dialogs.files.emplace_back(dir.path());
    const int rows = window->RowCount();
    Click("btnReviewCut");
    RunJobToEnd();
    ASSERT_EQ(Captions(rows),
              (std::vector<std::string>{"side-001 First.flac", "side-002 Guest - Second.flac", "side-003 Third.flac"}));
    if (HaveFlacTools()) {
        EXPECT_EQ(ShellOutput("metaflac --show-tag=TITLE " + Quoted(window->RowPath(rows + 1).toStdString())),
                  "TITLE=Guest - Second\n");
    }
}

// Tab goes from boundary to boundary; the 3 seconds around the chosen one
// are what the player plays, then the playing position goes.
TEST_F(ReviewTest, TabChoosesABoundaryAndItsThreeSecondsArePlayed) {
    auto output = std::make_shared<FakeSoundOutput>();
    SetSoundOutputFactory([output] { return std::make_unique<ForwardingSoundOutput>(output); });
    OpenAndFindGaps();
    zoom_->setFocus();
    for (int i = 0; i < 2; ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(zoom_, &tab);
    }
    const std::int64_t boundary = page_->Plan().Boundaries()[1];
    ASSERT_EQ(zoom_->SelectedBoundary(), 1);
    EXPECT_EQ(zoom_->CursorFrame(), boundary);

    Click("btnPlayAround");
    auto* timer = Control<QTimer>(*window, "tmrReview");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        (void)output->ReturnNext();
        GetMainThreadDispatcher()->Pump(std::chrono::milliseconds(1));
        page_->Poll();
    } while (timer->isActive() && std::chrono::steady_clock::now() < deadline);
    EXPECT_FALSE(timer->isActive());
    const auto half = static_cast<std::size_t>(kRate * 3 / 2);
    const auto first = static_cast<std::size_t>(boundary) - half;
    const std::vector<std::int16_t> around(side_.samples.begin() + static_cast<std::ptrdiff_t>(first),
                                           side_.samples.begin() + static_cast<std::ptrdiff_t>(first + 2 * half));
    EXPECT_EQ(output->Played(), Pcm(around));
}

// The cut writes what the tool cuts from the label file the page left
// beside the source, lists the pieces and never writes over a file it did
// not make.
TEST_F(ReviewTest, CutGivesTheToolsPiecesOfTheSavedLabels) {
    OpenAndFindGaps();
    zoom_->SetView(0, 1e9);
    Drag(page_->Plan().Boundaries()[2], -3, Qt::ShiftModifier);
    const QString out = Path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    dialogs.files.emplace_back(out);
    const int rows = window->RowCount();
    Click("btnReviewCut");
    RunJobToEnd();
    ASSERT_EQ(window->RowCount(), rows + 3);
    EXPECT_EQ(window->RowPath(rows), out + QStringLiteral("/side-001.wav"));

    const QString tool = Path(QStringLiteral("tool"));
    ASSERT_TRUE(QDir().mkpath(tool));
    ASSERT_TRUE(QFile::copy(Path(QStringLiteral("side.wav")), tool + QStringLiteral("/side.wav")));
    const auto r =
        RunCliIn(tool.toStdString(), {"split", "--digits", "3", "--from-labels", page_->LabelPath(), "side.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines().size(), 3U);
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("/side-%1.wav").arg(i + 1, 3, 10, QLatin1Char('0'));
        EXPECT_EQ(ReadAll(out + name), ReadAll(tool + name)) << name.toStdString();
    }

    // Something else where the label file goes: kept, and the cut still runs.
    WriteFile(QString::fromStdString(page_->LabelPath()), Bytes{'n', 'o', 't', 'e', 's'});
    dialogs.files.emplace_back(out);
    Click("btnReviewCut");
    RunJobToEnd();
    EXPECT_EQ(ReadAll(QString::fromStdString(page_->LabelPath())), QByteArray("notes"));
    EXPECT_EQ(Messages().Count(), 1U);
    EXPECT_EQ(window->RowPath(window->RowCount() - 1), out + QStringLiteral("/side-006.wav"));
}

}  // namespace
}  // namespace zolvane2::test
