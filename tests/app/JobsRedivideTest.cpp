// Re-divide from the window: which rows go to the job, how the cutting page
// reaches it, the player's split, cancel, a failing source, and closing the
// window while a job runs.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "JobsWindowTest.h"
#include "app/WindowDialogs.h"
#include "jobs/CombineChecks.h"
#include "platform/SoundOutput.h"
#include "play/TWaveOutPlayer.h"
#include "support/FakeSoundOutput.h"
#include "support/NoisySide.h"
#include "support/PlayTestSupport.h"

namespace zolvane2::test {
namespace {

using namespace std::chrono_literals;

using JobsRedivideTest = JobsWindowTest;

TEST_F(JobsRedivideTest, CheckedRowsAreCutByTheCuttingPageAndEveryPieceIsListed) {
    AddWave(QStringLiteral("A.wav"), 1, 8000, 24000);
    AddWave(QStringLiteral("B.wav"), 1, 8000, 24000, false);
    AddWave(QStringLiteral("C.wav"), 1, 8000, 24000);
    Control<QRadioButton>(*window, "rbtnInterval")->setChecked(true);
    Control<QSpinBox>(*window, "sedtCuttingTimeH")->setValue(0);
    Control<QSpinBox>(*window, "sedtCuttingTimeM")->setValue(0);
    Control<QSpinBox>(*window, "sedtCuttingTimeS")->setValue(1);

    Click("btnDivide");
    EXPECT_EQ(window->Jobs().Current(), JobSlot::Kind::Redivide);
    EXPECT_FALSE(Control<QToolButton>(*window, "btnDivide")->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnCombine")->isEnabled());
    EXPECT_TRUE(Control<QToolButton>(*window, "btnCancel")->isEnabled());
    RunJobToEnd();

    // Each source is one read of 48,000 bytes, so one cut at 1 s (16,000 bytes).
    EXPECT_EQ(Captions(3), (std::vector<std::string>{"A-001.wav", "A-002.wav", "C-001.wav", "C-002.wav"}));
    EXPECT_EQ(window->SubItem(3, 6), QStringLiteral("16000"));
    EXPECT_EQ(window->SubItem(4, 6), QStringLiteral("32000"));
    EXPECT_EQ(window->SubItem(5, 6), QStringLiteral("16000"));
    EXPECT_TRUE(FilesLike("B-*").empty());
    EXPECT_EQ(window->SubItem(3, 2), QStringLiteral("Mono"));
    EXPECT_EQ(window->SubItem(3, 3), QStringLiteral("8000"));
    ExpectIdleButtons();
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(JobsRedivideTest, TriggerSettingsOfThePageCutAtTheLoudPart) {
    // 1 s quiet, 1 s loud, 1 s quiet at 8000 Hz mono; a track is loud audio
    // after the 100 ms delay and before 200 ms of the 500 ms silence.
    std::vector<std::int16_t> samples(24000, 0);
    std::fill(samples.begin() + 8000, samples.begin() + 16000, std::int16_t{5000});
    test::WriteWave(Path(QStringLiteral("T.wav")).toStdString(), 1, 8000, Pcm(samples));
    window->AddFileToList(Path(QStringLiteral("T.wav")), -1);
    window->SetRowChecked(0, true);
    Control<QRadioButton>(*window, "rbtnUseTrigger")->setChecked(true);
    Control<QSpinBox>(*window, "sedtTriggerLevel")->setValue(1000);
    Control<QSpinBox>(*window, "sedtTriggerDelay")->setValue(100);
    Control<QSpinBox>(*window, "sedtTrackInterval")->setValue(500);
    Control<QSpinBox>(*window, "sedtLastTimeAfterTrigger")->setValue(200);
    Control<QSpinBox>(*window, "sedtMinimumTrackLength")->setValue(1200);

    Click("btnDivide");
    RunJobToEnd();

    // The quiet second held after the track's end makes a piece below the
    // minimum length: it is deleted, not listed, and the note under the list
    // says so.
    ASSERT_EQ(window->RowCount(), 2);
    EXPECT_TRUE(FilesLike("T-002*").empty());
    EXPECT_EQ(Control<QLabel>(*window, "lblRunNote")->text(),
              QStringLiteral("最短トラック長より短いトラックを1個削除しました"));
    EXPECT_EQ(Control<QTreeWidget>(*window, "lvResult")->topLevelItem(1)->text(0), QStringLiteral("T-001.wav"));
    // About 800 delay frames + 8000 loud + 1600 tail, 2 bytes each: the page's
    // milliseconds reached the job as seconds.
    const int size = window->SubItem(1, 6).toInt();
    EXPECT_GE(size, (800 + 8000 + 1600) * 2);
    EXPECT_LE(size, (800 + 8000 + 1600 + 2) * 2);
}

// Gap mode cuts a side over hiss at its gaps, each piece one piece of music
// whole and none of its neighbour's; the track count joins at the shortest
// gap, and a count the gaps cannot give is told; the page's gap settings
// come back after a restart.
TEST_F(JobsRedivideTest, GapModeCutsAtTheGapsOverHissAndByTheTrackCount) {
    NoisySide side(22050);
    side.Hiss(2).Music(4).Hiss(1.2).Music(3).Hiss(2.5).Music(4).Hiss(2);
    const Bytes audio = Pcm(side.samples);
    test::WriteWave(Path(QStringLiteral("S.wav")).toStdString(), 1, side.Rate(), audio);
    window->AddFileToList(Path(QStringLiteral("S.wav")), -1);
    window->SetRowChecked(0, true);
    Control<QRadioButton>(*window, "rbtnGaps")->setChecked(true);
    EXPECT_EQ(Control<QToolButton>(*window, "sbAutoID")->text(), QStringLiteral("Auto"));
    EXPECT_FALSE(Control<QSpinBox>(*window, "sedtTriggerLevel")->isEnabled());
    EXPECT_TRUE(Control<QSpinBox>(*window, "sedtTrackCount")->isEnabled());

    // Where each listed piece lies in the side, in frames.
    const auto pieces = [&](int firstRow) {
        std::vector<std::pair<std::int64_t, std::int64_t>> frames;
        for (int row = firstRow; row < window->RowCount(); ++row) {
            const Bytes file = ReadAll(window->RowPath(row).toStdString());
            const auto data = file.begin() + window->SubItem(row, 5).toLongLong();
            const auto found = std::search(audio.begin(), audio.end(), data, data + 256);
            EXPECT_TRUE(std::equal(data, file.end(), found)) << row;
            const std::int64_t start = (found - audio.begin()) / 2;
            frames.emplace_back(start, start + (file.end() - data) / 2);
        }
        return frames;
    };
    Click("btnDivide");
    RunJobToEnd();
    const auto three = pieces(1);
    ASSERT_EQ(three.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_LE(three[i].first, side.music[i].first) << i;
        EXPECT_GE(three[i].second, side.music[i].second) << i;
        EXPECT_TRUE(i == 0 || three[i].first >= side.music[i - 1].second) << i;
        EXPECT_TRUE(i == 2 || three[i].second <= side.music[i + 1].first) << i;
    }

    Control<QSpinBox>(*window, "sedtTrackCount")->setValue(2);
    Control<QSpinBox>(*window, "sedtMinimumGap")->setValue(900);
    Click("btnDivide");
    RunJobToEnd();
    const auto two = pieces(4);
    ASSERT_EQ(two.size(), 2U);
    EXPECT_LE(two[0].first, side.music[0].first);
    EXPECT_GE(two[0].second, side.music[1].second);
    EXPECT_LE(two[0].second, side.music[2].first);
    EXPECT_EQ(Messages().Count(), 0U);
    // More than the gaps give: cut at every gap, and said once.
    Control<QSpinBox>(*window, "sedtTrackCount")->setValue(5);
    Click("btnDivide");
    RunJobToEnd();
    EXPECT_EQ(pieces(6).size(), 3U);
    ASSERT_EQ(Messages().Count(), 1U);
    EXPECT_NE(Messages().Messages()[0].text.find("S.wav: 5 個のピースを指定されましたが"), std::string::npos)
        << Messages().Messages()[0].text;
    Control<QSpinBox>(*window, "sedtTrackCount")->setValue(2);

    window->close();
    Open();
    EXPECT_TRUE(Control<QRadioButton>(*window, "rbtnGaps")->isChecked());
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtTrackCount")->value(), 2);
    EXPECT_EQ(Control<QSpinBox>(*window, "sedtMinimumGap")->value(), 900);
    EXPECT_FALSE(Control<QSpinBox>(*window, "sedtTrackInterval")->isEnabled());
    // The command line's snap range has no box; the window keeps it as loaded.
    const QString ini = Path(QStringLiteral("snap.ini"));
    const std::string text = "[tsCut]\nsedtSnapRange.Value=30\n";
    WriteFile(ini, Bytes(text.begin(), text.end()));
    window->LoadSettings(ini);
    window->SaveSettings(ini);
    EXPECT_TRUE(QString::fromUtf8(ReadAll(ini.toStdString())).contains(QStringLiteral("sedtSnapRange.Value=30\r\n")));
}

TEST_F(JobsRedivideTest, PlayersSplitCutsTheCheckedRowOnceAtTheTime) {
    AddWave(QStringLiteral("A.wav"), 1, 8000, 24000, false);
    AddWave(QStringLiteral("B.wav"), 1, 8000, 24000);

    // An unchecked row is not taken: the job runs and ends with nothing.
    ASSERT_TRUE(window->RedivideFiles(0, 1.0));
    RunJobToEnd();
    EXPECT_EQ(window->RowCount(), 2);
    EXPECT_TRUE(FilesLike("A-*").empty());

    ASSERT_TRUE(window->RedivideFiles(1, 1.25));
    RunJobToEnd();
    EXPECT_EQ(Captions(2), (std::vector<std::string>{"B-001.wav", "B-002.wav"}));
    EXPECT_EQ(window->SubItem(2, 6), QStringLiteral("20000"));
    EXPECT_EQ(window->SubItem(3, 6), QStringLiteral("28000"));
    ExpectIdleButtons();
}

TEST_F(JobsRedivideTest, RawSourceIsReadWithTheCurrentSettings) {
    Control<QComboBox>(*window, "cbSamplingFreq")->setCurrentText(QStringLiteral("8000"));
    Control<TRadioGroup>(*window, "rgRecMode")->SetItemIndex(0);
    WriteFile(Path(QStringLiteral("R.raw")), Bytes(48000, 1));
    window->AddFileToList(Path(QStringLiteral("R.raw")), -1);
    ASSERT_EQ(window->RowCount(), 1);
    window->SetRowChecked(0, true);

    ASSERT_TRUE(window->RedivideFiles(0, 1.0));
    RunJobToEnd();

    ASSERT_EQ(Captions(1), (std::vector<std::string>{"R-001.wav", "R-002.wav"}));
    EXPECT_EQ(window->SubItem(1, 2), QStringLiteral("Mono"));
    EXPECT_EQ(window->SubItem(1, 3), QStringLiteral("8000"));
    EXPECT_EQ(window->SubItem(1, 6), QStringLiteral("16000"));
}

TEST_F(JobsRedivideTest, RawSourceWithARateThatIsNoNumberStartsNothing) {
    Control<QComboBox>(*window, "cbSamplingFreq")->setCurrentText(QStringLiteral("8000"));
    WriteFile(Path(QStringLiteral("R.raw")), Bytes(48000, 1));
    window->AddFileToList(Path(QStringLiteral("R.raw")), -1);
    window->SetRowChecked(0, true);
    Control<QComboBox>(*window, "cbSamplingFreq")->setCurrentText(QStringLiteral("8k"));
    Messages().Clear();

    EXPECT_FALSE(window->RedivideFiles(-1, 0));

    const auto shown = Messages().Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_NE(shown[0].text.find("'8k'"), std::string::npos) << shown[0].text;
    EXPECT_FALSE(window->JobRunning());
    EXPECT_FALSE(window->JobRunning());
    EXPECT_TRUE(FilesLike("R-*").empty());
}

TEST_F(JobsRedivideTest, RawOptionWritesRawPieces) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000);
    Control<QCheckBox>(*window, "cbxRAWSave")->setChecked(true);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);
    Click("btnDivide");
    RunJobToEnd();
    EXPECT_EQ(Captions(1), std::vector<std::string>{"A-001.raw"});
    EXPECT_EQ(QFileInfo(Path(QStringLiteral("A-001.raw"))).size(), 4000);
}

TEST_F(JobsRedivideTest, NoCheckedRowEndsAtOnceWithTheButtonsBack) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000, false);
    Click("btnDivide");
    RunJobToEnd();
    EXPECT_EQ(window->RowCount(), 1);
    ExpectIdleButtons();
    EXPECT_EQ(Messages().Count(), 0U);
}

