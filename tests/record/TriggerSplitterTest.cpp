#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "record/TriggerSplitter.h"
#include "support/RecordingUserMessages.h"
#include "support/WaveFile.h"

namespace zolvane2 {
namespace {

using test::Bytes;
using test::RecordingUserMessages;

// Keeps every track's bytes; the last entry is the open track.
class FakeOwner final : public SplitterOwner {
public:
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override {
        tracks.back().insert(tracks.back().end(), bytes, bytes + count);
    }
    bool CutTrack() override {
        ++cuts;
        if (!cutAnswer) {
            return false;
        }
        tracks.emplace_back();
        return true;
    }
    void TrackTriggered(std::int64_t preRollFrames) override { triggers.push_back(preRollFrames); }
    std::int64_t CurrentTrackSize() override { return header + static_cast<std::int64_t>(tracks.back().size()); }

    void Reset() {
        tracks.assign(1, Bytes{});
        triggers.clear();
        cuts = 0;
        cutAnswer = true;
    }

    std::vector<Bytes> tracks{Bytes{}};
    std::vector<std::int64_t> triggers;
    int cuts = 0;
    bool cutAnswer = true;
    std::int64_t header = 44;
};

// Audio described frame by frame: each frame's level-deciding sample and a
// small identifying sample (below every level the tests use), so that any
// misplaced byte shows.
class Signal {
public:
    explicit Signal(int channels) : channels_(channels) {}

    Signal& Add(std::int64_t frames, int peak) {
        for (std::int64_t i = 0; i < frames; ++i) {
            const auto id = static_cast<std::int16_t>(count_ % 251);
            Put(static_cast<std::int16_t>(peak == 0 && channels_ == 1 ? id % 100 : peak));
            if (channels_ == 2) {
                Put(id);
            }
            ++count_;
        }
        return *this;
    }
    Signal& Quiet(std::int64_t frames) { return Add(frames, 0); }
    Signal& Loud(std::int64_t frames) { return Add(frames, 1000); }

    [[nodiscard]] const Bytes& All() const { return bytes_; }
    [[nodiscard]] std::int64_t FrameBytes() const { return 2 * channels_; }
    [[nodiscard]] std::int64_t Frames() const { return count_; }
    // Frames first..last inclusive.
    [[nodiscard]] Bytes Range(std::int64_t first, std::int64_t last) const {
        return Bytes(bytes_.begin() + first * FrameBytes(), bytes_.begin() + (last + 1) * FrameBytes());
    }

private:
    void Put(std::int16_t v) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + 2);
        test::ByteWriter(bytes_, at).Le(static_cast<std::uint16_t>(v), 2);
    }

    int channels_;
    std::int64_t count_ = 0;
    Bytes bytes_;
};

class TriggerSplitterTest : public ::testing::Test {
protected:
    void Configure(int channels, int delay, int silence, int tail, int level = 300) {
        auto& c = splitter_.Conditions();
        c.Channels = channels;
        c.UseTrigger = true;
        c.TriggerLevel = level;
        c.DelayFrames = delay;
        c.SilenceFrames = silence;
        c.TailFrames = tail;
        splitter_.Start();
    }
    void Feed(const Signal& s, std::int64_t firstFrame, std::int64_t frames) {
        splitter_.ProcessBlock(s.All().data() + firstFrame * s.FrameBytes(), frames * s.FrameBytes());
    }
    void FeedAll(const Signal& s) { Feed(s, 0, s.Frames()); }
    [[nodiscard]] Bytes Held() const {
        const auto& w = splitter_.WorkBuffer();
        return Bytes(w.Data(), w.Data() + w.Size());
    }

    FakeOwner owner_;
    RecordingUserMessages messages_;
    TriggerSplitter splitter_{owner_, &messages_};
};

TEST_F(TriggerSplitterTest, TriggerAndEndWithinOneBlock) {
    Configure(2, 4, 10, 3);
    Signal s(2);
    s.Quiet(20).Loud(10).Quiet(16).Loud(1).Quiet(3);  // loud 20..29, quiet 30..45, loud 46
    FeedAll(s);
    ASSERT_EQ(owner_.triggers, (std::vector<std::int64_t>{4}));
    ASSERT_EQ(owner_.tracks.size(), 2U);
    // Quiet run starts at 30 (S = 30 when it grows past 10 at E = 40): the
    // track keeps 3 quiet frames after S.
    EXPECT_EQ(owner_.tracks[0], s.Range(16, 33));
    EXPECT_TRUE(owner_.tracks[1].empty());
    EXPECT_FALSE(splitter_.InTrack());
    // Held from S + 1; the loud frame after the end is not examined in this block.
    EXPECT_EQ(Held(), s.Range(31, 49));

    Signal more(2);
    more.Quiet(20);
    FeedAll(more);
    EXPECT_EQ(owner_.triggers.size(), 1U);
    EXPECT_EQ(Held(), more.Range(16, 19));  // only the delay's worth is held while waiting
}

