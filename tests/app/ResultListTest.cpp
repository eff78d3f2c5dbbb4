#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TRadioGroup.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {
namespace {

class ResultListTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Open();
    }
    QStringList Captions() const {
        QStringList names;
        for (int r = 0; r < window->RowCount(); ++r) {
            names.append(QFileInfo(window->RowPath(r)).fileName());
        }
        return names;
    }
};

TEST_F(ResultListTest, WaveUpperCaseWaveAndRawFilesGiveRowsOthersNothing) {
    WriteWave(Path(QStringLiteral("a.wav")), 2, 44100, 44100 * 3723);
    WriteWave(Path(QStringLiteral("B.WAV")), 1, 8000, 8000);
    WriteFile(Path(QStringLiteral("c.raw")), Bytes(44100 * 4 * 2, 1));
    WriteFile(Path(QStringLiteral("d.mp3")), Bytes(100, 1));
    for (const char* name : {"a.wav", "B.WAV", "c.raw", "d.mp3", "missing.wav"}) {
        window->AddFileToList(Path(QString::fromUtf8(name)), -1);
    }
    EXPECT_EQ(Messages().Count(), 0U);
    ASSERT_EQ(window->RowCount(), 3);
    EXPECT_EQ(Captions(), (QStringList{QStringLiteral("a.wav"), QStringLiteral("B.WAV"), QStringLiteral("c.raw")}));
    const QRegularExpression date(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d[02468]$"));
    EXPECT_TRUE(date.match(window->SubItem(0, 0)).hasMatch()) << window->SubItem(0, 0).toStdString();
    EXPECT_EQ(window->SubItem(0, 1), QStringLiteral("00001:02:03"));
    EXPECT_EQ(window->SubItem(0, 2), QStringLiteral("Stereo"));
    EXPECT_EQ(window->SubItem(0, 3), QStringLiteral("44100"));
    EXPECT_EQ(window->SubItem(0, 4), dir.path() + QStringLiteral("/"));
    EXPECT_EQ(window->SubItem(0, 5), QStringLiteral("44"));
    EXPECT_EQ(window->SubItem(0, 6), QString::number(44100LL * 3723 * 4));
    EXPECT_EQ(window->SubItem(1, 2), QStringLiteral("Mono"));
    EXPECT_EQ(window->SubItem(1, 1), QStringLiteral("00000:00:01"));
    EXPECT_EQ(window->SubItem(2, 1), QStringLiteral("00000:00:02"));
    EXPECT_EQ(window->SubItem(2, 5), QStringLiteral("0"));
    EXPECT_EQ(window->RowPath(2), Path(QStringLiteral("c.raw")));
    EXPECT_FALSE(window->RowChecked(0));
}

TEST_F(ResultListTest, ARejectedWaveIsReportedByTheReaderAndAddsNothing) {
    WriteWave(Path(QStringLiteral("eight.wav")), 1, 8000, 10);
    QFile f(Path(QStringLiteral("eight.wav")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(34);
    f.write("\x08\x00", 2);  // 8 bits per sample
    f.close();
    window->AddFileToList(Path(QStringLiteral("eight.wav")), -1);
    EXPECT_EQ(window->RowCount(), 0);
    ASSERT_EQ(Messages().Count(), 1U);
    EXPECT_EQ(Messages().Messages()[0].title, "サポート外のファイル");
}

TEST_F(ResultListTest, RawRowsFollowTheRateTextAndTheModeWhenTheEstimateRuns) {
    WriteFile(Path(QStringLiteral("take.raw")), Bytes(44100 * 4 * 10, 1));
    Control<QComboBox>(*window, "cbSamplingFreq")->setEditText(QStringLiteral("44100"));
    window->AddFileToList(Path(QStringLiteral("take.raw")), -1);
    EXPECT_EQ(window->SubItem(0, 1), QStringLiteral("00000:00:10"));
    EXPECT_EQ(window->SubItem(0, 2), QStringLiteral("Stereo"));
    window->SetRowChecked(0, true);
    Control<TRadioGroup>(*window, "rgRecMode")->SetItemIndex(0);
    EXPECT_EQ(window->SubItem(0, 1), QStringLiteral("00000:00:20"));
    EXPECT_EQ(window->SubItem(0, 2), QStringLiteral("Mono"));
    EXPECT_TRUE(window->RowChecked(0)) << "a refresh keeps the check mark";
    Control<QComboBox>(*window, "cbSamplingFreq")->setEditText(QStringLiteral("22050"));
    EXPECT_EQ(window->SubItem(0, 1), QStringLiteral("00000:00:40"));
    EXPECT_EQ(window->SubItem(0, 3), QStringLiteral("22050"));
}

TEST_F(ResultListTest, ListFilesLoadInOrderSkippingEmptyAndMissingLinesAndSaveWithCrLf) {
    const QString folder = Path(QStringLiteral("録音"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString one = folder + QStringLiteral("/one.wav");
    const QString two = Path(QStringLiteral("two.wav"));
    const QString three = Path(QStringLiteral("three.raw"));
    WriteWave(one, 2, 44100, 10);
    WriteWave(two, 2, 44100, 10);
    WriteFile(three, Bytes(400, 1));
    const QString list = Path(QStringLiteral("list.txt"));
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((two + QStringLiteral("\r\n\r\n") + Path(QStringLiteral("gone.wav")) + QStringLiteral("\r\n") + one +
                 QStringLiteral("\n") + three)
                    .toUtf8());
    }
    dialogs.files.push_back(list);
    Control<QToolButton>(*window, "btnOpenList")->click();
    ASSERT_EQ(window->RowCount(), 3);
    EXPECT_EQ(window->RowPath(0), two);
    EXPECT_EQ(window->RowPath(1), one);
    EXPECT_EQ(window->RowPath(2), three);

    const QString saved = Path(QStringLiteral("saved.txt"));
    dialogs.files.push_back(saved);
    Control<QToolButton>(*window, "btnSave")->click();
    EXPECT_TRUE(dialogs.fileRequests.back().confirmOverwrite);
    const QByteArray expected =
        (two + QStringLiteral("\r\n") + one + QStringLiteral("\r\n") + three + QStringLiteral("\r\n")).toUtf8();
    EXPECT_EQ(ReadAll(saved), expected);

    Control<QToolButton>(*window, "btnCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8(expected));

    Control<QToolButton>(*window, "btnClear")->click();
    dialogs.files.push_back(saved);
    Control<QToolButton>(*window, "btnOpenList")->click();
    EXPECT_EQ(window->ListText().toUtf8(), expected);
}

TEST_F(ResultListTest, ColumnClicksSortDescendingFirstThenAscendingPerColumn) {
    WriteWave(Path(QStringLiteral("m1.wav")), 1, 8000, 8000);
    WriteWave(Path(QStringLiteral("s1.wav")), 2, 44100, 100);
    WriteWave(Path(QStringLiteral("m2.wav")), 1, 8000, 8000);
    for (const char* name : {"m1.wav", "s1.wav", "m2.wav"}) {
        window->AddFileToList(Path(QString::fromUtf8(name)), -1);
    }
    auto* header = Control<QTreeWidget>(*window, "lvResult")->header();
    Q_EMIT header->sectionClicked(3);  // "Ch."
    EXPECT_EQ(window->SortDirection(3), -1);
    EXPECT_EQ(window->SubItem(0, 2), QStringLiteral("Stereo"));
    Q_EMIT header->sectionClicked(3);
    EXPECT_EQ(window->SubItem(0, 2), QStringLiteral("Mono"));
    EXPECT_EQ(window->SubItem(2, 2), QStringLiteral("Stereo"));

    // "Freq." compares text: "8000" comes after "44100" in ascending order.
    window->lvResultColumnClick(4);
    EXPECT_EQ(window->SubItem(0, 3), QStringLiteral("8000"));
    window->lvResultColumnClick(4);
    EXPECT_EQ(window->SubItem(0, 3), QStringLiteral("44100"));

    window->lvResultColumnClick(0);
    EXPECT_EQ(Captions(), (QStringList{QStringLiteral("s1.wav"), QStringLiteral("m2.wav"), QStringLiteral("m1.wav")}));
    EXPECT_EQ(window->SortDirection(3), 1) << "each column keeps its own direction";
}

TEST_F(ResultListTest, CheckMarkCommandsRemoveAndClear) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        WriteWave(Path(QString::fromUtf8(name)), 2, 44100, 10);
    }
    auto* remove = Control<QToolButton>(*window, "btnRemove");
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnPlay")->isEnabled());
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        window->AddFileToList(Path(QString::fromUtf8(name)), -1);
    }
    for (const char* b : {"btnDelete", "btnPlay", "btnRename", "btnCombine", "btnDivide", "btnRemove", "btnClear",
                          "btnCheck", "btnUncheck", "btnSave", "btnCopy", "btnInvertCheck", "btnCheckFile"}) {
        EXPECT_TRUE(Control<QToolButton>(*window, b)->isEnabled()) << b;
    }
    remove->click();
    EXPECT_EQ(window->RowCount(), 3) << "nothing checked, nothing removed";
    Control<QToolButton>(*window, "btnCheck")->click();
    EXPECT_TRUE(window->RowChecked(0) && window->RowChecked(1) && window->RowChecked(2));
    Control<QToolButton>(*window, "btnUncheck")->click();
    EXPECT_FALSE(window->RowChecked(0) || window->RowChecked(1) || window->RowChecked(2));
    window->SetRowChecked(1, true);
    Control<QToolButton>(*window, "btnInvertCheck")->click();
    EXPECT_TRUE(window->RowChecked(0) && !window->RowChecked(1) && window->RowChecked(2));
    remove->click();
    EXPECT_EQ(Captions(), QStringList{QStringLiteral("b.wav")});
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("a.wav"))));
    Control<QToolButton>(*window, "btnClear")->click();
    EXPECT_EQ(window->RowCount(), 0);
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnDelete")->isEnabled());
}

