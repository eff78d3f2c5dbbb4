// Re-divide and join as whole processes against dd: the benchmark album
// (BenchAlbum.h) in a temporary folder, kept in the page cache, and pairs of
//   - `dd bs=409600` copying the album, then `zolvane2-cli split ALBUM`
//     (re-divide by trigger with the default settings, twelve pieces);
//   - `dd` again, then `zolvane2-cli join -o OUT` of those twelve pieces;
// each process timed from its start to its exit, with dirty pages written out
// (sync) before every run, so that no run pays for the one before it.
// Prints every pair, the medians of the ratios with their spread, and the
// peak resident memory of the zolvane2-cli processes.
//
//   bench_jobs_process [--cli PATH] [--pairs N]   measure (N default 9)
//   bench_jobs_process --album PATH               only write the album
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchAlbum.h"
#include "BenchProcess.h"

namespace {

namespace fs = std::filesystem;
using namespace zolvane2::bench;

Run Dd(const std::string& source, const std::string& copy) {
    ::sync();
    const Run r = Spawn({"dd", "if=" + source, "of=" + copy, "bs=409600", "status=none"});
    fs::remove(copy);
    ::sync();
    return r;
}

std::vector<std::string> Pieces(const std::string& dir) {
    std::vector<std::string> pieces;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().rfind("Album-", 0) == 0) {
            pieces.push_back(e.path().string());
        }
    }
    std::sort(pieces.begin(), pieces.end());
    return pieces;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// The wall-clock ratios decide; the processor-time ratios (user + system)
// show how much of the spread the machine's other load adds.
void Summary(const char* what, const std::vector<double>& ratios, const std::vector<double>& cpuRatios,
             const std::vector<double>& times, double target) {
    const double m = Median(ratios);
    std::printf(
        "%-10s / dd: median %.2f (%.2f-%.2f over %zu pairs), median %.0f ms, processor time %.2f x; "
        "target <= %.2f %s\n",
        what, m, *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
        ratios.size(), Median(times) * 1000, Median(cpuRatios), target, m <= target ? "ok" : "MISSED");
}

double Cpu(const Run& r) {
    return r.user + r.sys;
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli = (fs::path(argv[0]).parent_path() / "zolvane2-cli").string();
    int pairs = 9;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--cli") {
            cli = argv[i + 1];
        } else if (opt == "--pairs") {
            pairs = std::max(1, std::atoi(argv[i + 1]));
        } else if (opt == "--album") {
            MakeAlbum(argv[i + 1]);
            return 0;
        }
    }
    const std::string dir = MakeBenchDir();
    const std::string album = dir + "/Album.wav";
    const std::string copy = dir + "/copy.wav";
    const std::string joined = dir + "/Joined.wav";
    MakeAlbum(album);
    // Into the page cache.
    (void)Spawn({"cat", album});
    std::printf("album %s, %lld bytes; %s\n", album.c_str(), static_cast<long long>(fs::file_size(album)), cli.c_str());
    std::vector<double> splitRatios, joinRatios, splitCpu, joinCpu, splitTimes, joinTimes;
    long peakKb = 0;
    for (int p = 0; p < pairs; ++p) {
        const Run dd1 = Dd(album, copy);
        const Run split = Spawn({cli, "split", album});
        const std::vector<std::string> pieces = Pieces(dir);
        if (pieces.size() != static_cast<std::size_t>(kPieces)) {
            std::fprintf(stderr, "split gave %zu pieces\n", pieces.size());
            return 1;
        }
        const Run dd2 = Dd(album, copy);
        std::vector<std::string> joinArgs{cli, "join", "-o", joined};
        joinArgs.insert(joinArgs.end(), pieces.begin(), pieces.end());
        const Run join = Spawn(joinArgs);
        for (const auto& piece : pieces) {
            fs::remove(piece);
        }
        fs::remove(joined);
        splitRatios.push_back(split.wall / dd1.wall);
        joinRatios.push_back(join.wall / dd2.wall);
        splitCpu.push_back(Cpu(split) / std::max(Cpu(dd1), 1e-3));
        joinCpu.push_back(Cpu(join) / std::max(Cpu(dd2), 1e-3));
        splitTimes.push_back(split.wall);
        joinTimes.push_back(join.wall);
        peakKb = std::max({peakKb, split.maxRssKb, join.maxRssKb});
        std::printf(
            "pair %d: dd %.0f ms (user %.2f s, sys %.2f s), split %.0f ms (user %.2f s, sys %.2f s) = %.2f x; "
            "dd %.0f ms, join %.0f ms (user %.2f s, sys %.2f s) = %.2f x\n",
            p + 1, dd1.wall * 1000, dd1.user, dd1.sys, split.wall * 1000, split.user, split.sys, splitRatios.back(),
            dd2.wall * 1000, join.wall * 1000, join.user, join.sys, joinRatios.back());
        std::fflush(stdout);
    }
    Summary("re-divide", splitRatios, splitCpu, splitTimes, 1.15);
    Summary("join", joinRatios, joinCpu, joinTimes, 0.9);
    std::printf("peak resident memory of a zolvane2-cli run: %.1f MB (target < 32 MB) %s\n",
                static_cast<double>(peakKb) / 1024.0, peakKb < 32L * 1024 ? "ok" : "MISSED");
    fs::remove_all(dir);
    return 0;
}
