// The re-divide job leans on the splitter's chunked quiet-run scan for its
// speed. This compares the splitter, fed in random blocks, with a frame-by-
// frame model of the cutting rules on audio made to stress the chunk edges:
// runs just below, at and above the silence length, peaks equal to the level,
// and silence lengths on both sides of the chunk sizes. The splitter runs
// twice: holding audio in its work buffer (recording) and holding only its
// place in the source (re-divide), where audio of earlier blocks is no
// longer in memory.
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "record/TriggerSplitter.h"
#include "support/WaveFile.h"

namespace zolvane2 {
namespace {

using test::Bytes;

class CollectingOwner final : public SplitterOwner {
public:
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override {
        current.insert(current.end(), bytes, bytes + count);
    }
    bool CutTrack() override {
        pieces.push_back(current);
        current.clear();
        return true;
    }
    void TrackTriggered(std::int64_t /*preRollFrames*/) override {}
    std::int64_t CurrentTrackSize() override { return 44 + static_cast<std::int64_t>(current.size()); }

    std::vector<Bytes> pieces;
    Bytes current;
};

// Appends held audio of earlier blocks from the whole source, as the
// re-divide job does from the file.
class SourceOwner final : public SplitterOwner {
public:
    explicit SourceOwner(const Bytes& source) : source_(source) {}
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override { pieces.AppendToTrack(bytes, count); }
    void AppendFedBytes(std::int64_t fedOffset, std::int64_t count) override {
        ASSERT_LE(fedOffset + count, static_cast<std::int64_t>(source_.size()));
        pieces.AppendToTrack(source_.data() + fedOffset, count);
    }
    bool CutTrack() override { return pieces.CutTrack(); }
    void TrackTriggered(std::int64_t /*preRollFrames*/) override {}
    std::int64_t CurrentTrackSize() override { return pieces.CurrentTrackSize(); }

    CollectingOwner pieces;

private:
    const Bytes& source_;
};

// The trigger-mode rules, one frame at a time.
class ModelSplitter {
public:
    ModelSplitter(int channels, int level, std::int64_t delay, std::int64_t silence, std::int64_t tail)
        : fb_(2 * channels), channels_(channels), level_(level), delay_(delay), silenceFrames_(silence), tail_(tail) {}

