// Trigger-mode scanning speed of the track splitter over 16,384-byte stereo
// blocks (the capture thread's buffer size). The owner only counts bytes, so
// the figure is the splitter's own: scanning, holding back and rebuilding.
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "record/TriggerSplitter.h"

namespace {

using zolvane2::SplitterOwner;
using zolvane2::TriggerSplitter;

class CountingOwner final : public SplitterOwner {
public:
    void AppendToTrack(const std::uint8_t* /*bytes*/, std::int64_t count) override { written += count; }
    bool CutTrack() override {
        ++cuts;
        written = 0;
        return true;
    }
    void TrackTriggered(std::int64_t /*preRollFrames*/) override {}
    std::int64_t CurrentTrackSize() override { return 44 + written; }

    std::int64_t written = 0;
    std::int64_t cuts = 0;
};

constexpr std::size_t kBlockBytes = 16384;

// Stereo audio made of pieces: `loudSeconds` of music-like noise, then
// `quietSeconds` of low hiss, repeated.
std::vector<std::uint8_t> MakeAudio(double loudSeconds, double quietSeconds, double totalSeconds) {
    std::mt19937 rng(7);
    std::normal_distribution<double> music(0.0, 6000.0);
    std::normal_distribution<double> hiss(0.0, 40.0);
    const auto frames = static_cast<std::size_t>(totalSeconds * 44100);
    const auto period = static_cast<std::size_t>((loudSeconds + quietSeconds) * 44100);
    const auto loud = static_cast<std::size_t>(loudSeconds * 44100);
    std::vector<std::uint8_t> bytes(frames * 4);
    for (std::size_t f = 0; f < frames; ++f) {
        const bool isLoud = period > 0 && (f % period) < loud;
        for (int c = 0; c < 2; ++c) {
            const double v = isLoud ? music(rng) : hiss(rng);
            const auto s = static_cast<std::int16_t>(std::max(-32768.0, std::min(32767.0, v)));
            std::memcpy(&bytes[(f * 2 + static_cast<std::size_t>(c)) * 2], &s, 2);
        }
    }
    bytes.resize(bytes.size() / kBlockBytes * kBlockBytes);
    return bytes;
}

void RunSplitter(benchmark::State& state, const std::vector<std::uint8_t>& audio) {
    CountingOwner owner;
    TriggerSplitter splitter(owner);
    auto& c = splitter.Conditions();
    c.SampleRate = 44100;
    c.Channels = 2;
    c.UseTrigger = true;
    c.TriggerLevel = 300;
    c.DelayFrames = 4410;      // 100 ms
    c.SilenceFrames = 132300;  // 3 s
    c.TailFrames = 44100;      // 1 s
    splitter.Start();
    std::size_t at = 0;
    for (auto _ : state) {
        splitter.ProcessBlock(audio.data() + at, kBlockBytes);
        at += kBlockBytes;
        if (at >= audio.size()) {
            at = 0;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBlockBytes));
    benchmark::DoNotOptimize(owner.cuts);
}

// Waiting through quiet input: the trigger search plus holding the pre-roll.
void BM_TriggerWaiting(benchmark::State& state) {
    static const auto audio = MakeAudio(0, 60, 60);
    RunSplitter(state, audio);
}
BENCHMARK(BM_TriggerWaiting);

// Inside a long track of loud input: the quiet-run count over every frame.
void BM_TriggerInTrack(benchmark::State& state) {
    static const auto audio = MakeAudio(60, 0, 60);
    RunSplitter(state, audio);
}
BENCHMARK(BM_TriggerInTrack);

// Tracks of 20 s with 4 s gaps: triggers, ends, cuts and rebuilds.
void BM_TriggerTracksAndGaps(benchmark::State& state) {
    static const auto audio = MakeAudio(20, 4, 120);
    RunSplitter(state, audio);
}
BENCHMARK(BM_TriggerTracksAndGaps);

}  // namespace

BENCHMARK_MAIN();
