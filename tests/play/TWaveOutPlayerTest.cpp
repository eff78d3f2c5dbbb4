#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/QueuedDispatcher.h"
#include "platform/Thread.h"
#include "play/TWaveOutPlayer.h"
#include "support/CountingBusyIndicator.h"
#include "support/FakeSoundOutput.h"
#include "support/PlayTestSupport.h"
#include "support/RecordingUserMessages.h"
#include "support/TrackfileTestSupport.h"

namespace zolvane2 {
namespace {

using test::FakeSoundCall;
using test::FakeSoundOutput;
using test::RecordingUserMessages;
using namespace std::chrono_literals;
using test::Bytes;

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThreadDispatcher(&dispatcher_);
        SetUserMessages(&messages_);
        fake_ = std::make_shared<FakeSoundOutput>();
        SetSoundOutputFactory([f = fake_] { return std::make_unique<test::ForwardingSoundOutput>(f); });
        player_ = std::make_unique<TWaveOutPlayer>(&dispatcher_);
        player_->SetStopDrainTime(0ms);
        player_->SetOnPlayEnd([this](TWaveOutPlayer* sender) {
            EXPECT_EQ(sender, player_.get());
            ++playEnds_;
        });
    }
    void TearDown() override {
        player_.reset();
        SetSoundOutputFactory(nullptr);
        ThreadRegistry::JoinAll();
        SetUserMessages(nullptr);
        SetMainThreadDispatcher(nullptr);
    }

    // Waits until both blocks are with the device, or the playback ended.
    bool WaitQueuedOrEnded(int ends) {
        return dispatcher_.PumpUntil([&] { return fake_->QueuedCount() == 2 || playEnds_ >= ends; }, 10s);
    }

    // Plays every block the player queues until the end event comes.
    void PlayToEnd() {
        const int ends = playEnds_ + 1;
        while (playEnds_ < ends) {
            ASSERT_TRUE(WaitQueuedOrEnded(ends));
            if (playEnds_ >= ends) {
                break;
            }
            ASSERT_TRUE(fake_->ReturnNext());
        }
        ASSERT_TRUE(dispatcher_.PumpUntil([&] { return player_->Stopped(); }, 10s));
    }

    bool WaitEnds(int ends) {
        return dispatcher_.PumpUntil([&] { return playEnds_ >= ends; }, 10s);
    }

    int Count(FakeSoundCall call) const {
        const auto calls = fake_->Calls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    QueuedDispatcher dispatcher_;
    RecordingUserMessages messages_;
    std::shared_ptr<FakeSoundOutput> fake_;
    std::unique_ptr<TWaveOutPlayer> player_;
    test::TempDir dir_;
    int playEnds_ = 0;
};

TEST_F(PlayerTest, PlaysEveryByteInOrderAndHandsEachSoundingBlockToTheLevelDisplay) {
    const Bytes data = test::PlayPattern(10000, 2);  // 40000 bytes
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("a.wav"), 2, 22050, data)));
    std::vector<Bytes> levels;
    player_->SetOnPlayedEvent([&](Thread* sender, TMemoryStream& received) {
        EXPECT_EQ(sender, &player_->PlaybackThread());
        levels.emplace_back(received.Data(), received.Data() + received.Size());
    });
    EXPECT_EQ(player_->SampleCount(), 10000);
    player_->Play();
    PlayToEnd();

    EXPECT_EQ(fake_->Played(), data);
    EXPECT_EQ(fake_->WrittenLengths(), (std::vector<std::int64_t>{16384, 16384, 7232, 0}));
    EXPECT_EQ(fake_->OpenedRate(), 22050);
    EXPECT_EQ(fake_->OpenedChannels(), 2);
    EXPECT_EQ(fake_->Volume(), std::make_pair(kSoundVolumeFull, kSoundVolumeFull));
    EXPECT_FALSE(fake_->IsOpen());
    EXPECT_EQ(playEnds_, 1);
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::Played);
    EXPECT_EQ(player_->SamplePosition(), player_->SampleCount());
    EXPECT_EQ(messages_.Count(), 0U);

    Bytes joined;
    for (const auto& l : levels) {
        joined.insert(joined.end(), l.begin(), l.end());
    }
    EXPECT_EQ(levels.size(), 3U);
    EXPECT_EQ(joined, data);
}