TEST_F(JobsRedivideTest, JobEndingOnAnEmptyListLeavesTheCommandsOff) {
    // The list was cleared while the job ran: there is nothing left to
    // re-divide or combine, so the end of the job does not offer it.
    AddWave(QStringLiteral("A.wav"), 2, 44100, 1000, false);
    Click("btnDivide");
    ASSERT_TRUE(window->JobRunning());
    window->btnClearClick();
    RunJobToEnd();
    EXPECT_FALSE(Control<QToolButton>(*window, "btnDivide")->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnCombine")->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnCancel")->isEnabled());
    EXPECT_FALSE(window->JobRunning());
}

TEST_F(JobsRedivideTest, EmptySourcesEndWithTheBarAtRest) {
    // A total of 0 bytes: nothing to divide by; the bar ends at 0 again.
    AddWave(QStringLiteral("E.wav"), 2, 44100, 0);
    ASSERT_EQ(window->RowCount(), 1);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);
    Click("btnDivide");
    RunJobToEnd();
    EXPECT_EQ(window->RowCount(), 1);
    EXPECT_TRUE(FilesLike("E-*").empty());
    ExpectIdleButtons();
}

TEST_F(JobsRedivideTest, JobExcludesAnotherJobButNotRecordingOrPlayback) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 3 * kBlock / 4);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);
    const bool recordBefore = Control<QPushButton>(*window, "btnRecord")->isEnabled();
    const bool playBefore = Control<QToolButton>(*window, "btnPlay")->isEnabled();

    Click("btnDivide");
    // The job waits for the main thread at its first progress report, so it
    // is still running here.
    ASSERT_TRUE(window->JobRunning());
    EXPECT_FALSE(window->RedivideFiles(-1, 0));
    window->CombineFiles();
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(Control<QPushButton>(*window, "btnRecord")->isEnabled(), recordBefore);
    EXPECT_EQ(Control<QToolButton>(*window, "btnPlay")->isEnabled(), playBefore);
    EXPECT_TRUE(Control<QToolButton>(*window, "btnPlay")->isEnabled());
    RunJobToEnd();
    EXPECT_EQ(Captions(1), std::vector<std::string>{"A-001.wav"});
}

