// FLAC output against the reference encoder, and the cost of live FLAC.
//   - `flac -5` encoding the benchmark album (BenchAlbum.h), then
//     `zolvane2-cli split --format flac ALBUM` (re-divide by trigger with the
//     default settings into twelve FLAC pieces at level 5), each process
//     timed from its start to its exit, alternating, dirty pages written out
//     before every run; prints every pair and the median ratio (target 1.1).
//   - the processor time FlacEncoder takes for a minute of 96 kHz stereo
//     audio as a share of one core over that minute (target < 3 %).
//
//   bench_flac [--cli PATH] [--pairs N]   (N default 5)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "BenchAlbum.h"
#include "BenchProcess.h"
#include "trackfile/FlacEncoder.h"
#include "trackfile/TMemoryStream.h"

namespace zolvane2::bench {
namespace {

namespace fs = std::filesystem;

// A process's wall time, with dirty pages written out first so that it does
// not pay for the run before it.
double WallOf(const std::vector<std::string>& args) {
    ::sync();
    return Spawn(args).wall;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double CpuSeconds() {
    rusage usage{};
    (void)::getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A minute of 96 kHz stereo music-like audio (a tone with a little noise),
// fed in the recorder's 16,384-byte blocks.
void LiveCost() {
    constexpr int kLiveRate = 96000;
    constexpr int kSeconds = 60;
    std::vector<std::uint8_t> block(16384);
    Noise noise;
    TMemoryStream out;
    FlacEncoder encoder(out, 2, kLiveRate, FlacSettings{}, TrackTags{});
    const std::int64_t total = std::int64_t{kLiveRate} * kSeconds * 4;
    std::int64_t frame = 0;
    double cpu = 0;
    for (std::int64_t done = 0; done < total; done += static_cast<std::int64_t>(block.size())) {
        for (std::size_t i = 0; i < block.size(); i += 4, ++frame) {
            const int tone = static_cast<int>(((frame * 3) % 437) * 60) - 13000 + noise.Next(200);
            for (std::size_t c = 0; c < 2; ++c) {
                block[i + 2 * c] = static_cast<std::uint8_t>(tone & 0xFF);
                block[i + 2 * c + 1] = static_cast<std::uint8_t>((tone >> 8) & 0xFF);
            }
        }
        const double before = CpuSeconds();
        encoder.Encode(block.data(), static_cast<std::int64_t>(block.size()));
        cpu += CpuSeconds() - before;
    }
    encoder.Finish();
    std::printf(
        "live FLAC, 96 kHz stereo, level 5: %.3f s of processor time for %d s of audio = %.2f %% of a core "
        "(target < 3 %%), %.1f %% of the WAVE size\n",
        cpu, kSeconds, 100.0 * cpu / kSeconds, 100.0 * static_cast<double>(out.GetSize64()) / total);
}

}  // namespace
}  // namespace zolvane2::bench

int main(int argc, char** argv) {
    using namespace zolvane2::bench;
    std::string cli = (fs::path(argv[0]).parent_path() / "zolvane2-cli").string();
    int pairs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--cli") {
            cli = argv[i + 1];
        } else if (opt == "--pairs") {
            pairs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    LiveCost();
    const std::string dir = MakeBenchDir();
    const std::string album = dir + "/Album.wav";
    (void)MakeAlbum(album);
    std::vector<double> ratios;
    for (int p = 0; p < pairs; ++p) {
        const double reference = WallOf({"flac", "-5", "-s", "-f", "-o", dir + "/reference.flac", album});
        const double ours = WallOf({cli, "split", "--format", "flac", album});
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.path().filename().string().rfind("Album-", 0) == 0) {
                fs::remove(e.path());
            }
        }
        ratios.push_back(ours / reference);
        std::printf("pair %d: flac -5 %.2f s, split --format flac %.2f s, ratio %.3f\n", p + 1, reference, ours,
                    ours / reference);
    }
    std::printf("re-divide into FLAC / flac -5: median %.3f (target <= 1.1)\n", Median(ratios));
    fs::remove_all(dir);
    return 0;
}