TEST_F(TriggerSplitterTest, LevelBoundary) {
    Configure(2, 0, 5, 0);
    Signal s(2);
    s.Quiet(3).Add(1, 300).Quiet(2).Add(1, 301).Loud(2);  // 300 at 3 does not trigger; 301 at 6 does
    FeedAll(s);
    ASSERT_EQ(owner_.triggers, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(owner_.tracks[0], s.Range(6, 8));
    // Inside the track a peak of 300 breaks the quiet run without counting.
    Signal t(2);
    t.Quiet(4).Add(1, 300).Quiet(5);
    FeedAll(t);
    EXPECT_EQ(owner_.cuts, 0);
    EXPECT_EQ(splitter_.SilenceCount(), 5);
    EXPECT_EQ(Held(), t.Range(5, 9));  // only the current quiet run is held
    Signal u(2);
    u.Quiet(1);
    FeedAll(u);
    EXPECT_EQ(owner_.cuts, 1);
    // The track got everything up to S = E − 5, the first frame of the run.
    Bytes expected = s.Range(6, 8);
    const Bytes firstPart = t.Range(0, 5);
    expected.insert(expected.end(), firstPart.begin(), firstPart.end());
    EXPECT_EQ(owner_.tracks[0], expected);
}

TEST_F(TriggerSplitterTest, MostNegativeSampleIsLoudForAnyLevel) {
    Configure(2, 0, 5, 0, 32767);
    Signal s(2);
    s.Quiet(2).Add(1, -32768);
    FeedAll(s);
    EXPECT_EQ(owner_.triggers.size(), 1U);
    EXPECT_TRUE(splitter_.InTrack());
}

TEST_F(TriggerSplitterTest, ZeroSilenceEndsOnTheFirstQuietFrame) {
    Configure(1, 0, 0, 0);
    Signal s(1);
    s.Quiet(5).Loud(3).Quiet(4);
    FeedAll(s);
    ASSERT_EQ(owner_.cuts, 1);
    EXPECT_EQ(owner_.tracks[0], s.Range(5, 8));  // up to and including the quiet frame E
    EXPECT_EQ(Held(), s.Range(9, 11));
}

TEST_F(TriggerSplitterTest, TailEqualToSilenceKeepsTheWholeRun) {
    Configure(2, 0, 5, 5);
    Signal s(2);
    s.Loud(2).Quiet(8);  // E = 7 (sixth quiet frame)
    FeedAll(s);
    ASSERT_EQ(owner_.cuts, 1);
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 7));
    EXPECT_EQ(Held(), s.Range(3, 9));  // from S + 1
    EXPECT_EQ(splitter_.ScanPosition(), 0);
}

TEST_F(TriggerSplitterTest, PreRollAfterALongWait) {
    Configure(2, 4410, 132300, 44100);
    Signal s(2);
    s.Quiet(3 * 16384 + 9999).Loud(10);
    // Blocks of 4096 stereo frames (16,384 bytes) up to the triggering
    // block, then the rest.
    const std::int64_t block = 4096;
    std::int64_t at = 0;
    while (at + block <= s.Frames()) {
        Feed(s, at, block);
        at += block;
    }
    Feed(s, at, s.Frames() - at);
    const std::int64_t trigger = 3 * 16384 + 9999;
    ASSERT_EQ(owner_.triggers, (std::vector<std::int64_t>{4410}));
    EXPECT_EQ(owner_.tracks[0], s.Range(trigger - 4410, trigger + 9));
}

TEST_F(TriggerSplitterTest, TriggerAmongTheFirstFramesStartsAtTheFirst) {
    Configure(2, 4410, 100, 10);
    Signal s(2);
    s.Quiet(2).Loud(5);
    FeedAll(s);
    ASSERT_EQ(owner_.triggers, (std::vector<std::int64_t>{3}));  // index 2 + 1
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 6));
}