TEST_F(JobsRedivideTest, CancelFinishesTheOpenPieceAndLeavesTheLaterFiles) {
    for (const char* name : {"F1.wav", "F2.wav", "F3.wav"}) {
        AddWave(QString::fromLatin1(name), 2, 44100, 3 * kBlock / 4);
    }
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);

    Click("btnDivide");
    Click("btnCancel");
    RunJobToEnd();

    EXPECT_TRUE(FilesLike("F2-*").empty());
    EXPECT_TRUE(FilesLike("F3-*").empty());
    // At most the block read before the cancel was seen, finished and listed.
    const auto pieces = FilesLike("F1-*");
    EXPECT_EQ(Captions(3), pieces);
    for (const std::string& piece : pieces) {
        const QByteArray bytes = ReadAll(PathOf(piece));
        EXPECT_LE(bytes.size(), 44 + kBlock);
        EXPECT_EQ(ReadLe(bytes, 4), static_cast<std::uint32_t>(bytes.size() - 8));
    }
    ExpectIdleButtons();
}

TEST_F(JobsRedivideTest, UnreadableSourceShowsItsErrorOnce) {
    AddWave(QStringLiteral("Bad.wav"), 2, 44100, 3 * kBlock / 4);
    AddWave(QStringLiteral("Later.wav"), 2, 44100, 1000);
    TruncateKeepingDate(QStringLiteral("Bad.wav"), 1000);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);

    Click("btnDivide");
    RunJobToEnd();

    const auto shown = Messages().Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].title, "Zolvane2");
    EXPECT_EQ(shown[0].icon, MsgIcon::Error);
    // The stream's read error, with the full stop of the standard display.
    EXPECT_EQ(shown[0].text, "ストリームからの読み込みエラー.");
    // The job stopped there: nothing of the later file either.
    EXPECT_EQ(window->RowCount(), 2);
    EXPECT_TRUE(FilesLike("Later-*").empty());
    ExpectIdleButtons();
}

