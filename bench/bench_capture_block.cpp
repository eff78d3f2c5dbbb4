// The capture thread's work per filled block of 16,384 bytes (93 ms of
// 44.1 kHz stereo): copying it into the level stream, handing it to a level
// handler that scans its peaks, running the splitter and writing the track
// file. Measured twice:
//   - Direct: the same steps called in a loop, without threads;
//   - Thread: the real capture thread fed by the fake input, the level
//     hand-over going through the main-thread dispatcher and back, i.e. the
//     whole round trip of one block including the thread switches.
// Each reports percent_of_block: the time per block as a share of the 93 ms
// the block lasts (the budget is 1 %). Track files go to a temporary folder
// (ZOLVANE2_BENCH_DIR chooses its parent) that is removed at the end.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchDir.h"
#include "platform/NotifyWindow.h"
#include "platform/QueuedDispatcher.h"
#include "record/SplitterOwner.h"
#include "record/TWaveInThread.h"
#include "record/TriggerSplitter.h"
#include "support/FakeSoundInput.h"
#include "support/RecordingUserMessages.h"
#include "trackfile/TrackFileWriter.h"

namespace {

using namespace zolvane2;
using zolvane2::test::FakeSoundInput;
using zolvane2::test::RecordingUserMessages;
namespace fs = std::filesystem;

constexpr double kBlockSeconds = 16384.0 / (44100.0 * 4.0);
constexpr int kBlocksPerFile = 600;  // about 56 s, 10 MB: files stay small

// Music-like stereo: loud pieces of 40 blocks with 2.5 s quiet gaps, so that
// trigger mode finds starts and ends now and then.
std::vector<std::uint8_t> Signal(int blocks) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(blocks) * 16384);
    std::uint32_t x = 12345;
    for (std::size_t f = 0; f < out.size() / 4; ++f) {
        const std::size_t block = f / 4096;
        const bool quiet = block % 67 >= 40;
        for (int c = 0; c < 2; ++c) {
            x = x * 1664525U + 1013904223U;
            const int v = quiet ? static_cast<int>(x >> 29U) : static_cast<int>((x >> 16U) % 20000U) - 10000;
            const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
            out[f * 4 + static_cast<std::size_t>(c) * 2] = static_cast<std::uint8_t>(u & 0xFFU);
            out[f * 4 + static_cast<std::size_t>(c) * 2 + 1] = static_cast<std::uint8_t>(u >> 8U);
        }
    }
    return out;
}

int PeakOf(const TMemoryStream& data) {
    int peak = 0;
    const std::uint8_t* p = data.Data();
    for (std::int64_t i = 0; i + 1 < data.Size(); i += 2) {
        const auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[i] | (p[i + 1] << 8U)));
        peak = std::max(peak, v < 0 ? -static_cast<int>(v) : static_cast<int>(v));
    }
    return peak;
}

// The capture thread's side of the splitter, writing real files.
class FileOwner final : public SplitterOwner {
public:
    explicit FileOwner(std::string folder) : folder_(std::move(folder)) { Open(); }
    ~FileOwner() override { (void)writer_.CloseOutput(); }
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override { writer_.Append(bytes, count); }
    bool CutTrack() override {
        (void)writer_.CloseOutput();
        (void)fs::remove(writer_.FileName());
        Open();
        return true;
    }
    void TrackTriggered(std::int64_t /*preRollFrames*/) override {}
    std::int64_t CurrentTrackSize() override { return writer_.CurrentSize(); }

private:
    void Open() { writer_.OpenOutput(folder_ + "/t" + std::to_string(++n_) + ".wav", 2, 44100, false); }
    std::string folder_;
    TrackFileWriter writer_;
    int n_ = 0;
};

void Report(benchmark::State& state, std::chrono::steady_clock::duration spent, std::int64_t blocks) {
    const double perBlock = std::chrono::duration<double>(spent).count() / static_cast<double>(blocks);
    state.counters["percent_of_block"] = perBlock / kBlockSeconds * 100.0;
    state.counters["us_per_block"] = perBlock * 1e6;
    state.SetBytesProcessed(blocks * 16384);
}

