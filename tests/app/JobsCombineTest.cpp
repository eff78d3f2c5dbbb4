// Combine from the window: the parameter check, the save dialog, the RAW
// switch and FLAC, the 2 GB question's answers (sparse files), a failing source and
// cancel.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTreeWidget>

#include "JobsWindowTest.h"
#include "jobs/CombineChecks.h"
#include "jobs/DiskSpace.h"

namespace zolvane2::test {
namespace {

using JobsCombineTest = JobsWindowTest;

// Data bytes of a sparse source; two of them pass 2 GB, one does not.
constexpr std::int64_t kBigFrames = 275000000;  // 1.1e9 bytes in stereo

TEST_F(JobsCombineTest, DifferentParametersShowTheMessageSelectTheEntryAndWriteNothing) {
    AddWave(QStringLiteral("S.wav"), 2, 44100, 100);
    AddWave(QStringLiteral("U.wav"), 1, 22050, 100, false);  // unchecked: does not count
    AddWave(QStringLiteral("M.wav"), 1, 44100, 100);
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);

    Click("btnCombine");

    const auto shown = Messages().Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].text, "パラメータの異なるファイルを結合することはできません。");
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].icon, MsgIcon::None);
    EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(Control<QTreeWidget>(*window, "lvResult")->currentItem(),
              Control<QTreeWidget>(*window, "lvResult")->topLevelItem(2));
    EXPECT_TRUE(Control<QTreeWidget>(*window, "lvResult")->topLevelItem(2)->isSelected());
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_FALSE(window->JobRunning());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
}

TEST_F(JobsCombineTest, NoCheckedEntryStopsWithoutAWord) {
    AddWave(QStringLiteral("S.wav"), 2, 44100, 100, false);
    Click("btnCombine");
    EXPECT_EQ(Messages().Count(), 0U);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_FALSE(window->JobRunning());
}

TEST_F(JobsCombineTest, JoinsTheDataRegionsInListOrderAndListsTheFile) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000, true, 100);
    AddWave(QStringLiteral("B.wav"), 2, 44100, 1000, true, 200);
    dialogs.files.push_back(Path(QStringLiteral("joined.wav")));

    Click("btnCombine");
    ASSERT_EQ(dialogs.fileRequests.size(), 1U);
    const auto& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.filter, QStringLiteral("Windows Wave (*.wav);;RAW data (*.raw);;FLAC (*.flac)"));
    EXPECT_EQ(request.filterIndex, 0);
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("wav"));
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.initialPath, Path(QStringLiteral("A-B.wav"))) << "in the sources' folder, named after them";
    EXPECT_EQ(window->Jobs().Current(), JobSlot::Kind::Combine);
    EXPECT_FALSE(Control<QToolButton>(*window, "btnDivide")->isEnabled());
    EXPECT_TRUE(Control<QToolButton>(*window, "btnCancel")->isEnabled());
    RunJobToEnd();

    const QByteArray out = ReadAll(Path(QStringLiteral("joined.wav")));
    ASSERT_EQ(out.size(), 44 + 8000);
    EXPECT_EQ(out.mid(44, 4000), ReadAll(Path(QStringLiteral("A.wav"))).mid(44));
    EXPECT_EQ(out.mid(44 + 4000), ReadAll(Path(QStringLiteral("B.wav"))).mid(44));
    EXPECT_EQ(ReadLe(out, 40), 8000U);
    EXPECT_EQ(Captions(2), std::vector<std::string>{"joined.wav"});
    EXPECT_EQ(window->SubItem(2, 3), QStringLiteral("44100"));
    ExpectIdleButtons();
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(JobsCombineTest, RawNameTurnsTheRawOptionOnAndWritesNoHeader) {
    Control<QLineEdit>(*window, "edtBaseFileName")->setText(Path(QStringLiteral("Track.wav")));
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000);
    AddWave(QStringLiteral("B.wav"), 2, 44100, 1000);
    dialogs.files.push_back(Path(QStringLiteral("joined.raw")));

    Click("btnCombine");
    RunJobToEnd();

    EXPECT_TRUE(Control<QCheckBox>(*window, "cbxRAWSave")->isChecked());
    EXPECT_EQ(Control<QLineEdit>(*window, "edtBaseFileName")->text(), Path(QStringLiteral("Track.raw")));
    EXPECT_EQ(QFileInfo(Path(QStringLiteral("joined.raw"))).size(), 8000);
    EXPECT_EQ(Captions(2), std::vector<std::string>{"joined.raw"});

    // The next dialog starts on the RAW filter.
    dialogs.files.push_back(std::nullopt);
    Click("btnCombine");
    ASSERT_EQ(dialogs.fileRequests.size(), 2U);
    EXPECT_EQ(dialogs.fileRequests[1].filterIndex, 1);
    EXPECT_FALSE(window->JobRunning());
}

