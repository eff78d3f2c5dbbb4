// Speed of the gap finder over a 60-minute 44.1 kHz stereo side, fed in
// 409,600-byte blocks as the re-divide reads them, and of the live finder at
// 96 kHz stereo. The side is a minute of one synthetic vinyl side fed again
// and again, so that the audio costs no memory of its own: what the finder
// keeps is its level track, a byte per 20 ms.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "GapSide.h"
#include "jobs/CuttingSettings.h"
#include "record/GapFinder.h"

namespace {

using zolvane2::GapFinder;
using zolvane2::GapSettings;
using namespace zolvane2::bench;

const std::vector<std::int16_t>& Minute() {
    static const std::vector<std::int16_t> minute = [] {
        SideMaker maker(3);
        Side side = maker.Make(Background::Vinyl);
        side.samples.resize(std::min<std::size_t>(side.samples.size(), std::size_t{60} * Side::kRate * 2));
        return side.samples;
    }();
    return minute;
}

void WholeSide(benchmark::State& state) {
    const std::vector<std::int16_t>& minute = Minute();
    constexpr std::int64_t kBlockFrames = 409600 / 4;
    const std::int64_t minuteFrames = std::ssize(minute) / 2;
    for (auto _ : state) {
        GapFinder finder(Side::kRate, 2, zolvane2::CuttingSettings().Gaps(Side::kRate));
        for (int m = 0; m < 60; ++m) {
            for (std::int64_t f = 0; f < minuteFrames; f += kBlockFrames) {
                finder.Feed(minute.data() + f * 2, std::min(kBlockFrames, minuteFrames - f));
            }
        }
        finder.Finish();
        benchmark::DoNotOptimize(finder.Pieces());
        state.counters["level track bytes"] = static_cast<double>(finder.Levels().size());
    }
    state.counters["x real time"] =
        benchmark::Counter(3600.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(WholeSide)->Unit(benchmark::kSecond)->Iterations(1);

// One second of 96 kHz stereo in 16,384-byte capture blocks; the share of a
// core is the time per iteration over one second.
void LiveSecondAt96k(benchmark::State& state) {
    const std::vector<std::int16_t>& minute = Minute();
    constexpr std::int64_t kBlockFrames = 16384 / 4;
    GapFinder finder(96000, 2, zolvane2::CuttingSettings().Gaps(96000), GapFinder::Use::Live);
    std::int64_t at = 0;
    const std::int64_t minuteFrames = std::ssize(minute) / 2;
    for (auto _ : state) {
        for (std::int64_t f = 0; f < 96000; f += kBlockFrames) {
            if (at + kBlockFrames > minuteFrames) {
                at = 0;
            }
            finder.Feed(minute.data() + at * 2, kBlockFrames);
            at += kBlockFrames;
            benchmark::DoNotOptimize(finder.TakeEvents());
        }
    }
}
BENCHMARK(LiveSecondAt96k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
