// How well the gap finder cuts synthetic record sides (GapSide.h): per
// background, the share of tracks found whole and the extra pieces, in gap
// mode with nothing set, with the track count, with the track times (each
// rounded to the second) and played live.
//
//   gap_accuracy [SIDES [FIRST_SEED]]      (default 120 sides from seed 1)
//
// Sides are made, cut and scored one at a time, in memory.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "GapSide.h"
#include "jobs/CuttingSettings.h"
#include "record/GapFinder.h"

namespace {

using zolvane2::GapEvent;
using zolvane2::GapFinder;
using zolvane2::GapPiece;
using zolvane2::GapSettings;
using namespace zolvane2::bench;

using Seconds = std::vector<std::pair<double, double>>;

Seconds ToSeconds(const std::vector<GapPiece>& pieces) {
    Seconds s;
    for (const GapPiece& p : pieces) {
        s.emplace_back(static_cast<double>(p.startFrame) / Side::kRate, static_cast<double>(p.endFrame) / Side::kRate);
    }
    return s;
}

// The cutting page's defaults: 0.1 s ahead, 1 s after.
GapSettings Defaults() {
    return zolvane2::CuttingSettings().Gaps(Side::kRate);
}

Seconds Live(const Side& side) {
    GapFinder finder(Side::kRate, 2, Defaults(), GapFinder::Use::Live);
    std::vector<GapPiece> pieces;
    const auto take = [&] {
        for (const GapEvent& e : finder.TakeEvents()) {
            if (e.kind == GapEvent::Kind::PieceStart) {
                pieces.push_back({e.frame, e.frame});
            } else if (!pieces.empty()) {
                pieces.back().endFrame = e.frame;
            }
        }
    };
    constexpr std::int64_t kBlock = 4096;
    for (std::int64_t f = 0; f < side.Frames(); f += kBlock) {
        finder.Feed(side.samples.data() + f * 2, std::min(kBlock, side.Frames() - f));
        take();
    }
    finder.Finish();
    take();
    return ToSeconds(pieces);
}

struct Tally {
    int tracks = 0;
    int found = 0;
    int extra = 0;
    int sidesWithExtra = 0;
    void Add(const Score& s) {
        tracks += s.tracks;
        found += s.found;
        extra += s.extra;
        sidesWithExtra += s.extra > 0 ? 1 : 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int sides = argc > 1 ? std::atoi(argv[1]) : 120;
    const int firstSeed = argc > 2 ? std::atoi(argv[2]) : 1;
    const std::vector<std::string> ways{"gaps", "--tracks", "--times", "live"};
    std::map<std::string, std::map<std::string, Tally>> table;
    for (int i = 0; i < sides; ++i) {
        const auto seed = static_cast<std::uint32_t>(firstSeed + i);
        const auto background = static_cast<Background>(i % 4);
        SideMaker maker(seed);
        const Side side = maker.Make(background);
        GapFinder finder(Side::kRate, 2, Defaults());
        finder.Feed(side.samples.data(), side.Frames());
        finder.Finish();
        std::vector<double> times;
        for (const TrackTruth& t : side.tracks) {
            times.push_back(static_cast<double>(std::llround(static_cast<double>(t.LastMs() - t.FirstMs()) / 1000.0)));
        }
        const std::map<std::string, Seconds> results{
            {"gaps", ToSeconds(finder.Pieces())},
            {"--tracks", ToSeconds(finder.ForCount(static_cast<std::int32_t>(side.tracks.size())).pieces)},
            {"--times", ToSeconds(finder.ForDurations(times, GapSettings::kDefaultSnapRangeSeconds).pieces)},
            {"live", Live(side)},
        };
        for (const auto& [way, pieces] : results) {
            const Score s = ScorePieces(side, pieces);
            table[way][BackgroundName(background)].Add(s);
            table[way]["all"].Add(s);
            if (std::getenv("GAP_VERBOSE") != nullptr && (s.found < s.tracks || s.extra > 0)) {
                std::printf("seed %u %s %s: %d/%d found, %d pieces (floor %.1f dB, threshold %.1f dB)\n", seed,
                            BackgroundName(background), way.c_str(), s.found, s.tracks, s.pieces, finder.FloorDb(),
                            finder.ThresholdDb());
                for (const TrackTruth& t : side.tracks) {
                    std::printf("  track %.3f-%.3f\n", static_cast<double>(t.FirstMs()) / 1000,
                                static_cast<double>(t.LastMs()) / 1000);
                }
                for (const auto& [a, b] : pieces) {
                    std::printf("  piece %.3f-%.3f\n", a, b);
                }
            }
        }
    }
    std::printf("| way | background | tracks | found | extra pieces | sides with extra |\n|---|---|---|---|---|---|\n");
    for (const std::string& way : ways) {
        for (const char* b : {"digital", "tape", "vinyl", "worn", "all"}) {
            const Tally& t = table[way][b];
            std::printf("| %s | %s | %d | %.1f %% | %d | %d |\n", way.c_str(), b, t.tracks,
                        t.tracks > 0 ? 100.0 * t.found / t.tracks : 0.0, t.extra, t.sidesWithExtra);
        }
    }
    return 0;
}
