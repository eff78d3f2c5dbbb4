// The C++ half of bench/gap_peers.sh: writes a synthetic side (GapSide.h) to
// disk with its truth, cuts it with the gap finder in memory, finds where the
// pieces another splitter wrote lie in the side, scores every splitter's
// pieces with GapSide.h's scorer and prints the table.
//
//   gap_peers make SEED DIR        DIR/side.wav, DIR/truth.txt, DIR/pieces/ours*.txt;
//                                  prints the track count and the track times
//   gap_peers locate SIDE OUT PIECE.wav...   where each piece's audio lies in SIDE
//   gap_peers score DIR TALLY      appends a line per DIR/pieces/*.txt to TALLY
//   gap_peers table TALLY          the table: defaults and best setting
//
// A piece list (DIR/pieces/SPLITTER~SETTING.txt) holds one piece a line,
// "START END" in seconds. Sides are made from their seed alone, so a run can
// be repeated piece by piece.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "GapSide.h"
#include "jobs/CuttingSettings.h"
#include "record/GapFinder.h"

namespace {

namespace fs = std::filesystem;
using zolvane2::GapFinder;
using zolvane2::GapPiece;
using zolvane2::GapSettings;
using namespace zolvane2::bench;

using Seconds = std::vector<std::pair<double, double>>;

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "gap_peers: " << what << "\n";
    std::exit(1);
}

void PutLe(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((v >> (8 * i)) & 0xFFU));
    }
}

void WriteWave(const fs::path& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary);
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLe(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, 2, 2);
    PutLe(out, Side::kRate, 4);
    PutLe(out, Side::kRate * 4, 4);
    PutLe(out, 4, 2);
    PutLe(out, 16, 2);
    out.write("data", 4);
    PutLe(out, bytes, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(bytes));
    if (!out) {
        Fail("cannot write " + path.string() + ": " + std::strerror(errno));
    }
}

// The samples of a 16-bit WAVE file's data chunk, whatever chunks lie ahead.
std::vector<std::int16_t> ReadWave(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail("cannot open " + path.string() + ": " + std::strerror(errno));
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        }
        return v;
    };
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = le32(at + 4);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const std::size_t n = std::min<std::size_t>(size, bytes.size() - at - 8) / 2;
            std::vector<std::int16_t> samples(n);
            std::memcpy(samples.data(), &bytes[at + 8], n * 2);
            return samples;
        }
        at += 8 + size + (size & 1U);
    }
    Fail(path.string() + ": no data chunk");
}

void WritePieces(const fs::path& path, const Seconds& pieces) {
    std::ofstream out(path);
    out.precision(10);
    for (const auto& [a, b] : pieces) {
        out << a << ' ' << b << '\n';
    }
}

Seconds ToSeconds(const std::vector<GapPiece>& pieces) {
    Seconds s;
    for (const GapPiece& p : pieces) {
        s.emplace_back(static_cast<double>(p.startFrame) / Side::kRate, static_cast<double>(p.endFrame) / Side::kRate);
    }
    return s;
}

Side MakeSide(std::uint32_t seed) {
    SideMaker maker(seed);
    // The same sides as gap_accuracy's from seed 1.
    return maker.Make(static_cast<Background>((seed + 3) % 4));
}

