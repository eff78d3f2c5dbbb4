#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "Version.h"
#include "app/TDropFileSource.h"
#include "app/THelpViewer.h"
#include "app/TShellAboutDialog.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {
namespace {

using LifecycleTest = WindowTest;

TEST_F(LifecycleTest, SwitchesInLowerCaseAndEitherOrderSetBothAndTheFirstShowStarts) {
    auto& w = Open({QStringLiteral("/autoquit"), QStringLiteral("/AutoStart")});
    EXPECT_TRUE(Control<QToolButton>(*window, "btnExitApps")->isChecked());
    EXPECT_TRUE(w.AutoStartPending());
    w.show();
    EXPECT_FALSE(w.AutoStartPending()) << "the first show takes the automatic start";
}

TEST_F(LifecycleTest, OnlyTheFirstTwoArgumentsCountAndOnlyWhole) {
    auto& w = Open({QStringLiteral("x"), QStringLiteral("/AUTOSTARTX"), QStringLiteral("/AUTOSTART")});
    EXPECT_FALSE(w.AutoStartPending());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnExitApps")->isChecked());
    auto& v = Open({QStringLiteral("/AUTOSTART ")});
    EXPECT_FALSE(v.AutoStartPending());
}

TEST_F(LifecycleTest, TheAboutItemIsTheLastMenuEntryAfterASeparatorAndShowsTheVersionRecord) {
    Open();
    auto* menu = Control<QMenu>(*window, "HelpMenu");
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions.at(actions.size() - 2)->isSeparator());
    QAction* about = actions.constLast();
    EXPECT_EQ(about->text(), QStringLiteral("バージョン情報..."));
    EXPECT_EQ(about->data().toInt(), 1034);
    about->trigger();
    ASSERT_EQ(dialogs.abouts.size(), 1U);
    EXPECT_EQ(dialogs.abouts[0].title, QStringLiteral("バージョン情報"));
    EXPECT_EQ(dialogs.abouts[0].heading, QStringLiteral("Zolvane2"));
    const QString text = dialogs.abouts[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("ver. ") + QString::fromUtf8(version::FileVersion) +
                                QStringLiteral(", Last Update : ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nCreated by ") + QString::fromUtf8(version::CompanyName) +
                              QStringLiteral("\r\n") + QString::fromUtf8(version::Comments) + QStringLiteral("\r\n")))
        << text.toStdString();
    // The legal notices close the box: copyright, licence without warranty, homepage.
    EXPECT_TRUE(
        text.endsWith(QStringLiteral("\r\nCopyright (C) 2026 The Zolvane2 developers\r\n"
                                     "ライセンス: GPL-3.0-or-later（無保証）\r\n"
                                     "ホームページ: https://github.com/zolvane2/zolvane2")))
        << text.toStdString();
    EXPECT_TRUE(TShellAboutDialog::GetVersionString(QStringLiteral("\\Unknown")).isEmpty());
}

TEST_F(LifecycleTest, TheHelpMenuOpensFromTheKeyboard) {
    Open();
    auto* help = Control<QToolButton>(*window, "btnHelp");
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            opened = popup->objectName() == QStringLiteral("HelpMenu");
            popup->close();
        }
    });
    QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
    QCoreApplication::sendEvent(help, &altDown);
    EXPECT_TRUE(opened);
}

// An installed program (its help in the data folder) keeps settings and
// recordings out of its own folder even where it may write there (root).
TEST_F(LifecycleTest, AnInstalledProgramTakesItsHelpFromTheDataFolderAndKeepsItsFolderClean) {
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("usr/bin"))));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("usr/share/zolvane2"))));
    const QString installed = Path(QStringLiteral("usr/share/zolvane2/zolvane2.hlp"));
    const QString beside = Path(QStringLiteral("usr/bin/zolvane2.hlp"));
    WriteFile(installed, Bytes(10, 1));
    TWindowOptions options;
    options.programPath = Path(QStringLiteral("usr/bin/zolvane2"));
    options.dialogs = &dialogs;
    window = std::make_unique<TfrmWaveInSample>(options);
    EXPECT_FALSE(window->DefaultSettingsFile().startsWith(Path(QStringLiteral("usr/"))));
    EXPECT_FALSE(window->DefaultBaseFileName().startsWith(Path(QStringLiteral("usr/"))));
    Control<QToolButton>(*window, "btnHelp")->click();
    WriteFile(beside, Bytes(10, 1));
    Control<QToolButton>(*window, "btnHelp")->click();
    ASSERT_EQ(dialogs.helps.size(), 2U);
    EXPECT_EQ(dialogs.helps[0].first, installed);
    EXPECT_EQ(dialogs.helps[1].first, beside);
}