TEST_F(JobsCombineTest, WithFlacChosenTheDialogOffersFlacAndTheJoinIsFlac) {
    Control<QCheckBox>(*window, "cbxFLACSave")->setChecked(true);
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000);
    AddWave(QStringLiteral("B.wav"), 2, 44100, 1000);
    dialogs.files.push_back(Path(QStringLiteral("joined.flac")));

    Click("btnCombine");
    ASSERT_EQ(dialogs.fileRequests.size(), 1U);
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 2);
    EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, QStringLiteral("flac"));
    EXPECT_EQ(dialogs.fileRequests[0].initialPath, Path(QStringLiteral("A-B.flac")));
    RunJobToEnd();

    EXPECT_EQ(ReadAll(Path(QStringLiteral("joined.flac"))).left(4), QByteArray("fLaC"));
    EXPECT_EQ(Captions(2), std::vector<std::string>{"joined.flac"});
    EXPECT_EQ(window->SubItem(2, 6), QStringLiteral("8000")) << "the frames of both sources";
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(JobsCombineTest, TargetThatIsOneOfTheSourcesIsRefused) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000);
    AddWave(QStringLiteral("B.wav"), 2, 44100, 1000);
    const QByteArray before = ReadAll(Path(QStringLiteral("B.wav")));
    dialogs.files.push_back(Path(QStringLiteral("B.wav")));

    Click("btnCombine");

    EXPECT_FALSE(window->JobRunning());
    const auto shown = Messages().Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(ReadAll(Path(QStringLiteral("B.wav"))), before);
}

class JobsCombineOver2GTest : public JobsCombineTest {
protected:
    void SetUp() override {
        JobsCombineTest::SetUp();
        AddWave(QStringLiteral("Big1.wav"), 2, 44100, kBigFrames);
        AddWave(QStringLiteral("Big2.wav"), 2, 44100, kBigFrames);
        ASSERT_EQ(window->SubItem(1, 6), QString::number(kBigFrames * 4));
        Control<QCheckBox>(*window, "cbxRAWSave")->setChecked(false);
        dialogs.files.push_back(Path(QStringLiteral("big.wav")));
    }

    void ExpectQuestion() {
        const auto shown = Messages().Messages();
        ASSERT_EQ(shown.size(), 1U);
        EXPECT_EQ(shown[0].text, "WAVEファイルは2Gを越えることができません\r\nRAW形式で保存しますか?");
        EXPECT_EQ(shown[0].title, "サイズオーバー");
        EXPECT_EQ(shown[0].buttons, MsgButtons::YesNoCancel);
    }

    // The job is stopped before it copies more than one block, so the
    // sparse sources are never written out in full.
    void StartAndCancel() {
        Click("btnCombine");
        ASSERT_TRUE(window->JobRunning());
        Click("btnCancel");
        RunJobToEnd();
    }
};

TEST_F(JobsCombineOver2GTest, CancelStopsBeforeAnythingIsWritten) {
    Messages().QueueAnswer(MsgAnswer::Cancel);
    Click("btnCombine");
    ExpectQuestion();
    EXPECT_FALSE(window->JobRunning());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("big.wav"))));
    EXPECT_FALSE(Control<QCheckBox>(*window, "cbxRAWSave")->isChecked());
}