// The finder as gap mode would run it: the cutting page's delay and tail,
// then a small grid of its two settings.
void Ours(const Side& side, const fs::path& dir, const std::vector<double>& times) {
    const auto run = [&](double sensitivityDb, double minimumGapSeconds, const std::string& setting) {
        GapSettings g;
        g.delayFrames = Side::kRate / 10;
        g.tailFrames = Side::kRate;
        g.sensitivityDb = sensitivityDb;
        g.minimumGapSeconds = minimumGapSeconds;
        GapFinder finder(Side::kRate, 2, g);
        finder.Feed(side.samples.data(), side.Frames());
        finder.Finish();
        WritePieces(dir / ("ours~" + setting + ".txt"), ToSeconds(finder.Pieces()));
        WritePieces(dir / ("ours-tracks~" + setting + ".txt"),
                    ToSeconds(finder.ForCount(static_cast<std::int32_t>(side.tracks.size())).pieces));
        WritePieces(dir / ("ours-times~" + setting + ".txt"),
                    ToSeconds(finder.ForDurations(times, GapSettings::kDefaultSnapRangeSeconds).pieces));
    };
    const GapSettings defaults = zolvane2::CuttingSettings().Gaps(Side::kRate);
    run(defaults.sensitivityDb, defaults.minimumGapSeconds, "default");
    for (const double db : {3.0, 12.0}) {
        for (const double gap : {0.5, 1.5}) {
            std::ostringstream name;
            name << "sens" << db << "_gap" << gap;
            run(db, gap, name.str());
        }
    }
}

int Make(std::uint32_t seed, const fs::path& dir) {
    const Side side = MakeSide(seed);
    fs::create_directories(dir / "pieces");
    WriteWave(dir / "side.wav", side.samples);
    std::ofstream truth(dir / "truth.txt");
    truth << BackgroundName(side.background) << '\n';
    std::vector<double> times;
    for (const TrackTruth& t : side.tracks) {
        for (const auto& [a, b] : t.soundMs) {
            truth << a << ' ' << b << ' ';
        }
        truth << '\n';
        times.push_back(static_cast<double>(std::llround(static_cast<double>(t.LastMs() - t.FirstMs()) / 1000.0)));
    }
    Ours(side, dir / "pieces", times);
    std::printf("%zu", side.tracks.size());
    for (const double t : times) {
        std::printf(" %.0f", t);
    }
    std::printf("\n");
    return 0;
}

// Each piece's audio is copied unchanged from the side, in order: find it
// after the end of the one before.
int Locate(const fs::path& sidePath, const fs::path& out, const std::vector<fs::path>& pieces) {
    const std::vector<std::int16_t> side = ReadWave(sidePath);
    Seconds found;
    std::size_t cursor = 0;
    for (const fs::path& p : pieces) {
        const std::vector<std::int16_t> piece = ReadWave(p);
        if (piece.size() < 2) {
            continue;
        }
        const std::size_t key = std::min<std::size_t>(piece.size(), 1024);
        const auto at = std::search(side.begin() + static_cast<std::ptrdiff_t>(cursor), side.end(),
                                    std::boyer_moore_horspool_searcher(piece.begin(), piece.begin() + key));
        if (at == side.end()) {
            Fail(p.string() + ": its audio is not in " + sidePath.string());
        }
        const auto from = static_cast<std::size_t>(at - side.begin());
        cursor = from + piece.size();
        found.emplace_back(static_cast<double>(from / 2) / Side::kRate, static_cast<double>(cursor / 2) / Side::kRate);
    }
    WritePieces(out, found);
    return 0;
}

Side ReadTruth(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    Side side;
    std::getline(in, line);
    for (const Background b : {Background::Digital, Background::Tape, Background::Vinyl, Background::Worn}) {
        if (line == BackgroundName(b)) {
            side.background = b;
        }
    }
    while (std::getline(in, line)) {
        std::istringstream runs(line);
        TrackTruth t;
        std::int64_t a = 0;
        std::int64_t b = 0;
        while (runs >> a >> b) {
            t.soundMs.emplace_back(a, b);
        }
        if (!t.soundMs.empty()) {
            side.tracks.push_back(t);
        }
    }
    if (side.tracks.empty()) {
        Fail(path.string() + ": no tracks");
    }
    return side;
}

