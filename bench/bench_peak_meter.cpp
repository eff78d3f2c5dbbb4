// The peak meter's readings per block of 16,384 bytes (93 ms of 44.1 kHz
// stereo), the share of the block's time they take: every sample read for the
// peaks, the clip lamp and the quiet floor. The window adds to this only the
// painting of a strip of 12 pixels.
#include <chrono>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "record/PeakMeter.h"

namespace {

using zolvane2::PeakMeter;

constexpr double kBlockSeconds = 16384.0 / (44100.0 * 4.0);

void BM_PeakMeterBlock(benchmark::State& state) {
    std::vector<std::uint8_t> block(16384);
    std::uint32_t x = 12345;
    for (std::uint8_t& b : block) {
        x = x * 1664525U + 1013904223U;
        b = static_cast<std::uint8_t>(x >> 24U);
    }
    PeakMeter meter;
    meter.Start(2, 44100);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        meter.Feed(block.data(), static_cast<std::int64_t>(block.size()));
        benchmark::DoNotOptimize(meter.HoldDb(1));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double perBlock = seconds / static_cast<double>(state.iterations());
    state.counters["percent_of_block"] = perBlock / kBlockSeconds * 100.0;
    state.counters["us_per_block"] = perBlock * 1e6;
}
BENCHMARK(BM_PeakMeterBlock)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