TEST_F(ResultListTest, NewRowsStayInSightUnlessTheUserScrolledAway) {
    window->show();
    const QString path = Path(QStringLiteral("a.wav"));
    WriteWave(path, 2, 44100, 10);
    auto* bar = Control<QTreeWidget>(*window, "lvResult")->verticalScrollBar();
    const auto lastRowInSight = [&] {
        QCoreApplication::processEvents();
        const QRect row =
            Control<QTreeWidget>(*window, "lvResult")
                ->visualItemRect(Control<QTreeWidget>(*window, "lvResult")->topLevelItem(window->RowCount() - 1));
        return row.isValid() && row.top() >= 0 &&
               row.bottom() < Control<QTreeWidget>(*window, "lvResult")->viewport()->height();
    };
    for (int i = 0; i < 40; ++i) {
        window->AddFileToList(path, -1);
        ASSERT_TRUE(lastRowInSight()) << i;
    }
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(0);
    window->AddFileToList(path, -1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(lastRowInSight());
    bar->setValue(bar->maximum());
    window->AddFileToList(path, -1);
    EXPECT_TRUE(lastRowInSight());
}

TEST_F(ResultListTest, InPlaceRenameRenamesTheFileButNeverOverAnotherOne) {
    WriteWave(Path(QStringLiteral("old.wav")), 2, 44100, 10);
    WriteWave(Path(QStringLiteral("taken.wav")), 1, 8000, 20);
    window->AddFileToList(Path(QStringLiteral("old.wav")), -1);
    window->lvResultEdited(0, QStringLiteral("new.wav"));
    EXPECT_EQ(window->RowPath(0), Path(QStringLiteral("new.wav")));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("new.wav"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("old.wav"))));
    EXPECT_EQ(Messages().Count(), 0U);

    const QByteArray takenBefore = ReadAll(Path(QStringLiteral("taken.wav")));
    window->lvResultEdited(0, QStringLiteral("taken.wav"));
    EXPECT_EQ(window->RowPath(0), Path(QStringLiteral("new.wav"))) << "the caption keeps the old name";
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("new.wav"))));
    EXPECT_EQ(ReadAll(Path(QStringLiteral("taken.wav"))), takenBefore);
    ASSERT_EQ(Messages().Count(), 1U);
    EXPECT_NE(Messages().Messages()[0].text.find("既にある"), std::string::npos);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no file was renamed around the collision";

    window->lvResultEdited(0, QStringLiteral("sub/x.wav"));
    EXPECT_EQ(Messages().Count(), 2U);
    EXPECT_EQ(window->RowPath(0), Path(QStringLiteral("new.wav")));
}