int ScoreAll(const fs::path& dir, const fs::path& tally) {
    const Side side = ReadTruth(dir / "truth.txt");
    std::ofstream out(tally, std::ios::app);
    std::vector<fs::path> lists;
    for (const auto& e : fs::directory_iterator(dir / "pieces")) {
        lists.push_back(e.path());
    }
    std::sort(lists.begin(), lists.end());
    for (const fs::path& p : lists) {
        std::ifstream in(p);
        Seconds pieces;
        double a = 0;
        double b = 0;
        while (in >> a >> b) {
            if (b > a) {
                pieces.emplace_back(a, b);
            }
        }
        const std::string name = p.stem().string();
        const auto tilde = name.find('~');
        const Score s = ScorePieces(side, pieces);
        out << name.substr(0, tilde) << ' ' << (tilde == std::string::npos ? "default" : name.substr(tilde + 1)) << ' '
            << BackgroundName(side.background) << ' ' << s.tracks << ' ' << s.found << ' ' << s.extra << '\n';
    }
    return 0;
}

struct Tally {
    int tracks = 0;
    int found = 0;
    int extra = 0;
    int sidesWithExtra = 0;
};

int Table(const fs::path& path) {
    // splitter → setting → background → tally
    std::map<std::string, std::map<std::string, std::map<std::string, Tally>>> all;
    std::ifstream in(path);
    std::string splitter;
    std::string setting;
    std::string background;
    Tally one;
    int sides = 0;
    while (in >> splitter >> setting >> background >> one.tracks >> one.found >> one.extra) {
        for (const std::string& b : {background, std::string("all")}) {
            Tally& t = all[splitter][setting][b];
            t.tracks += one.tracks;
            t.found += one.found;
            t.extra += one.extra;
            t.sidesWithExtra += one.extra > 0 ? 1 : 0;
        }
        sides += splitter == "ours" && setting == "default" ? 1 : 0;
    }
    const auto& counts = all["ours"]["default"];
    std::printf("%d sides\n\n| splitter | setting |", sides);
    for (const char* b : {"digital", "tape", "vinyl", "worn", "all"}) {
        const auto it = counts.find(b);
        std::printf(" %s (%d) |", b, it == counts.end() ? 0 : it->second.tracks);
    }
    std::printf(" extra pieces (sides) |\n|---|---|---|---|---|---|---|---|\n");
    const auto row = [](const std::string& name, const std::string& label,
                        const std::map<std::string, Tally>& byBackground) {
        std::printf("| %s | %s |", name.c_str(), label.c_str());
        for (const char* b : {"digital", "tape", "vinyl", "worn", "all"}) {
            const auto it = byBackground.find(b);
            const Tally t = it == byBackground.end() ? Tally{} : it->second;
            std::printf(" %.1f %% |", t.tracks > 0 ? 100.0 * t.found / t.tracks : 0.0);
        }
        const Tally& t = byBackground.at("all");
        std::printf(" %d (%d) |\n", t.extra, t.sidesWithExtra);
    };
    for (const auto& [name, settings] : all) {
        if (const auto d = settings.find("default"); d != settings.end()) {
            row(name, "defaults", d->second);
        }
        // The best single setting: most tracks found, then fewest extra pieces.
        const std::string* best = nullptr;
        for (const auto& [s, byBackground] : settings) {
            const Tally& t = byBackground.at("all");
            if (best == nullptr) {
                best = &s;
                continue;
            }
            const Tally& b = settings.at(*best).at("all");
            if (t.found > b.found || (t.found == b.found && t.extra < b.extra)) {
                best = &s;
            }
        }
        if (best != nullptr && settings.size() > 1) {
            row(name, "best: " + *best, settings.at(*best));
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "make") {
        return Make(static_cast<std::uint32_t>(std::stoul(args[1])), args[2]);
    }
    if (args.size() >= 3 && args[0] == "locate") {
        return Locate(args[1], args[2], std::vector<fs::path>(args.begin() + 3, args.end()));
    }
    if (args.size() == 3 && args[0] == "score") {
        return ScoreAll(args[1], args[2]);
    }
    if (args.size() == 2 && args[0] == "table") {
        return Table(args[1]);
    }
    std::cerr << "usage: gap_peers make SEED DIR | locate SIDE OUT PIECE.wav... | score DIR TALLY | table TALLY\n";
    return 2;
}