TEST_F(JobsRedivideTest, ClosingDuringAJobCancelsWaitsAndThenSavesSettings) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 3 * kBlock / 4);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);
    const QString ini = window->DefaultSettingsFile();
    QFile::remove(ini);
    Control<QSpinBox>(*window, "sedtPrec")->setValue(4);
    window->show();

    Click("btnDivide");
    ASSERT_TRUE(window->JobRunning());
    window->close();

    EXPECT_FALSE(window->JobRunning());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnCancel")->isEnabled());
    // The piece the job had open is finished and in the list, not cut short
    // behind a provisional header.
    const auto pieces = FilesLike("A-*");
    EXPECT_EQ(Captions(1), pieces);
    for (const std::string& piece : pieces) {
        const QByteArray bytes = ReadAll(PathOf(piece));
        EXPECT_LT(bytes.size(), 44 + 3 * kBlock);
        EXPECT_EQ(ReadLe(bytes, 40), static_cast<std::uint32_t>(bytes.size() - 44));
    }
    ASSERT_TRUE(QFileInfo::exists(ini));
    EXPECT_TRUE(ReadAll(ini).contains("sedtPrec.Value=4"));
}

// A running job does not keep the user from playing, and no job can be
// started while the player plays, also when the job that ran before ends
// during playback. The fake device returns no block, so playback goes on.
class JobsPlaybackTest : public JobsWindowTest {
protected:
    void SetUp() override {
        output = std::make_shared<FakeSoundOutput>();
        SetSoundOutputFactory([out = output] { return std::make_unique<test::ForwardingSoundOutput>(out); });
        JobsWindowTest::SetUp();
        window->Player().SetStopDrainTime(5ms);
    }
    void TearDown() override {
        JobsWindowTest::TearDown();
        SetSoundOutputFactory(nullptr);
    }

