// Re-divide and combine against dd: a 55-minute 44.1 kHz stereo WAVE (about
// 580 MB) of twelve loud pieces separated by 4-second quiet gaps, written with
// the program's own track-file writer into a temporary folder (removed at the
// end; ZOLVANE2_BENCH_DIR chooses its parent), is
//   - copied by `dd bs=409600`, the yardstick;
//   - re-divided by trigger with the default cutting settings (12 pieces);
//   - the twelve pieces combined again into one file;
// each with a warm page cache. The summary gives the ratios to dd's time and
// the peak memory of a re-divide run in a process of its own.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "BenchAlbum.h"
#include "jobs/TCombineThread.h"
#include "jobs/TCutThread.h"
#include "platform/QueuedDispatcher.h"
#include "platform/Thread.h"
#include "trackfile/TrackFileWriter.h"

namespace {

using namespace zolvane2;
using namespace zolvane2::bench;
namespace fs = std::filesystem;

struct Setup {
    std::string dir;
    std::string source;
    std::int64_t dataBytes = 0;
    std::vector<std::string> pieces;  // from one re-divide run
    double cutRatio = 0;
    double combineRatio = 0;
    double bestDd = 1e9;
    double bestCut = 1e9;
    double bestCombine = 1e9;
};

Setup& Bench() {
    static Setup s;
    return s;
}

void MakeSource(Setup& s) {
    s.dir = MakeBenchDir();
    s.source = s.dir + "/Source.wav";
    s.dataBytes = MakeAlbum(s.source);
}

void RemoveAllBut(const Setup& s, const std::vector<std::string>& keep) {
    for (const auto& entry : fs::directory_iterator(s.dir)) {
        const std::string p = entry.path().string();
        if (p != s.source && std::find(keep.begin(), keep.end(), p) == keep.end()) {
            fs::remove(p);
        }
    }
}

// Runs a configured job to its end the way the tools do: the job reports
// progress and pieces through the main-thread dispatcher, which this thread
// pumps meanwhile.
template <typename Job>
void RunToEnd(Job& job) {
    std::atomic<bool> finished{false};
    job.SetOnTerminate([&finished] { finished.store(true); });
    job.Resume();
    MainThreadDispatcher* d = GetMainThreadDispatcher();
    while (!finished.load()) {
        d->Pump(std::chrono::milliseconds(50));
    }
    job.WaitFor();
    if (!job.ErrorMessage().empty()) {
        std::fprintf(stderr, "job failed: %s\n", job.ErrorMessage().c_str());
        std::exit(1);
    }
}

// One re-divide of the source by trigger with the settings' defaults; the
// pieces it kept.
std::vector<std::string> Redivide(const Setup& s) {
    std::vector<std::string> pieces;
    TCutThread job;
    job.SetFileNames({s.source});
    job.SetDataOffsets(0, 44);
    job.SetDataLengths(0, s.dataBytes);
    job.SetSampleRates(0, kRate);
    job.SetChannelCounts(0, 2);
    job.SetTotalBytes(s.dataBytes);
    job.SetTriggerLevel(300);
    job.SetTriggerDelay(0.1);
    job.SetTrackInterval(3.0);
    job.SetLastTimeAfterTrigger(1.0);
    job.SetDigits(5);
    std::int32_t lastPercent = -1;
    job.SetOnProgress([&lastPercent](Thread&, std::int32_t percent) { lastPercent = percent; });
    job.SetOnFileFinished([&pieces](const std::string& p) { pieces.push_back(p); });
    RunToEnd(job);
    return pieces;
}

void Combine(const Setup& s, const std::string& out) {
    TCombineThread job;
    job.SetFileNames(s.pieces);
    std::int64_t total = 0;
    for (std::size_t i = 0; i < s.pieces.size(); ++i) {
        const auto length = static_cast<std::int64_t>(fs::file_size(s.pieces[i])) - 44;
        job.SetDataOffsets(i, 44);
        job.SetDataLengths(i, length);
        total += length;
    }
    job.SetTotalBytes(total);
    job.SetOutputFileName(out);
    job.SetSampleRate(kRate);
    job.SetChannels(2);
    std::int32_t lastPercent = -1;
    job.SetOnProgress([&lastPercent](Thread&, std::int32_t percent) { lastPercent = percent; });
    job.SetOnFileFinished([](const std::string&) {});
    RunToEnd(job);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Writes dirty pages out, so that every run starts from a clean, warm cache
// instead of paying for the previous run's writeback.
void Settle() {
    ::sync();
}

// dd copying the source, as the yardstick; its copy is removed.
double DdSeconds(const Setup& s) {
    Settle();
    const std::string copy = s.dir + "/copy.wav";
    const std::string command = "dd if='" + s.source + "' of='" + copy + "' bs=409600 status=none";
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fputs("dd failed\n", stderr);
        std::exit(1);
    }
    const double t = Seconds(std::chrono::steady_clock::now() - t0);
    fs::remove(copy);
    Settle();
    Bench().bestDd = std::min(Bench().bestDd, t);
    return t;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_DdCopy(benchmark::State& state) {
    Setup& s = Bench();
    for (auto _ : state) {
        state.SetIterationTime(DdSeconds(s));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * s.dataBytes);
}
BENCHMARK(BM_DdCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

// Each iteration times dd right before the job, so that both see the same
// machine load; the ratio reported is the median of the iterations'.
void BM_RedivideByTrigger(benchmark::State& state) {
    Setup& s = Bench();
    std::vector<double> ratios;
    for (auto _ : state) {
        state.PauseTiming();
        RemoveAllBut(s, {});
        const double dd = DdSeconds(s);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        s.pieces = Redivide(s);
        const double t = Seconds(std::chrono::steady_clock::now() - t0);
        state.SetIterationTime(t);
        s.bestCut = std::min(s.bestCut, t);
        ratios.push_back(t / dd);
    }
    s.cutRatio = Median(ratios);
    state.counters["pieces"] = static_cast<double>(s.pieces.size());
    state.counters["ratio_to_dd"] = s.cutRatio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * s.dataBytes);
}
BENCHMARK(BM_RedivideByTrigger)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_CombineTwelvePieces(benchmark::State& state) {
    Setup& s = Bench();
    const std::string out = s.dir + "/Combined.wav";
    std::vector<double> ratios;
    for (auto _ : state) {
        state.PauseTiming();
        const double dd = DdSeconds(s);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        Combine(s, out);
        const double t = Seconds(std::chrono::steady_clock::now() - t0);
        state.SetIterationTime(t);
        s.bestCombine = std::min(s.bestCombine, t);
        ratios.push_back(t / dd);
        fs::remove(out);
    }
    s.combineRatio = Median(ratios);
    state.counters["ratio_to_dd"] = s.combineRatio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * s.dataBytes);
}
BENCHMARK(BM_CombineTwelvePieces)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

// Peak resident memory of a re-divide run in a child process of its own, in
// bytes; the child starts from this small process.
long PeakRedivideMemory(const Setup& s) {
    RemoveAllBut(s, {});
    struct rusage before {};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto pieces = Redivide(s);
        ::_exit(pieces.size() == kPieces ? 0 : 3);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "re-divide in the child failed (status %d)\n", status);
    }
    return usage.ru_maxrss * 1024L;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QueuedDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    Setup& s = Bench();
    MakeSource(s);
    std::printf("source: %s, %lld data bytes\n", s.source.c_str(), static_cast<long long>(s.dataBytes));
    // Warm the page cache with the source; a cold cache only makes the first run slower.
    [[maybe_unused]] const int warmed = std::system(("cat '" + s.source + "' > /dev/null").c_str());
    const long peak = PeakRedivideMemory(s);
    s.pieces = Redivide(s);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nmedian of runs, each against dd right before it:\n");
    std::printf("re-divide / dd = %.2f (target <= 1.15) %s\n", s.cutRatio, s.cutRatio <= 1.15 ? "ok" : "MISSED");
    std::printf("combine / dd   = %.2f (target <= 0.9) %s\n", s.combineRatio, s.combineRatio <= 0.9 ? "ok" : "MISSED");
    std::printf("best times: dd %.0f ms, re-divide %.0f ms (%.2f x dd), combine %.0f ms (%.2f x dd)\n", s.bestDd * 1000,
                s.bestCut * 1000, s.bestCut / s.bestDd, s.bestCombine * 1000, s.bestCombine / s.bestDd);
    std::printf("re-divide peak memory = %.1f MB (target < 32 MB) %s\n", static_cast<double>(peak) / 1048576.0,
                peak < 32L * 1048576 ? "ok" : "MISSED");
    std::error_code ec;
    if (std::getenv("ZOLVANE2_BENCH_KEEP") == nullptr) {
        fs::remove_all(s.dir, ec);
    }
    ThreadRegistry::JoinAll();
    dispatcher.Shutdown();
    SetMainThreadDispatcher(nullptr);
    return 0;
}