TEST_F(JobsCombineOver2GTest, YesWritesRawUnderTheRawName) {
    Messages().QueueAnswer(MsgAnswer::Yes);
    StartAndCancel();
    ExpectQuestion();
    EXPECT_TRUE(Control<QCheckBox>(*window, "cbxRAWSave")->isChecked());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("big.wav"))));
    const QFileInfo raw(Path(QStringLiteral("big.raw")));
    if (raw.exists()) {
        EXPECT_LE(raw.size(), kBlock);
        EXPECT_EQ(Captions(2), std::vector<std::string>{"big.raw"});
    } else {
        EXPECT_EQ(window->RowCount(), 2);
    }
}

TEST_F(JobsCombineOver2GTest, NoKeepsWave) {
    Messages().QueueAnswer(MsgAnswer::No);
    StartAndCancel();
    ExpectQuestion();
    EXPECT_FALSE(Control<QCheckBox>(*window, "cbxRAWSave")->isChecked());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("big.raw"))));
    const QFileInfo wave(Path(QStringLiteral("big.wav")));
    if (wave.exists()) {
        EXPECT_LE(wave.size(), 44 + kBlock);
        EXPECT_EQ(Captions(2), std::vector<std::string>{"big.wav"});
    } else {
        EXPECT_EQ(window->RowCount(), 2);
    }
}

TEST_F(JobsCombineOver2GTest, RawOptionAlreadyOnAsksNothing) {
    dialogs.files.clear();
    dialogs.files.push_back(Path(QStringLiteral("big.raw")));
    StartAndCancel();
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(JobsCombineTest, MoreDataThanTheTargetDriveHoldsIsRefused) {
    // Sparse sources of 4 GB each onto the memory file system, whose free
    // space is known and, on the machines we run on, far below 40 GB.
    const QString shm = QStringLiteral("/dev/shm");
    const std::int64_t free = FreeDiskBytes(shm.toStdString());
    if (free <= 0 || free > 40LL * 1024 * 1024 * 1024) {
        GTEST_SKIP() << "no small memory file system";
    }
    constexpr std::int64_t kFrames = 1073741000;  // 4,294,964,000 data bytes
    for (std::int64_t total = 0; total <= free; total += kFrames * 4) {
        AddWave(QStringLiteral("Huge%1.wav").arg(window->RowCount()), 2, 44100, kFrames);
    }
    const QString target = shm + QStringLiteral("/zolvane2-jobwin-%1.wav").arg(QCoreApplication::applicationPid());
    dialogs.files.push_back(target);

    Click("btnCombine");

    const auto shown = Messages().Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].text, "ディスクの空き容量が足りません。");
    EXPECT_EQ(shown[0].title, "サイズオーバー");
    EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
    EXPECT_FALSE(window->JobRunning());
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(JobsCombineTest, UnreadableSourceShowsItsErrorOnceAndKeepsWhatWasJoined) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000);
    AddWave(QStringLiteral("Bad.wav"), 2, 44100, 3 * kBlock / 4);
    TruncateKeepingDate(QStringLiteral("Bad.wav"), 1000);
    dialogs.files.push_back(Path(QStringLiteral("joined.wav")));

    Click("btnCombine");
    RunJobToEnd();

    const auto shown = Messages().Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(shown[0].title, "Zolvane2");
    // The stream's read error, with the full stop of the standard display.
    EXPECT_EQ(shown[0].text, "ストリームからの読み込みエラー.");
    const QByteArray out = ReadAll(Path(QStringLiteral("joined.wav")));
    ASSERT_GE(out.size(), 44 + 4000);
    EXPECT_EQ(ReadLe(out, 40), static_cast<std::uint32_t>(out.size() - 44));
    EXPECT_EQ(Captions(2), std::vector<std::string>{"joined.wav"});
    ExpectIdleButtons();
}

}  // namespace
}  // namespace zolvane2::test
