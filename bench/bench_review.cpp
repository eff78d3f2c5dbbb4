// The review page's levels: reading them from a 60-minute and a 4-hour
// 44.1 kHz stereo WAVE file in one pass (page cache warm: each file is read
// once before it is timed), what they take in memory, and the data side of a
// repaint of a 1280-column view at several zooms: the spans from the levels
// or, closer than their finest block, from frames read from the file. The
// files hold a minute of a synthetic vinyl side again and again.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "BenchDir.h"
#include "GapSide.h"
#include "jobs/LevelOverview.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackFileWriter.h"

namespace {

using zolvane2::LevelOverview;
using zolvane2::TLongFileStream;
using namespace zolvane2::bench;

constexpr int kColumns = 1280;

// The WAVE file of a number of minutes, written once per run.
const std::string& File(int minutes) {
    static const std::string dir = MakeBenchDir();
    static std::map<int, std::string> files;
    auto& path = files[minutes];
    if (!path.empty()) {
        return path;
    }
    SideMaker maker(3);
    Side side = maker.Make(Background::Vinyl);
    side.samples.resize(std::size_t{60} * Side::kRate * 2);
    path = dir + "/side-" + std::to_string(minutes) + ".wav";
    zolvane2::TrackFileWriter writer;
    writer.OpenOutput(path, 2, Side::kRate, false, zolvane2::TrackFileWriter::Create::New);
    for (int m = 0; m < minutes; ++m) {
        writer.Append(side.samples.data(), static_cast<std::int64_t>(side.samples.size() * 2));
    }
    // Past 2 GB the file is kept with capped sizes under a "_tooLONG" name;
    // it is read by its real size.
    (void)writer.CloseOutput();
    path = writer.FileName();
    return path;
}

std::optional<LevelOverview> Read(const std::string& path) {
    TLongFileStream stream(path, TLongFileStream::fmOpenRead);
    return LevelOverview::Build(stream, 44, stream.GetSize64() - 44, 2, [](std::int64_t) { return true; });
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Levels(benchmark::State& state) {
    const std::string& path = File(static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(Read(path));  // warms the page cache
    for (auto _ : state) {
        auto overview = Read(path);
        benchmark::DoNotOptimize(overview);
        state.counters["levels MB"] = static_cast<double>(overview->MemoryBytes()) / 1e6;
    }
    state.counters["peak RSS MB"] = PeakMegabytes();
}
BENCHMARK(Levels)->Arg(60)->Arg(240)->Unit(benchmark::kMillisecond)->Iterations(3);

// One repaint's spans at framesPerPixel = range(0) over the 4-hour file.
void RepaintSpans(benchmark::State& state) {
    static const std::unique_ptr<LevelOverview> overview = std::make_unique<LevelOverview>(*Read(File(240)));
    const std::string& path = File(240);
    const auto framesPerPixel = static_cast<double>(state.range(0));
    std::int64_t start = overview->Frames() / 3;
    for (auto _ : state) {
        std::vector<LevelOverview::Span> spans;
        if (framesPerPixel >= static_cast<double>(LevelOverview::kBlockFrames[0])) {
            spans.reserve(std::size_t{kColumns} * 2);
            for (int x = 0; x < kColumns; ++x) {
                const auto from = start + static_cast<std::int64_t>(x * framesPerPixel);
                const auto to = start + static_cast<std::int64_t>((x + 1) * framesPerPixel);
                spans.push_back(overview->At(0, from, to));
                spans.push_back(overview->At(1, from, to));
            }
        } else {
            // As the page does: the file opened for this read only.
            const auto frames = static_cast<std::int64_t>(framesPerPixel * kColumns) + 1;
            std::vector<std::int16_t> samples(static_cast<std::size_t>(frames * 2));
            TLongFileStream stream(path, TLongFileStream::fmOpenRead | TLongFileStream::fmShareDenyNone);
            stream.SetPosition64(44 + start * 4);
            stream.ReadBuffer(samples.data(), frames * 4);
            spans = LevelOverview::SpansOfFrames(samples.data(), frames, 2, kColumns);
        }
        benchmark::DoNotOptimize(spans);
        start += 7919;  // another stretch each time
    }
}
// Whole 4 hours in view down to a frame per column.
BENCHMARK(RepaintSpans)
    ->Arg(635040000 / kColumns)
    ->Arg(65536 * 4)
    ->Arg(4096)
    ->Arg(256)
    ->Arg(64)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