    void ProcessBlock(const Bytes& block) {
        scan_ = static_cast<std::int64_t>(buf_.size());
        buf_.insert(buf_.end(), block.begin(), block.end());
        if (!inTrack_) {
            if (FindTrigger()) {
                silence_ = 0;
                FindTrackEnd();
            }
        } else if (FindTrackEnd() && FindTrigger()) {
            silence_ = 0;
            FindTrackEnd();
        }
    }
    std::vector<Bytes> Finish() {
        current_.insert(current_.end(), buf_.begin(), buf_.end());
        pieces_.push_back(current_);
        return pieces_;
    }

private:
    int Peak(std::int64_t at) const {
        int peak = 0;
        for (int c = 0; c < channels_; ++c) {
            const auto s = static_cast<std::int16_t>(test::ReadLe(buf_, static_cast<std::size_t>(at + 2 * c), 2));
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        return peak;
    }
    void KeepFrom(std::int64_t at) { buf_.erase(buf_.begin(), buf_.begin() + at); }

    bool FindTrigger() {
        const std::int64_t size = static_cast<std::int64_t>(buf_.size());
        for (std::int64_t at = scan_; at + fb_ <= size; at += fb_) {
            if (Peak(at) > level_) {
                inTrack_ = true;
                const std::int64_t p = at + fb_;
                const std::int64_t start = p - fb_ - fb_ * delay_;
                if (start >= 0) {
                    KeepFrom(start);
                    scan_ = fb_ * delay_;
                } else {
                    scan_ = p;
                }
                return true;
            }
        }
        if (size > fb_ * delay_) {
            KeepFrom(size - fb_ * delay_);
        }
        return false;
    }

    bool FindTrackEnd() {
        const std::int64_t size = static_cast<std::int64_t>(buf_.size());
        for (std::int64_t at = scan_; at + fb_ <= size; at += fb_) {
            silence_ = Peak(at) >= level_ ? 0 : silence_ + 1;
            if (silence_ > silenceFrames_) {
                const std::int64_t end = at + fb_ - fb_ * silenceFrames_ + fb_ * tail_;
                current_.insert(current_.end(), buf_.begin(), buf_.begin() + end);
                pieces_.push_back(current_);
                current_.clear();
                inTrack_ = false;
                KeepFrom(end - fb_ * tail_);
                scan_ = fb_ * (silenceFrames_ - tail_);
                return true;
            }
        }
        const std::int64_t held = silence_ * fb_;
        if (size > held) {
            current_.insert(current_.end(), buf_.begin(), buf_.begin() + (size - held));
            KeepFrom(size - held);
        }
        return false;
    }

    std::int64_t fb_;
    int channels_;
    int level_;
    std::int64_t delay_;
    std::int64_t silenceFrames_;
    std::int64_t tail_;
    Bytes buf_;
    Bytes current_;
    std::vector<Bytes> pieces_;
    bool inTrack_ = false;
    std::int64_t silence_ = 0;
    std::int64_t scan_ = 0;
};

TEST(SplitterScanTest, ChunkedScanCutsWhereTheFrameByFrameRulesDo) {
    std::mt19937 rng(2024);
    const std::vector<std::int64_t> silences{0, 1, 5, 62, 63, 64, 65, 127, 128, 200, 1000, 1023, 1024, 1025, 2500};
    for (int round = 0; round < 120; ++round) {
        const int channels = 1 + round % 2;
        const int level = std::uniform_int_distribution<int>(0, 400)(rng);
        const std::int64_t silence = silences[static_cast<std::size_t>(round) % silences.size()];
        const std::int64_t tail = std::uniform_int_distribution<std::int64_t>(0, silence)(rng);
        const std::int64_t delay = std::uniform_int_distribution<std::int64_t>(0, 150)(rng);

        // Runs of quiet frames around the silence length, loud frames, and
        // frames exactly at the level.
        std::vector<std::int16_t> samples;
        while (samples.size() < 60000U * static_cast<std::size_t>(channels)) {
            const int kind = std::uniform_int_distribution<int>(0, 5)(rng);
            std::int64_t frames = 0;
            switch (kind) {
                case 0:
                    frames = silence + std::uniform_int_distribution<int>(-2, 2)(rng);
                    break;
                case 1:
                    frames = std::uniform_int_distribution<int>(1, 3 * 64)(rng);
                    break;
                default:
                    frames = std::uniform_int_distribution<int>(1, 500)(rng);
                    break;
            }
            for (std::int64_t f = 0; f < std::max<std::int64_t>(frames, 1); ++f) {
                for (int c = 0; c < channels; ++c) {
                    int v = 0;
                    if (kind == 0 || kind == 1) {
                        v = std::uniform_int_distribution<int>(-std::max(level - 1, 0), std::max(level - 1, 0))(rng);
                    } else if (kind == 2) {
                        v = (f % 7 == 0 && c == 0) ? level : 0;
                    } else if (kind == 3) {
                        v = (f % 97 == 0) ? -32768 : std::uniform_int_distribution<int>(-20000, 20000)(rng);
                    } else {
                        v = std::uniform_int_distribution<int>(-level - 3, level + 3)(rng);
                    }
                    samples.push_back(static_cast<std::int16_t>(std::clamp(v, -32768, 32767)));
                }
            }
        }
        const Bytes audio = test::Pcm(samples);

        CollectingOwner owner;
        TriggerSplitter splitter(owner);
        SourceOwner sourceOwner(audio);
        TriggerSplitter inSource(sourceOwner);
        CuttingConditions c;
        c.SampleRate = 44100;
        c.Channels = channels;
        c.UseTrigger = true;
        c.TriggerLevel = level;
        c.DelayFrames = static_cast<std::int32_t>(delay);
        c.SilenceFrames = static_cast<std::int32_t>(silence);
        c.TailFrames = static_cast<std::int32_t>(tail);
        splitter.SetConditions(c);
        splitter.SetOptions({44, false});
        splitter.Start();
        inSource.SetConditions(c);
        inSource.SetOptions({44, false, true});
        inSource.Start();
        ModelSplitter model(channels, level, delay, silence, tail);
        std::size_t at = 0;
        while (at < audio.size()) {
            // Blocks of whole frames, sometimes smaller than a chunk.
            const std::size_t frames = std::uniform_int_distribution<std::size_t>(1, 3000)(rng);
            const std::size_t n = std::min(audio.size() - at, frames * 2 * static_cast<std::size_t>(channels));
            const Bytes block(audio.begin() + static_cast<std::ptrdiff_t>(at),
                              audio.begin() + static_cast<std::ptrdiff_t>(at + n));
            splitter.ProcessBlock(block.data(), static_cast<std::int64_t>(block.size()));
            inSource.ProcessBlock(block.data(), static_cast<std::int64_t>(block.size()));
            model.ProcessBlock(block);
            at += n;
        }
        splitter.FlushHeld();
        owner.pieces.push_back(owner.current);
        inSource.FlushHeld();
        sourceOwner.pieces.pieces.push_back(sourceOwner.pieces.current);
        EXPECT_EQ(inSource.WorkBuffer().Size(), 0);
        const auto expected = model.Finish();
        ASSERT_EQ(owner.pieces.size(), expected.size()) << "round " << round;
        ASSERT_EQ(sourceOwner.pieces.pieces.size(), expected.size()) << "round " << round;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(owner.pieces[i], expected[i]) << "round " << round << " piece " << i;
            ASSERT_EQ(sourceOwner.pieces.pieces[i], expected[i]) << "round " << round << " piece " << i;
        }
    }
}

}  // namespace
}  // namespace zolvane2