TEST_F(TriggerSplitterTest, InTrackBlockSeesEndTriggerAndEnd) {
    Configure(1, 2, 3, 1);
    Signal first(1);
    first.Loud(2);
    FeedAll(first);
    ASSERT_EQ(owner_.triggers.size(), 1U);
    Signal s(1);
    // End at frame 3 (run 0..3), trigger at 6, end at 12 (run 9..12), a
    // trigger at 15 that this block does not look for.
    s.Quiet(4).Quiet(2).Loud(3).Quiet(4).Quiet(2).Loud(1).Quiet(2);
    FeedAll(s);
    ASSERT_EQ(owner_.cuts, 2);
    ASSERT_EQ(owner_.triggers, (std::vector<std::int64_t>{1, 2}));
    Bytes track1 = first.All();
    const Bytes tail1 = s.Range(0, 1);  // S = 0, tail 1
    track1.insert(track1.end(), tail1.begin(), tail1.end());
    EXPECT_EQ(owner_.tracks[0], track1);
    // Pre-roll of 2 before the trigger at 6 repeats nothing here (run 1..3 held).
    EXPECT_EQ(owner_.tracks[1], s.Range(4, 10));  // S = 9, tail 1 → up to 10
    EXPECT_TRUE(owner_.tracks[2].empty());
    EXPECT_FALSE(splitter_.InTrack());
}

TEST_F(TriggerSplitterTest, PreRollCanRepeatTheEndOfThePreviousTrack) {
    Configure(1, 6, 4, 3);  // delay 6 > silence − tail = 1
    Signal s(1);
    s.Loud(2).Quiet(5).Loud(2);  // run 2..6: E = 6, S = 2, track up to 5
    Feed(s, 0, 7);
    ASSERT_EQ(owner_.cuts, 1);
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 5));
    Feed(s, 7, 2);
    ASSERT_EQ(owner_.triggers.size(), 2U);
    EXPECT_EQ(owner_.triggers[1], 5);            // held 3..6, trigger 7 → 5 frames, the first of them
    EXPECT_EQ(owner_.tracks[1], s.Range(3, 8));  // frames 3..5 are in both tracks
}

TEST_F(TriggerSplitterTest, QuietRunAcrossBlocksIsHeldThenWritten) {
    Configure(2, 0, 100, 10);
    Signal s(2);
    s.Loud(5).Quiet(3).Loud(2).Quiet(7);
    Feed(s, 0, 8);
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 4));
    EXPECT_EQ(Held(), s.Range(5, 7));
    Feed(s, 8, 9);
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 9));
    EXPECT_EQ(Held(), s.Range(10, 16));
    // Stopping drops the held run.
    splitter_.Stop();
    EXPECT_TRUE(Held().empty());
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 9));
}

TEST_F(TriggerSplitterTest, FailedCutStopsAllWriting) {
    Configure(1, 0, 2, 0);
    owner_.cutAnswer = false;
    Signal s(1);
    s.Loud(2).Quiet(5).Loud(3);
    FeedAll(s);
    EXPECT_EQ(owner_.cuts, 1);
    EXPECT_FALSE(splitter_.HasTrack());
    const Bytes written = owner_.tracks[0];
    EXPECT_EQ(written, s.Range(0, 2));
    FeedAll(s);
    EXPECT_EQ(owner_.tracks[0], written);
    EXPECT_EQ(owner_.cuts, 1);
    EXPECT_FALSE(splitter_.ManualTrackChange());
    splitter_.Start();
    EXPECT_TRUE(splitter_.HasTrack());
}

TEST_F(TriggerSplitterTest, ManualChangeWhileWaitingWritesThePreRoll) {
    Configure(2, 4, 10, 2);
    Signal s(2);
    s.Quiet(10);
    FeedAll(s);
    EXPECT_TRUE(owner_.tracks[0].empty());
    EXPECT_TRUE(splitter_.ManualTrackChange());
    EXPECT_EQ(owner_.tracks[0], s.Range(6, 9));
    EXPECT_EQ(owner_.tracks.size(), 2U);
    EXPECT_TRUE(Held().empty());
    EXPECT_FALSE(splitter_.InTrack());
}

class FixedLengthTest : public TriggerSplitterTest {
protected:
    void ConfigureFixed(int channels, std::int64_t interval, std::int64_t header) {
        auto& c = splitter_.Conditions();
        c.Channels = channels;
        c.UseTrigger = false;
        c.CutByInterval = true;
        c.IntervalFrames = interval;
        splitter_.SplitOptions().headerBytes = header;
        owner_.header = header;
        splitter_.Start();
    }
};