void BM_CaptureBlockDirect(benchmark::State& state) {
    const bool trigger = state.range(0) != 0;
    const std::string folder = bench::MakeBenchDir();
    const auto signal = Signal(67 * 3);
    const int blocks = static_cast<int>(signal.size() / 16384);
    RecordingUserMessages quiet;
    {
        FileOwner owner(folder);
        TriggerSplitter splitter(owner, &quiet);
        splitter.Conditions().Channels = 2;
        splitter.Conditions().UseTrigger = trigger;
        splitter.SetTriggerDelay(0.1);
        splitter.SetTrackInterval(0.5);
        splitter.SetLastTimeAfterTrigger(0.2);
        splitter.Start();
        TMemoryStream levels[2];
        std::vector<std::uint8_t> device(16384);
        std::int64_t done = 0;
        int peak = 0;
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state) {
            const auto* block = signal.data() + static_cast<std::size_t>(done % blocks) * 16384;
            std::copy_n(block, 16384, device.data());  // the device filling its buffer
            TMemoryStream& level = levels[done % 2];
            level.Clear();
            level.Append(device.data(), 16384);
            peak = std::max(peak, PeakOf(level));
            splitter.ProcessBlock(device.data(), 16384);
            ++done;
            if (!trigger && done % kBlocksPerFile == 0) {
                (void)owner.CutTrack();
            }
        }
        Report(state, std::chrono::steady_clock::now() - start, done);
        benchmark::DoNotOptimize(peak);
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_CaptureBlockDirect)->Arg(0)->Arg(1)->ArgName("trigger")->Unit(benchmark::kMicrosecond);

void BM_CaptureBlockThread(benchmark::State& state) {
    const std::string folder = bench::MakeBenchDir();
    const auto signal = Signal(67);
    QueuedDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    RecordingUserMessages quiet;
    std::int64_t levelBlocks = 0;
    {
        auto input = std::make_unique<FakeSoundInput>();
        FakeSoundInput* fake = input.get();
        TWaveInThread recorder(std::move(input), &quiet);
        const TWaveInMessages m = recorder.Messages();
        DispatchedNotifyWindow window(dispatcher, [](const Message&) {});
        recorder.SetNotifyWindow(&window);
        recorder.SetBaseFileName(folder + "/Take.wav");
        recorder.SetChannels(2);
        recorder.SetTriggerDelay(0.1);
        recorder.SetTrackInterval(0.5);
        recorder.SetLastTimeAfterTrigger(0.2);
        recorder.SetStopDrainTime(std::chrono::milliseconds(10));
        recorder.SetOnLevelData([&](Thread*, TMemoryStream& data) { levelBlocks += PeakOf(data) >= 0 ? 1 : 0; });
        recorder.Resume();
        recorder.Queue().Post(m.start);
        (void)dispatcher.PumpUntil([&] { return !recorder.Idle(); }, std::chrono::seconds(10));
        std::int64_t done = 0;
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state) {
            fake->Feed(std::vector<std::uint8_t>(signal.begin() + (done % 67) * 16384,
                                                 signal.begin() + (done % 67 + 1) * 16384));
            (void)fake->Deliver();
            // Done when the block is back in the device's queue; the main
            // thread runs the level hand-over as soon as it is asked to.
            while (fake->QueuedCount() != 2) {
                if (dispatcher.ProcessPending() == 0) {
                    std::this_thread::yield();
                }
            }
            ++done;
        }
        Report(state, std::chrono::steady_clock::now() - start, done);
        recorder.Queue().Post(m.stop);
        (void)dispatcher.PumpUntil([&] { return recorder.Idle(); }, std::chrono::seconds(10));
        recorder.Queue().Post(m.quit);
        recorder.WaitFor();
    }
    SetMainThreadDispatcher(nullptr);
    benchmark::DoNotOptimize(levelBlocks);
    fs::remove_all(folder);
}
// A fixed count keeps the files written small (2000 blocks: 33 MB).
BENCHMARK(BM_CaptureBlockThread)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