TEST_F(PlayerTest, BlockBoundariesDecideWhereThePlaybackEnds) {
    // Exactly two blocks: both play, one end marker follows.
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("two.wav"), 2, 44100, test::PlayPattern(8192, 2))));
    player_->Play();
    PlayToEnd();
    EXPECT_EQ(fake_->WrittenLengths(), (std::vector<std::int64_t>{16384, 16384, 0}));
    EXPECT_EQ(fake_->Played().size(), 32768U);

    // Less than a block: one block and the end marker.
    const Bytes mono = test::PlayPattern(100, 1);
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("short.wav"), 1, 8000, mono)));
    player_->Play();
    PlayToEnd();
    const auto lengths = fake_->WrittenLengths();
    EXPECT_EQ(std::vector<std::int64_t>(lengths.begin() + 3, lengths.end()), (std::vector<std::int64_t>{200, 0}));
    EXPECT_EQ(fake_->OpenedChannels(), 1);
    EXPECT_EQ(playEnds_, 2);
}

TEST_F(PlayerTest, FileWithoutSamplesPlaysNothingAndEnds) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("empty.wav"), 2, 44100, {})));
    EXPECT_EQ(player_->SampleCount(), 0);
    player_->Play();
    PlayToEnd();
    EXPECT_EQ(fake_->WrittenLengths(), (std::vector<std::int64_t>{0, 0}));
    EXPECT_TRUE(fake_->Played().empty());
    EXPECT_EQ(playEnds_, 1);
    EXPECT_FALSE(fake_->IsOpen());
}

TEST_F(PlayerTest, SeekMovesTheNextRefillAndIsClampedToTheData) {
    const Bytes data = test::PlayPattern(30000, 2);  // 120000 bytes
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("seek.wav"), 2, 44100, data)));
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(1));
    // The queue is ordered: the seek is handled before the block comes back.
    player_->Seek(1000);
    ASSERT_TRUE(fake_->ReturnNext());
    ASSERT_TRUE(WaitQueuedOrEnded(1));
    EXPECT_EQ(player_->SamplePosition(), 1000 + 16384 / 4);
    // Past the end: the next refill finds no data and the playback ends.
    player_->Seek(1'000'000);
    PlayToEnd();
    Bytes expected(data.begin(), data.begin() + 32768);
    expected.insert(expected.end(), data.begin() + 4000, data.begin() + 4000 + 16384);
    EXPECT_EQ(fake_->Played(), expected);
    EXPECT_EQ(player_->SamplePosition(), player_->SampleCount());

    // Before the data: the first sample.
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(2));
    player_->Seek(-5);
    ASSERT_TRUE(fake_->ReturnNext());
    ASSERT_TRUE(WaitQueuedOrEnded(2));
    EXPECT_EQ(player_->SamplePosition(), 16384 / 4);
    player_->Stop();
    ASSERT_TRUE(WaitEnds(2));
}

TEST_F(PlayerTest, SeekAfterTheEndIsIgnored) {
    const Bytes data = test::PlayPattern(5000, 2);
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("late.wav"), 2, 44100, data)));
    player_->Play();
    PlayToEnd();
    player_->Seek(100);
    player_->Play();
    PlayToEnd();
    const Bytes played = fake_->Played();
    EXPECT_EQ(Bytes(played.begin() + static_cast<std::ptrdiff_t>(data.size()), played.end()), data);
    EXPECT_EQ(messages_.Count(), 0U);
    EXPECT_EQ(playEnds_, 2);
}

TEST_F(PlayerTest, StopClosesTheDeviceAndReportsOnceButNotWhenAlreadyStopped) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("stop.wav"), 2, 44100, test::PlayPattern(30000, 2))));
    const test::CountingBusyIndicator busy;
    // Nothing plays: this stop is ignored and posts no end.
    player_->Stop();
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(1));
    ASSERT_TRUE(fake_->ReturnNext());
    player_->Stop();
    ASSERT_TRUE(WaitEnds(1));
    EXPECT_TRUE(player_->Stopped());
    EXPECT_EQ(busy.begins, 1) << "the pointer shows that the settling stop is busy";
    EXPECT_EQ(busy.ends, 1);
    EXPECT_FALSE(fake_->IsOpen());
    EXPECT_EQ(Count(FakeSoundCall::Pause), 1);
    EXPECT_EQ(Count(FakeSoundCall::Reset), 1);
    EXPECT_EQ(Count(FakeSoundCall::Close), 1);
    EXPECT_EQ(fake_->Played().size(), 16384U);
    // A second stop after the end changes nothing.
    player_->Stop();
    player_->Play();
    player_->Stop();
    ASSERT_TRUE(WaitEnds(2));
    dispatcher_.PumpUntil([] { return false; }, 50ms);
    EXPECT_EQ(playEnds_, 2);
}

