// The review page's repaints: one paint of the zoomed view (1280 × 300
// pixels) of a 4-hour 44.1 kHz stereo file cut into 60 pieces, from all of it
// in view down to 32 columns a frame, and one of the overview. The levels are
// fed from a minute of a synthetic vinyl side again and again; the frames of
// the deep zoom come from that minute in memory, so the file read of the
// page is left out here (bench_review times it).
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "GapSide.h"
#include "app/TWaveView.h"
#include "jobs/CutPlan.h"
#include "jobs/LevelOverview.h"

namespace {

using zolvane2::CutPlan;
using zolvane2::LevelOverview;
using zolvane2::TWaveView;
using namespace zolvane2::bench;

constexpr std::int64_t kMinuteFrames = std::int64_t{60} * Side::kRate;
constexpr std::int64_t kFrames = 240 * kMinuteFrames;

struct Fixture {
    std::vector<std::int16_t> minute;
    LevelOverview overview{2};
    CutPlan plan{kFrames};

    Fixture() {
        SideMaker maker(3);
        Side side = maker.Make(Background::Vinyl);
        side.samples.resize(static_cast<std::size_t>(kMinuteFrames * 2));
        minute = std::move(side.samples);
        for (int m = 0; m < 240; ++m) {
            for (std::int64_t f = 0; f < kMinuteFrames; f += 102400) {
                overview.Feed(minute.data() + f * 2, std::min<std::int64_t>(102400, kMinuteFrames - f));
            }
        }
        overview.Finish();
        std::vector<zolvane2::CutPoint> pieces;
        for (int i = 0; i < 60; ++i) {
            pieces.push_back({i * 4 * kMinuteFrames, (i + 1) * 4 * kMinuteFrames, "piece"});
        }
        plan.Propose(pieces);
    }

    [[nodiscard]] std::vector<std::int16_t> Read(std::int64_t from, std::int64_t count) const {
        std::vector<std::int16_t> out(static_cast<std::size_t>(count * 2));
        for (std::int64_t i = 0; i < count; ++i) {
            const std::int64_t f = (from + i) % kMinuteFrames;
            out[static_cast<std::size_t>(2 * i)] = minute[static_cast<std::size_t>(2 * f)];
            out[static_cast<std::size_t>(2 * i + 1)] = minute[static_cast<std::size_t>(2 * f + 1)];
        }
        return out;
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void Paint(benchmark::State& state, TWaveView::Kind kind, double framesPerPixel) {
    Fixture& f = Shared();
    TWaveView view(kind, nullptr);
    view.resize(1280, 300);
    view.SetSource(&f.overview, [&f](std::int64_t from, std::int64_t count) { return f.Read(from, count); });
    view.SetPlan(&f.plan);
    double start = static_cast<double>(kFrames) / 3;
    QImage image(1280, 300, QImage::Format_RGB32);
    for (auto _ : state) {
        view.SetView(start, framesPerPixel);
        view.SetCursorFrame(static_cast<std::int64_t>(start) + 100);
        view.render(&image);
        benchmark::DoNotOptimize(image.bits());
        start += 7919;
    }
}

void ZoomPaint(benchmark::State& state) {
    // range(0) is frames per column times 32, so that 1/32 fits an integer.
    Paint(state, TWaveView::Kind::Zoom, static_cast<double>(state.range(0)) / 32);
}
BENCHMARK(ZoomPaint)
    ->Arg(kFrames / 1280 * 32)
    ->Arg(65536 * 32)
    ->Arg(4096 * 32)
    ->Arg(256 * 32)
    ->Arg(64 * 32)
    ->Arg(32)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

void OverviewPaint(benchmark::State& state) {
    Paint(state, TWaveView::Kind::Overview, 1);
}
BENCHMARK(OverviewPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