TEST_F(ResultListTest, EditingTheNameCellRenamesTheFileOnceTheEditorHasClosed) {
    WriteWave(Path(QStringLiteral("old.wav")), 2, 44100, 10);
    window->AddFileToList(Path(QStringLiteral("old.wav")), -1);
    window->show();
    auto* list = Control<QTreeWidget>(*window, "lvResult");
    QTreeWidgetItem* item = list->topLevelItem(0);
    list->editItem(item, 3);
    EXPECT_EQ(list->viewport()->findChild<QLineEdit*>(), nullptr) << "only the file name is edited";
    list->setCurrentItem(item);
    list->editItem(item, 0);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("edited.wav"));
    Q_EMIT list->itemDelegate()->commitData(editor);
    Q_EMIT list->itemDelegate()->closeEditor(editor);
    EXPECT_EQ(window->RowPath(0), Path(QStringLiteral("old.wav"))) << "the caption waits for the rename";
    QCoreApplication::processEvents();
    EXPECT_EQ(window->RowPath(0), Path(QStringLiteral("edited.wav")));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("edited.wav"))));
}

TEST_F(ResultListTest, RefreshReReadsAChangedFileAndReportsAMissingOne) {
    const QString file = Path(QStringLiteral("take.wav"));
    WriteWave(file, 2, 44100, 44100 * 5);
    window->AddFileToList(file, -1);
    window->SetRowChecked(0, true);
    EXPECT_TRUE(window->RefreshListItem(0));
    WriteWave(file, 2, 44100, 44100 * 2);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    f.close();
    Control<QToolButton>(*window, "btnCheckFile")->click();
    EXPECT_EQ(window->SubItem(0, 1), QStringLiteral("00000:00:02"));
    EXPECT_TRUE(window->RowChecked(0));
    EXPECT_EQ(window->RowPath(0), file);
    QFile::remove(file);
    EXPECT_FALSE(window->RefreshListItem(0));
    Control<QToolButton>(*window, "btnCheckFile")->click();
    EXPECT_EQ(window->RowCount(), 1);
}

}  // namespace
}  // namespace zolvane2::test