TEST_F(PlayerTest, RequestsPostedWhileAStopSettlesAreLostButQuitIsNot) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("drain.wav"), 2, 44100, test::PlayPattern(30000, 2))));
    player_->SetStopDrainTime(200ms);
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(1));
    player_->Stop();
    player_->Play();  // already queued when the stop drains: dropped
    ASSERT_TRUE(WaitEnds(1));
    dispatcher_.PumpUntil([] { return false; }, 300ms);
    EXPECT_EQ(Count(FakeSoundCall::Open), 1);
    EXPECT_TRUE(player_->Stopped());

    // Destroying the player during a long settle must not lose the quit.
    player_->SetStopDrainTime(60s);
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(2));
    player_->Stop();
    const auto before = std::chrono::steady_clock::now();
    player_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 30s);
    EXPECT_FALSE(fake_->IsOpen());
}

TEST_F(PlayerTest, DestroyingThePlayerWhilePlayingGivesTheDeviceBack) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("quit.wav"), 2, 44100, test::PlayPattern(30000, 2))));
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(1));
    player_.reset();
    EXPECT_FALSE(fake_->IsOpen());
    EXPECT_EQ(playEnds_, 0);
}

TEST_F(PlayerTest, TheEndHandlerMayDestroyThePlayer) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("close.wav"), 2, 44100, test::PlayPattern(100, 2))));
    bool destroyed = false;
    player_->SetOnPlayEnd([&](TWaveOutPlayer* /*sender*/) {
        player_.reset();
        destroyed = true;
    });
    player_->Play();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return fake_->QueuedCount() == 2; }, 10s));
    fake_->ReturnAll();
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return destroyed; }, 10s));
    EXPECT_FALSE(fake_->IsOpen());
}

TEST_F(PlayerTest, PreparationReportsEveryRejectedFile) {
    const std::string good = test::WriteWave(dir_.File("good.wav"), 1, 32000, test::PlayPattern(100, 1));
    ASSERT_TRUE(player_->SetFileName(good));
    EXPECT_EQ(player_->Channels(), 1);
    EXPECT_EQ(player_->SamplesPerSec(), 32000);

    const std::string missing = dir_.File("missing.wav");
    EXPECT_FALSE(player_->SetFileName(missing));
    EXPECT_EQ(player_->FileName(), good);

    const std::string adpcm =
        test::WriteWave(dir_.File("adpcm.WAV"), 2, 44100, test::PlayPattern(100, 2), test::WaveOptions::Format(2));
    EXPECT_FALSE(player_->SetFileName(adpcm));
    EXPECT_EQ(player_->FileName(), adpcm);
    EXPECT_EQ(player_->Channels(), 1);
    EXPECT_EQ(player_->SamplesPerSec(), 32000);

    const std::string notWave = dir_.File("noise.wav");
    test::WriteFile(notWave, Bytes(100, 0x11));

    const std::string other = dir_.File("song.mp3");
    test::WriteFile(other, Bytes(10, 1));
    EXPECT_FALSE(player_->SetFileName(notWave));
    EXPECT_FALSE(player_->SetFileName(other));
    EXPECT_EQ(player_->FileName(), other);

    const auto shown = messages_.Messages();
    ASSERT_EQ(shown.size(), 3U);
    EXPECT_EQ(shown[0].text, missing + "\r\nが見つかりません。");
    EXPECT_EQ(shown[1].text, adpcm + "\r\nはサポート外のWaveファイルです。");
    EXPECT_EQ(shown[2].text, notWave + "\r\nはWaveファイルではない可能性があります。");
    for (const auto& m : shown) {
        EXPECT_EQ(m.title, "Error");
        EXPECT_EQ(m.icon, MsgIcon::Error);
    }

    const std::string raw = dir_.File("take.RAW");
    test::WriteFile(raw, Bytes(1000, 3));
    ASSERT_TRUE(player_->SetFileName(raw));
    EXPECT_EQ(player_->Channels(), 2);
    EXPECT_EQ(player_->SamplesPerSec(), 44100);
    EXPECT_EQ(player_->SampleCount(), 250);
    EXPECT_EQ(player_->PlaybackThread().DataStart(), 0);
}

