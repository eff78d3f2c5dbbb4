#include <unistd.h>

#include <QLineEdit>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolButton>

#include "support/WindowTestSupport.h"

namespace zolvane2::test {
namespace {

class FileCommandsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Open();
        Control<QLineEdit>(*window, "edtBaseFileName")->setText(Path(QStringLiteral("Track.wav")));
    }
    void List(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const QString path = Path(QString::fromUtf8(name));
            if (!QFile::exists(path)) {
                if (path.endsWith(QStringLiteral(".raw"), Qt::CaseInsensitive)) {
                    WriteFile(path, Bytes(400, 1));
                } else {
                    WriteWave(path, 2, 44100, 100);
                }
            }
            window->AddFileToList(path, -1);
        }
    }
    QStringList Names() const {
        QStringList names;
        for (int r = 0; r < window->RowCount(); ++r) {
            names.append(QFileInfo(window->RowPath(r)).fileName());
        }
        return names;
    }
    QStringList FilesOnDisk() const {
        QStringList files = QDir(dir.path()).entryList(QDir::Files);
        files.removeAll(QStringLiteral("zolvane2.ini"));
        return files;
    }
};

TEST_F(FileCommandsTest, RenumberFollowsTheListOrder) {
    List({"Track00003.wav", "Track00007.wav", "Track00005.wav"});
    const QByteArray seventh = ReadAll(Path(QStringLiteral("Track00007.wav")));
    Control<QToolButton>(*window, "btnRename")->click();
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Track00001.wav"), QStringLiteral("Track00002.wav"),
                                    QStringLiteral("Track00003.wav")}));
    EXPECT_EQ(FilesOnDisk(), Names());
    EXPECT_EQ(ReadAll(Path(QStringLiteral("Track00002.wav"))), seventh) << "the second row's file became number 2";
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(FileCommandsTest, NumbersTakenOutsideTheListAreSkipped) {
    WriteFile(Path(QStringLiteral("Track00001.raw")), Bytes(10, 1));
    List({"x.wav", "y.wav"});
    window->btnRenameClick();
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Track00002.wav"), QStringLiteral("Track00003.wav")}));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("Track00001.raw"))));
}

TEST_F(FileCommandsTest, TheExtensionKeepsItsCaseAndDigitsFollowTheSetting) {
    List({"TRACK01.WAV"});
    window->btnRenameClick();
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Track00001.WAV")});
    Control<QSpinBox>(*window, "sedtPrec")->setValue(3);
    window->btnRenameClick();
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Track001.WAV")});
}

TEST_F(FileCommandsTest, ACounterAboveTheDigitsGrowsLonger) {
    Control<QSpinBox>(*window, "sedtPrec")->setValue(1);
    for (int n = 1; n <= 9; ++n) {
        WriteFile(Path(QStringLiteral("Track%1.raw").arg(n)), Bytes(4, 1));
    }
    List({"a.wav"});
    window->btnRenameClick();
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Track10.wav")});
}

TEST_F(FileCommandsTest, LongWaveRowsGetTheTooLongSuffixRawRowsDoNot) {
    WriteSparseWave(Path(QStringLiteral("big.wav")), 2147483648LL + 44);
    WriteFile(Path(QStringLiteral("big.raw")), Bytes(16, 1));
    {
        QFile raw(Path(QStringLiteral("big.raw")));
        ASSERT_TRUE(raw.open(QIODevice::ReadWrite));
        ASSERT_TRUE(raw.resize(2147483648LL));
    }
    List({"big.wav", "big.raw"});
    ASSERT_EQ(window->RowCount(), 2);
    EXPECT_EQ(window->SubItem(0, 6), QStringLiteral("2147483648"));
    window->btnRenameClick();
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Track00001_tooLONG.wav"), QStringLiteral("Track00002.raw")}));
}

TEST_F(FileCommandsTest, ATakenTargetWithOtherCaseIsSkippedNotOverwritten) {
    WriteFile(Path(QStringLiteral("Track00001.WAV")), Bytes(8, 1));
    List({"a.WAV"});
    window->btnRenameClick();
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Track00002.WAV")});
    EXPECT_EQ(ReadAll(Path(QStringLiteral("Track00001.WAV"))).size(), 8);
}

TEST_F(FileCommandsTest, DeleteCancelledLeavesTheFilesAndReReadsTheListUnchecked) {
    List({"a.wav", "b.wav", "c.wav"});
    window->btnDeleteClick();
    EXPECT_TRUE(dialogs.deleteRequests.empty()) << "nothing checked, nothing asked";
    window->SetRowChecked(0, true);
    window->SetRowChecked(2, true);
    dialogs.deletes.push_back(false);
    Control<QToolButton>(*window, "btnDelete")->click();
    ASSERT_EQ(dialogs.deleteRequests.size(), 1U);
    EXPECT_EQ(dialogs.deleteRequests[0], (QStringList{Path(QStringLiteral("a.wav")), Path(QStringLiteral("c.wav"))}));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.wav")}));
    EXPECT_FALSE(window->RowChecked(0) || window->RowChecked(1) || window->RowChecked(2));
    EXPECT_EQ(FilesOnDisk().size(), 3);
}

TEST_F(FileCommandsTest, DeleteConfirmedMovesTheCheckedFilesToTheTrash) {
    List({"a.wav", "b.wav", "c.wav"});
    window->SetRowChecked(1, true);
    dialogs.deletes.push_back(true);
    window->btnDeleteClick();
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("a.wav"), QStringLiteral("c.wav")}));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("b.wav"))));
    // The trash of the file's volume holds it (the user's, under XDG_DATA_HOME,
    // when the temporary folder shares the home's volume).
    bool found = false;
    for (const QString& root :
         {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files"),
          QDir::tempPath() + QStringLiteral("/.Trash-%1/files").arg(::getuid())}) {
        found = found || !QDir(root).entryList({QStringLiteral("b*.wav")}, QDir::Files).isEmpty();
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(FileCommandsTest, DeleteOfAFileThatIsAlreadyGoneListsWhatRemains) {
    List({"a.wav", "b.wav"});
    window->SetRowChecked(0, true);
    window->SetRowChecked(1, true);
    QFile::remove(Path(QStringLiteral("a.wav")));
    dialogs.deletes.push_back(true);
    window->btnDeleteClick();
    EXPECT_EQ(Messages().Count(), 1U);
    EXPECT_TRUE(Names().isEmpty()) << "b went to the trash, a was gone: the re-read list is empty";
}

}  // namespace
}  // namespace zolvane2::test