TEST_F(FixedLengthTest, OneCutPerBlock) {
    ConfigureFixed(2, 10, 44);
    EXPECT_TRUE(splitter_.InTrack());
    Signal s(2);
    s.Loud(12).Quiet(25).Loud(4);
    Feed(s, 0, 4);
    Feed(s, 4, 4);
    Feed(s, 8, 4);  // 8 + 4 > 10: 2 frames, cut, 2 frames
    ASSERT_EQ(owner_.tracks.size(), 2U);
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 9));
    EXPECT_EQ(owner_.triggers, (std::vector<std::int64_t>{0}));
    Feed(s, 12, 25);  // 8 frames fill the piece, the other 17 start the next
    ASSERT_EQ(owner_.tracks.size(), 3U);
    EXPECT_EQ(owner_.tracks[1], s.Range(10, 19));
    EXPECT_EQ(owner_.tracks[2], s.Range(20, 36));
    Feed(s, 37, 4);  // the piece is over its length: the whole block goes on
    ASSERT_EQ(owner_.tracks.size(), 4U);
    EXPECT_EQ(owner_.tracks[3], s.Range(37, 40));
    EXPECT_TRUE(Held().empty());
}

TEST_F(FixedLengthTest, TenSecondsAt44100StereoWave) {
    for (const std::int64_t header : {std::int64_t{44}, std::int64_t{0}}) {
        owner_.Reset();
        ConfigureFixed(2, 10 * 44100, header);
        const Bytes block(16384, 0);
        const std::int64_t total = 25 * 44100 * 4;
        for (std::int64_t done = 0; done < total; done += 16384) {
            splitter_.ProcessBlock(block.data(), 16384);
        }
        ASSERT_EQ(owner_.tracks.size(), 3U);
        EXPECT_EQ(header + static_cast<std::int64_t>(owner_.tracks[0].size()), 1'764'000 + header);
        EXPECT_EQ(static_cast<std::int64_t>(owner_.tracks[1].size()), 1'764'000);
    }
}

TEST_F(FixedLengthTest, ZeroIntervalCutsEveryBlockOff) {
    ConfigureFixed(1, 0, 44);
    Signal s(1);
    s.Loud(6);
    Feed(s, 0, 3);
    ASSERT_EQ(owner_.tracks.size(), 2U);
    EXPECT_TRUE(owner_.tracks[0].empty());  // closed empty (the writer deletes it)
    EXPECT_EQ(owner_.tracks[1], s.Range(0, 2));
    Feed(s, 3, 3);
    ASSERT_EQ(owner_.tracks.size(), 3U);
    EXPECT_EQ(owner_.tracks[2], s.Range(3, 5));
}

TEST_F(FixedLengthTest, RedivideBlocksOf409600Bytes) {
    ConfigureFixed(2, 44100, 44);
    const Bytes block(409600, 1);
    splitter_.ProcessBlock(block.data(), 409600);
    splitter_.ProcessBlock(block.data(), 409600);
    ASSERT_EQ(owner_.tracks.size(), 3U);
    EXPECT_EQ(owner_.tracks[0].size(), 176400U);
    EXPECT_EQ(owner_.tracks[1].size(), 233200U);
    EXPECT_EQ(owner_.tracks[2].size(), 409600U);
}

TEST_F(FixedLengthTest, CutOnceThenNoMoreCuts) {
    ConfigureFixed(2, 3, 44);
    splitter_.SplitOptions().cutOnce = true;
    Signal s(2);
    s.Loud(20);
    Feed(s, 0, 5);
    Feed(s, 5, 5);
    Feed(s, 10, 10);
    splitter_.FlushHeld();
    ASSERT_EQ(owner_.tracks.size(), 2U);
    EXPECT_EQ(owner_.tracks[0], s.Range(0, 2));
    EXPECT_EQ(owner_.tracks[1], s.Range(3, 19));
    // A new source starts with its one cut again.
    owner_.Reset();
    splitter_.Start();
    Feed(s, 0, 5);
    EXPECT_EQ(owner_.tracks.size(), 2U);
}

TEST_F(FixedLengthTest, ManualChangeStaysInTrack) {
    ConfigureFixed(2, 100, 44);
    Signal s(2);
    s.Loud(4);
    FeedAll(s);
    EXPECT_TRUE(splitter_.ManualTrackChange());
    EXPECT_TRUE(splitter_.InTrack());
    EXPECT_EQ(owner_.tracks[0], s.All());
    EXPECT_EQ(owner_.tracks.size(), 2U);
}