TEST_F(PlayerTest, AfterAFailedPreparationOnlyWhatTheFileHoldsIsPlayed) {
    // The layout of a long file stays after a rejected one; the rejected file
    // is short, so playing it must stop at its end.
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("long.wav"), 2, 44100, test::PlayPattern(20000, 2))));
    Bytes shortFile(100);
    for (std::size_t i = 0; i < shortFile.size(); ++i) {
        shortFile[i] = static_cast<std::uint8_t>(i + 1);
    }
    const std::string other = dir_.File("short.mp3");
    test::WriteFile(other, shortFile);
    EXPECT_FALSE(player_->SetFileName(other));
    player_->Play();
    PlayToEnd();
    EXPECT_EQ(fake_->Played(), Bytes(shortFile.begin() + 44, shortFile.end()));
    EXPECT_EQ(player_->SampleCount(), 14);

    // A header that promises more than the file holds.
    const Bytes data = test::PlayPattern(1000, 2);
    ASSERT_TRUE(player_->SetFileName(
        test::WriteWave(dir_.File("cut.wav"), 2, 44100, data, test::WaveOptions::HeaderDataSize(1'000'000))));
    player_->Play();
    PlayToEnd();
    const Bytes played = fake_->Played();
    EXPECT_EQ(Bytes(played.begin() + 56, played.end()), data);
    EXPECT_EQ(player_->SampleCount(), 1000);

    // A file shorter than the data offset: nothing to play, and it ends.
    const std::string tiny = dir_.File("tiny.mp3");
    test::WriteFile(tiny, Bytes(10, 5));
    EXPECT_FALSE(player_->SetFileName(tiny));
    player_->Play();
    PlayToEnd();
    EXPECT_EQ(playEnds_, 3);
    EXPECT_EQ(fake_->Played().size(), 56U + data.size());
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(PlayerTest, EveryFailedStartIsReportedAndLeavesNothingOpen) {
    const std::string path = test::WriteWave(dir_.File("fail.wav"), 2, 44100, test::PlayPattern(10000, 2));
    ASSERT_TRUE(player_->SetFileName(path));

    // No output device: no message, but the owner hears of it.
    fake_->SetDeviceCount(0);
    player_->Play();
    ASSERT_TRUE(WaitEnds(1));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::NoDevice);
    EXPECT_EQ(messages_.Count(), 0U);
    fake_->SetDeviceCount(1);

    fake_->FailNext(FakeSoundCall::Open, kSoundErrAccess);
    player_->Play();
    ASSERT_TRUE(WaitEnds(2));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::DeviceFailed);
    ASSERT_EQ(messages_.Count(), 1U);
    EXPECT_EQ(messages_.Messages()[0].text, SoundErrorText(kSoundErrAccess));
    EXPECT_EQ(messages_.Messages()[0].title, "Error");

    // The device was open when the volume failed: it is closed again.
    fake_->FailNext(FakeSoundCall::SetVolume, kSoundErrNotSupported);
    player_->Play();
    ASSERT_TRUE(WaitEnds(3));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::DeviceFailed);
    EXPECT_FALSE(fake_->IsOpen());
    EXPECT_EQ(messages_.Count(), 2U);

    // The file went away after it was chosen.
    ASSERT_TRUE(FileSystem::Delete(path));
    player_->Play();
    ASSERT_TRUE(WaitEnds(4));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::FileFailed);
    EXPECT_FALSE(fake_->IsOpen());
    ASSERT_EQ(messages_.Count(), 3U);
    EXPECT_NE(messages_.Messages()[2].text.find(path), std::string::npos);
    EXPECT_TRUE(player_->Stopped());

    // Queuing fails: the playback ends as by a stop.
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("fail2.wav"), 2, 44100, test::PlayPattern(10000, 2))));
    fake_->FailNext(FakeSoundCall::Write, kSoundErrInvalid);
    player_->Play();
    ASSERT_TRUE(WaitEnds(5));
    EXPECT_EQ(player_->EndReason(), TPlayEndReason::Played);
    EXPECT_FALSE(fake_->IsOpen());
    EXPECT_EQ(messages_.Count(), 4U);
    EXPECT_TRUE(fake_->Played().empty());
}

TEST_F(PlayerTest, ALostDeviceEndsThePlayback) {
    ASSERT_TRUE(player_->SetFileName(test::WriteWave(dir_.File("lost.wav"), 2, 44100, test::PlayPattern(30000, 2))));
    player_->Play();
    ASSERT_TRUE(WaitQueuedOrEnded(1));
    fake_->LoseDevice(kSoundErrConnectionTerminated);
    ASSERT_TRUE(WaitEnds(1));
    EXPECT_TRUE(player_->Stopped());
    EXPECT_FALSE(fake_->IsOpen());
    ASSERT_EQ(messages_.Count(), 1U);
    EXPECT_EQ(messages_.Messages()[0].text, SoundErrorText(kSoundErrConnectionTerminated));
}

}  // namespace
}  // namespace zolvane2