    std::shared_ptr<FakeSoundOutput> output;
};

TEST_F(JobsPlaybackTest, AJobEndingDuringPlaybackDoesNotOfferAnotherOne) {
    AddWave(QStringLiteral("A.wav"), 2, 44100, 3 * kBlock / 4);
    AddWave(QStringLiteral("P.wav"), 2, 8192, 8192, false);
    Control<QRadioButton>(*window, "rbtnNoCut")->setChecked(true);

    Click("btnDivide");
    ASSERT_TRUE(window->JobRunning());
    // The job has its file list; the player takes the row checked now (the
    // job holds its source open, which a player cannot share).
    window->SetRowChecked(0, false);
    window->SetRowChecked(1, true);
    Click("btnPlay");
    ASSERT_TRUE(window->PlayerPlaying());
    RunJobToEnd();

    EXPECT_TRUE(window->PlayerPlaying());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnDivide")->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnCombine")->isEnabled());
    EXPECT_FALSE(Control<QToolButton>(*window, "btnCancel")->isEnabled());
    // A click that was queued before the buttons went off starts nothing.
    const int rows = window->RowCount();
    window->btnDivideClick();
    window->btnCombineClick();
    EXPECT_FALSE(window->JobRunning());
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(window->RowCount(), rows);
    EXPECT_EQ(Messages().Count(), 0U);
}

}  // namespace
}  // namespace zolvane2::test