TEST_F(TriggerSplitterTest, NoCuttingWritesEverything) {
    auto& c = splitter_.Conditions();
    c.Channels = 2;
    c.UseTrigger = false;
    c.CutByInterval = false;
    splitter_.Start();
    EXPECT_TRUE(splitter_.InTrack());
    Signal s(2);
    s.Quiet(10).Loud(3).Quiet(10);
    FeedAll(s);
    EXPECT_EQ(owner_.tracks[0], s.All());
    EXPECT_EQ(owner_.cuts, 0);
    EXPECT_TRUE(Held().empty());
}

TEST_F(TriggerSplitterTest, UseTriggerWinsOverInterval) {
    auto& c = splitter_.Conditions();
    c.UseTrigger = true;
    c.CutByInterval = true;
    EXPECT_EQ(c.Mode(), CutMode::Trigger);
    c.UseTrigger = false;
    EXPECT_EQ(c.Mode(), CutMode::FixedLength);
}

TEST_F(TriggerSplitterTest, SettersConvertInExtendedPrecision) {
    splitter_.Conditions().SampleRate = 44100;
    splitter_.SetTriggerDelay(0.3);
    EXPECT_EQ(splitter_.Conditions().DelayFrames, 13229);
    splitter_.SetTriggerDelay(0.1);
    EXPECT_EQ(splitter_.Conditions().DelayFrames, 4410);
    splitter_.SetTrackInterval(3.0);
    EXPECT_EQ(splitter_.Conditions().SilenceFrames, 132300);
    splitter_.SetLastTimeAfterTrigger(1.0);
    EXPECT_EQ(splitter_.Conditions().TailFrames, 44100);
    EXPECT_EQ(messages_.Count(), 0U);
}

TEST_F(TriggerSplitterTest, SettersCorrectAndExplain) {
    splitter_.Conditions().SampleRate = 44100;
    splitter_.SetTriggerDelay(-0.05);
    splitter_.SetTrackInterval(-1.5);
    splitter_.SetTrackInterval(2.0);
    splitter_.SetLastTimeAfterTrigger(-0.25);
    splitter_.SetLastTimeAfterTrigger(2.5);
    const auto shown = messages_.Messages();
    ASSERT_EQ(shown.size(), 4U);
    for (const auto& m : shown) {
        EXPECT_EQ(m.title, "設定エラー");
        EXPECT_EQ(m.icon, MsgIcon::None);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(shown[0].text,
              "トリガディレイ-0.05(sec)が指定されましたが、\r\nトリガディレイはプラスにしかなれないので、\r\n"
              "トリガディレイ0(トリガディレイなし)に修正します。");
    EXPECT_EQ(shown[1].text,
              "トラック間隔-1.5(sec)が指定されましたが、\r\nトラック間隔はプラスにしかなれないので、\r\n"
              "トラック間隔0に修正します。");
    EXPECT_EQ(shown[2].text,
              "残す時間-0.25(sec)が指定されましたが、\r\n残す時間はプラスにしかなれないので、\r\n"
              "残す時間0(残す時間なし)に修正します。");
    EXPECT_EQ(shown[3].text,
              "残す時間2.5(sec)が指定されましたが、\r\nこの時間はトラック間隔よりも長すぎます。\r\n"
              "残す時間をトラック間隔と同じ長さに修正します。");
    const auto& c = splitter_.Conditions();
    EXPECT_EQ(c.DelayFrames, 0);
    EXPECT_EQ(c.SilenceFrames, 88200);
    EXPECT_EQ(c.TailFrames, 88200);
}

TEST_F(TriggerSplitterTest, DigitsSetTheMaximumSilently) {
    splitter_.SetDigits(3);
    EXPECT_EQ(splitter_.Conditions().MaxTrackNumber, 999);
    splitter_.SetDigits(10);
    EXPECT_EQ(splitter_.Conditions().MaxTrackNumber, 2'147'483'647);
    EXPECT_EQ(messages_.Count(), 0U);
    splitter_.SetDigits(3);
    splitter_.SetMaxTrackNumber(500);
    EXPECT_EQ(splitter_.Conditions().MaxTrackNumber, 500);
    splitter_.SetMaxTrackNumber(1000);
    EXPECT_EQ(splitter_.Conditions().MaxTrackNumber, 999);
    const auto shown = messages_.Messages();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].text,
              "トラック数の最大値1000が指定されましたが、\r\nトラック桁数は3なので、\r\n最大値を999に修正します。");
    EXPECT_EQ(shown[0].title, "設定エラー");
}

}  // namespace
}  // namespace zolvane2