TEST_F(LifecycleTest, HelpOpensContextOneOnTheButtonAndTheControlsContextOnF1) {
    auto& w = Open();
    Control<QToolButton>(*window, "btnHelp")->click();
    ASSERT_EQ(dialogs.helps.size(), 1U);
    EXPECT_EQ(dialogs.helps[0].first, ProgramPath() + QStringLiteral(".hlp"));
    EXPECT_EQ(dialogs.helps[0].second, 1);

    w.show();
    auto* f1 = w.findChild<QShortcut*>();
    ASSERT_NE(f1, nullptr);
    const std::pair<const char*, int> cases[] = {
        {"cbSamplingFreq", 6}, {"sedtRecordingTimeM", 7}, {"sedtPrec", 17}, {"lvResult", 1}};
    for (const auto& [name, context] : cases) {
        QWidget* control = w.findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_NE(control, nullptr) << name;
        control->setFocus();
        Q_EMIT f1->activated();
        EXPECT_EQ(dialogs.helps.back().second, context) << name;
    }
}

TEST_F(LifecycleTest, DroppedFilesJoinTheListInOrderFoldersAndOtherFilesAddNothing) {
    auto& w = Open();
    WriteWave(Path(QStringLiteral("b.wav")), 2, 44100, 10);
    WriteWave(Path(QStringLiteral("a.wav")), 2, 44100, 10);
    WriteFile(Path(QStringLiteral("c.raw")), Bytes(40, 1));
    QDir(dir.path()).mkdir(QStringLiteral("folder.wav"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path(QStringLiteral("b.wav"))),
                  QUrl::fromLocalFile(Path(QStringLiteral("folder.wav"))),
                  QUrl::fromLocalFile(Path(QStringLiteral("a.wav"))), QUrl(QStringLiteral("https://example.org/x.wav")),
                  QUrl::fromLocalFile(Path(QStringLiteral("c.raw")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    ASSERT_EQ(w.RowCount(), 3);
    EXPECT_EQ(w.RowPath(0), Path(QStringLiteral("b.wav")));
    EXPECT_EQ(w.RowPath(1), Path(QStringLiteral("a.wav")));
    EXPECT_EQ(w.RowPath(2), Path(QStringLiteral("c.raw")));
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(LifecycleTest, NoBoxTakesAFileDropOrHoldsALineBreak) {
    auto& w = Open();
    // Qt hands a drop to the widget under the pointer or, when that takes no
    // drops, to its nearest ancestor that does: for every box the window.
    for (QWidget* box : w.findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(box) == nullptr && qobject_cast<QAbstractSpinBox*>(box) == nullptr) {
            continue;
        }
        QWidget* target = box;
        while (target != nullptr && !target->acceptDrops()) {
            target = target->parentWidget();
        }
        EXPECT_EQ(target, &w) << box->objectName().toStdString();
    }
    QApplication::clipboard()->setText(QStringLiteral("/tmp/a\nb.wav\r\n"));
    Control<QLineEdit>(w, "edtBaseFileName")->clear();
    Control<QLineEdit>(w, "edtBaseFileName")->paste();
    EXPECT_EQ(Control<QLineEdit>(w, "edtBaseFileName")->text(), QStringLiteral("/tmp/ab.wav"));
    Control<QLineEdit>(w, "edtBaseFileName")->setText(QStringLiteral("/tmp/x\r\ny.wav"));
    EXPECT_EQ(Control<QLineEdit>(w, "edtBaseFileName")->text(), QStringLiteral("/tmp/xy.wav"));
    Control<QComboBox>(w, "cbSamplingFreq")->setEditText(QStringLiteral("480\n00"));
    EXPECT_EQ(Control<QComboBox>(w, "cbSamplingFreq")->currentText(), QStringLiteral("48000"));
}

TEST_F(LifecycleTest, TheSettingsPagesFitTheDefaultSizeWithTheLongWarningWrapped) {
    auto& w = Open();
    Control<QSpinBox>(w, "sedtRecordingTimeH")->setValue(10);  // past 2 GB: the longest warning
    ASSERT_TRUE(Control<QLabel>(w, "pnlSizeWarning")->text().startsWith(QStringLiteral("2Gオーバー")));
    w.show();
    Control<QTabWidget>(w, "PageControl1")->setCurrentWidget(Control<QWidget>(w, "tsSetting"));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.size(), QSize(423, 463));
    auto* page = qobject_cast<QScrollArea*>(Control<QWidget>(w, "tsSetting"));
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->verticalScrollBar()->isVisible());
    EXPECT_FALSE(page->horizontalScrollBar()->isVisible());
    const QRect inSight = page->viewport()->rect();
    for (QWidget* control : {static_cast<QWidget*>(Control<QPushButton>(w, "btnRefFile")),
                             static_cast<QWidget*>(Control<QLabel>(w, "pnlSizeWarning"))}) {
        const QRect at(control->mapTo(page->viewport(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(inSight.contains(at)) << control->objectName().toStdString();
    }
    const QFontMetrics metrics(Control<QLabel>(w, "pnlSizeWarning")->font());
    EXPECT_LE(metrics.horizontalAdvance(Control<QLabel>(w, "pnlSizeWarning")->text()) >
                      Control<QLabel>(w, "pnlSizeWarning")->contentsRect().width()
                  ? 2 * metrics.lineSpacing()
                  : metrics.lineSpacing(),
              Control<QLabel>(w, "pnlSizeWarning")->contentsRect().height())
        << "the whole warning can be read";

    // The cutting page fits as well, its drawing with every editor on it.
    Control<QTabWidget>(w, "PageControl1")->setCurrentWidget(Control<QWidget>(w, "tsCut"));
    QCoreApplication::processEvents();
    auto* cut = qobject_cast<QScrollArea*>(Control<QWidget>(w, "tsCut"));
    ASSERT_NE(cut, nullptr);
    EXPECT_FALSE(cut->verticalScrollBar()->isVisible());
    EXPECT_FALSE(cut->horizontalScrollBar()->isVisible());
}

TEST(HelpDocumentTest, EveryContextNumberHasItsAnchorAndTheViewerScrollsToIt) {
    const QString source = QStringLiteral(ZOLVANE2_SOURCE_DIR "/src/app/help/zolvane2.html");
    const QString html = QString::fromUtf8(ReadAll(source));
    ASSERT_FALSE(html.isEmpty()) << source.toStdString();
    for (int context : {1, 4, 5, 6, 7, 8, 15, 17, 18, 19, 20, 21, 24, 28}) {
        EXPECT_TRUE(html.contains(QStringLiteral("<a name=\"%1\">").arg(THelpViewer::AnchorName(context)))) << context;
    }
    THelpViewer viewer;
    ASSERT_TRUE(viewer.ShowContext(source, 24));
    auto* browser = viewer.findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    QCoreApplication::processEvents();
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(viewer.ShowContext(source + QStringLiteral(".missing"), 1));
}

// Counts drags instead of running one; a move during the drag comes back in.
class RecordingDropSource final : public TDropFileSource {
public:
    TfrmWaveInSample* window = nullptr;
    std::vector<QStringList> drags;
    void Execute(QWidget* /*source*/) override {
        drags.push_back(Files);
        window->lvResultMouseMove(Qt::LeftButton, QPoint(300, 300));
    }
};

TEST_F(LifecycleTest, ARowIsDraggedOutAfterTenPixelsOnce) {
    auto& w = Open();
    WriteWave(Path(QStringLiteral("a.wav")), 2, 44100, 10);
    w.AddFileToList(Path(QStringLiteral("a.wav")), -1);
    auto* source = new RecordingDropSource;
    source->window = &w;
    w.SetDropFileSource(source);

    auto* list = Control<QTreeWidget>(*window, "lvResult");
    list->setCurrentItem(nullptr);
    list->clearSelection();
    w.lvResultMouseDown(Qt::LeftButton, QPoint(20, 20));
    w.lvResultMouseMove(Qt::LeftButton, QPoint(40, 40));
    EXPECT_TRUE(source->drags.empty()) << "no highlighted row, nothing offered";

    list->setCurrentItem(list->topLevelItem(0));
    w.lvResultMouseDown(Qt::LeftButton, QPoint(20, 20));
    w.lvResultMouseMove(Qt::LeftButton, QPoint(29, 29));
    w.lvResultMouseMove(Qt::NoButton, QPoint(60, 60));
    EXPECT_TRUE(source->drags.empty());
    w.lvResultMouseDown(Qt::RightButton, QPoint(100, 100));  // does not move the start point
    w.lvResultMouseMove(Qt::LeftButton, QPoint(30, 20));
    ASSERT_EQ(source->drags.size(), 1U) << "a move that arrives during the drag starts no second one";
    EXPECT_EQ(source->drags[0], QStringList{Path(QStringLiteral("a.wav"))});
    EXPECT_FALSE(w.DragInProgress());
    EXPECT_EQ(w.RowCount(), 1);
}

}  // namespace
}  // namespace zolvane2::test
