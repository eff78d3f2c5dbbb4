#pragma once

// Synthetic record sides with known truth for the gap finder's accuracy
// bench, and the scorer that judges a list of pieces against them.
//
// A side: lead-in groove, 4 to 8 music-like pieces of 14–48 s with gaps of
// 1–4 s, lead-out groove, all over one of four backgrounds. Pieces are
// polyphonic notes of harmonic tones over a soft noise bed at −22 to −12 dBFS;
// some fade in or out over up to 6 s, some hold a quiet passage of 1–3 s
// 14–24 dB down, however near that brings it to the noise. Clicks last up to
// 10 ms and peak up to −3 dBFS; a record's run-out groove ticks once a turn.
// Every random choice comes from the side's seed.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace zolvane2::bench {

enum class Background { Digital, Tape, Vinyl, Worn };

inline const char* BackgroundName(Background b) {
    switch (b) {
        case Background::Digital:
            return "digital";
        case Background::Tape:
            return "tape";
        case Background::Vinyl:
            return "vinyl";
        case Background::Worn:
            return "worn";
    }
    return "?";
}

// Where a track's sound lies: runs of milliseconds in which its clean signal
// rises above −50 dBFS.
struct TrackTruth {
    std::vector<std::pair<std::int64_t, std::int64_t>> soundMs;  // [from, to)
    [[nodiscard]] std::int64_t FirstMs() const { return soundMs.front().first; }
    [[nodiscard]] std::int64_t LastMs() const { return soundMs.back().second; }
    [[nodiscard]] std::int64_t SoundIn(std::int64_t fromMs, std::int64_t toMs) const {
        std::int64_t n = 0;
        for (const auto& [a, b] : soundMs) {
            n += std::max<std::int64_t>(0, std::min(b, toMs) - std::max(a, fromMs));
        }
        return n;
    }
    [[nodiscard]] std::int64_t TotalMs() const { return SoundIn(0, INT64_MAX); }
};

struct Side {
    static constexpr int kRate = 44100;
    Background background = Background::Digital;
    double clicksPerSecond = 0;
    std::vector<std::int16_t> samples;  // stereo
    std::vector<TrackTruth> tracks;
    [[nodiscard]] std::int64_t Frames() const { return std::ssize(samples) / 2; }
};

class SideMaker {
public:
    explicit SideMaker(std::uint32_t seed) : rng_(seed) {
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const double ph = 2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(table_.size());
            table_[i] = static_cast<float>(std::sin(ph) + 0.5 * std::sin(2 * ph) + 0.3 * std::sin(3 * ph) +
                                           0.15 * std::sin(5 * ph));
        }
    }

    Side Make(Background background) {
        Side side;
        side.background = background;
        constexpr double kRate = Side::kRate;
        const int pieces = Int(4, 8);
        std::vector<double> lengths;
        std::vector<double> gaps;
        for (int i = 0; i < pieces; ++i) {
            lengths.push_back(Real(14, 48));
            gaps.push_back(Real(1, 4));
        }
        const double leadIn = Real(2, 6);
        const double leadOut = Real(3, 8);
        double total = leadIn + leadOut;
        for (int i = 0; i < pieces; ++i) {
            total += lengths[static_cast<std::size_t>(i)] + (i + 1 < pieces ? gaps[static_cast<std::size_t>(i)] : 0);
        }
        const auto frames = static_cast<std::int64_t>(total * kRate);
        std::vector<float> clean(static_cast<std::size_t>(frames * 2), 0.0F);
        double at = leadIn;
        for (int i = 0; i < pieces; ++i) {
            const auto start = static_cast<std::int64_t>(at * kRate);
            const auto length = static_cast<std::int64_t>(lengths[static_cast<std::size_t>(i)] * kRate);
            Piece(clean, start, length);
            side.tracks.push_back(Truth(clean, start, length));
            at += lengths[static_cast<std::size_t>(i)] + gaps[static_cast<std::size_t>(i)];
        }
        std::vector<float> noise(clean.size(), 0.0F);
        AddBackground(side, noise);
        side.samples.resize(clean.size());
        for (std::size_t k = 0; k < clean.size(); ++k) {
            side.samples[k] = static_cast<std::int16_t>(std::clamp(std::lround(clean[k] + noise[k]), -32768L, 32767L));
        }
        return side;
    }

private:
    double Real(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int Int(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng_); }
    double Gauss() { return normal_(rng_); }
    static double Amp(double db) { return 32768.0 * std::pow(10.0, db / 20); }

    float Wave(double phase) const {
        const double f = phase - std::floor(phase);
        return table_[static_cast<std::size_t>(f * static_cast<double>(table_.size())) % table_.size()];
    }

    // Notes of three voices and a bass over a noise bed, then the piece's
    // gain: fades and a quiet passage.
    void Piece(std::vector<float>& out, std::int64_t start, std::int64_t length) {
        constexpr double kRate = Side::kRate;
        // From a loud pop master to a transfer with 10 dB of headroom; the
        // quiet passages below sit 14–24 dB under this, wherever the noise lies.
        const double levelDb = Real(-22, -12);
        std::vector<float> piece(static_cast<std::size_t>(length * 2), 0.0F);
        for (int voice = 0; voice < 4; ++voice) {
            const bool bass = voice == 3;
            std::int64_t f = 0;
            while (f < length) {
                const auto noteFrames = static_cast<std::int64_t>(Real(0.12, bass ? 0.8 : 0.6) * kRate);
                const double hz = bass ? Real(45, 130) : 110 * std::pow(2.0, Int(0, 36) / 12.0);
                const double amp = Amp(levelDb) * (bass ? 0.5 : 0.3) * Real(0.5, 1.0);
                const double pan = Real(0.2, 0.8);
                const double attack = Real(0.005, 0.03) * kRate;
                const double decay = Real(0.15, 0.6) * kRate;
                for (std::int64_t k = 0; k < noteFrames && f + k < length; ++k) {
                    const double env = std::min(1.0, static_cast<double>(k) / attack) *
                                       (0.35 + 0.65 * std::exp(-static_cast<double>(k) / decay));
                    const double v = amp * env * Wave(hz * static_cast<double>(k) / kRate);
                    piece[static_cast<std::size_t>((f + k) * 2)] += static_cast<float>(v * (1 - pan));
                    piece[static_cast<std::size_t>((f + k) * 2 + 1)] += static_cast<float>(v * pan);
                }
                f += noteFrames;
            }
        }
        const double bed = Amp(levelDb - 16);
        double energy = 0;
        for (float& v : piece) {
            v += static_cast<float>(bed * Gauss());
            energy += static_cast<double>(v) * v;
        }
        // The piece's RMS level is levelDb.
        const double scale = Amp(levelDb) / std::sqrt(energy / static_cast<double>(piece.size()) + 1e-9);
        for (float& v : piece) {
            v = static_cast<float>(v * scale);
        }
        // Gain: fade-in, fade-out (each on about half the pieces), a quiet
        // passage on about half.
        const double fadeIn = Real(0, 1) < 0.5 ? Real(0.5, 6) * kRate : 0;
        const double fadeOut = Real(0, 1) < 0.5 ? Real(0.5, 6) * kRate : 0;
        double quietFrom = -1;
        double quietTo = -1;
        double quietGain = 1;
        if (Real(0, 1) < 0.5) {
            const double l = static_cast<double>(length);
            quietFrom = Real(0.25, 0.6) * l;
            quietTo = quietFrom + Real(1, 3) * kRate;
            quietGain = std::pow(10.0, -Real(14, 24) / 20);
        }
        const double ramp = 0.15 * kRate;
        for (std::int64_t k = 0; k < length; ++k) {
            const auto x = static_cast<double>(k);
            double g = 1;
            if (fadeIn > 0 && x < fadeIn) {
                g *= x / fadeIn;
            }
            const double fromEnd = static_cast<double>(length - k);
            if (fadeOut > 0 && fromEnd < fadeOut) {
                g *= fromEnd / fadeOut;
            }
            if (quietFrom >= 0) {
                const double into = std::clamp(std::min(x - quietFrom, quietTo - x) / ramp, 0.0, 1.0);
                g *= 1 + (quietGain - 1) * into;
            }
            out[static_cast<std::size_t>((start + k) * 2)] +=
                static_cast<float>(g) * piece[static_cast<std::size_t>(k * 2)];
            out[static_cast<std::size_t>((start + k) * 2 + 1)] +=
                static_cast<float>(g) * piece[static_cast<std::size_t>(k * 2 + 1)];
        }
    }

    static TrackTruth Truth(const std::vector<float>& clean, std::int64_t start, std::int64_t length) {
        constexpr double kThreshold = 32768.0 * 0.0031622776601683794;  // −50 dBFS
        constexpr std::int64_t kMsFrames = Side::kRate / 1000;
        TrackTruth t;
        for (std::int64_t ms = start / kMsFrames; ms * kMsFrames < start + length; ++ms) {
            bool loud = false;
            for (std::int64_t f = ms * kMsFrames; f < (ms + 1) * kMsFrames && f < start + length; ++f) {
                loud = loud || std::abs(clean[static_cast<std::size_t>(f * 2)]) > kThreshold ||
                       std::abs(clean[static_cast<std::size_t>(f * 2 + 1)]) > kThreshold;
            }
            if (!loud) {
                continue;
            }
            if (!t.soundMs.empty() && t.soundMs.back().second == ms) {
                t.soundMs.back().second = ms + 1;
            } else {
                t.soundMs.emplace_back(ms, ms + 1);
            }
        }
        return t;
    }

    // One-pole filters give hiss and surface noise their colour.
    void AddBackground(Side& side, std::vector<float>& out) {
        constexpr double kRate = Side::kRate;
        const std::int64_t frames = std::ssize(out) / 2;
        if (side.background == Background::Digital) {
            return;
        }
        const bool tape = side.background == Background::Tape;
        const bool worn = side.background == Background::Worn;
        const double noiseDb = tape ? Real(-62, -54) : worn ? Real(-58, -52) : Real(-64, -56);
        const double humDb = tape ? Real(-62, -54) : Real(-75, -65);
        const double humHz = Int(0, 1) == 0 ? 50 : 60;
        const double rumbleDb = tape ? -90 : Real(-40, -28);
        const double rumbleHz = Real(4, 16);
        side.clicksPerSecond = tape ? 0 : worn ? Real(20, 50) : Real(0, 20);
        const double popsPerSecond = worn ? Real(1, 5) : side.background == Background::Vinyl ? Real(0, 1) : 0;
        const double noiseAmp = Amp(noiseDb) * (tape ? 1.0 : 1.6);
        const double hum = Amp(humDb);
        const double rumble = Amp(rumbleDb);
        std::array<double, 2> lp{};
        for (std::int64_t f = 0; f < frames; ++f) {
            const double t = static_cast<double>(f) / kRate;
            const double h = hum * (std::sin(2 * std::numbers::pi * humHz * t) +
                                    0.4 * std::sin(2 * std::numbers::pi * 3 * humHz * t));
            const double r = rumble * std::sin(2 * std::numbers::pi * rumbleHz * t + 0.3 * std::sin(t));
            for (std::size_t c = 0; c < 2; ++c) {
                const double n = noiseAmp * Gauss();
                // Surface noise leans to the low end, tape hiss stays white.
                lp[c] = tape ? n : 0.7 * lp[c] + 0.3 * n * 1.8;
                out[static_cast<std::size_t>(f) * 2 + c] += static_cast<float>(lp[c] + h + r);
            }
        }
        const auto impulses = [&](double perSecond, double minMs, double maxMs) {
            const auto count = static_cast<std::int64_t>(perSecond * static_cast<double>(frames) / kRate);
            for (std::int64_t i = 0; i < count; ++i) {
                const auto at = static_cast<std::int64_t>(Real(0, 1) * static_cast<double>(frames));
                const auto len = static_cast<std::int64_t>(Real(minMs, maxMs) / 1000 * kRate) + 1;
                const double peak = Amp(Real(-30, -3)) * (Int(0, 1) == 0 ? 1 : -1);
                const double tau = static_cast<double>(len) / 4;
                for (std::int64_t k = 0; k < len && at + k < frames; ++k) {
                    const double v = peak * std::exp(-static_cast<double>(k) / tau) * (k % 2 == 0 ? 1 : -0.6);
                    out[static_cast<std::size_t>((at + k) * 2)] += static_cast<float>(v);
                    out[static_cast<std::size_t>((at + k) * 2 + 1)] += static_cast<float>(v * Real(0.6, 1));
                }
            }
        };
        impulses(side.clicksPerSecond, 0.05, 10);
        impulses(popsPerSecond, 3, 10);
        if (!tape) {
            // The run-out groove ticks once a turn (33⅓ rpm) from the end
            // of the last track's sound on: a scratch or dust caught by the
            // locked groove, louder than the surface.
            const auto from =
                static_cast<std::int64_t>(static_cast<double>(side.tracks.back().LastMs()) * kRate / 1000);
            const double tickPeak = Amp(Real(-24, -6));
            for (std::int64_t at = from + static_cast<std::int64_t>(Real(0.2, 1.8) * kRate); at < frames;
                 at += static_cast<std::int64_t>(1.8 * kRate)) {
                const auto len = static_cast<std::int64_t>(0.004 * kRate);
                for (std::int64_t k = 0; k < len && at + k < frames; ++k) {
                    const double v =
                        tickPeak * std::exp(-static_cast<double>(k) / (len / 4.0)) * (k % 2 == 0 ? 1 : -0.6);
                    out[static_cast<std::size_t>((at + k) * 2)] += static_cast<float>(v);
                    out[static_cast<std::size_t>((at + k) * 2 + 1)] += static_cast<float>(v);
                }
            }
            // The needle landing.
            const auto land = static_cast<std::int64_t>(Real(0.2, 1.0) * kRate);
            for (std::int64_t k = 0; k < static_cast<std::int64_t>(0.08 * kRate) && land + k < frames; ++k) {
                const double v = Amp(-8) * std::exp(-static_cast<double>(k) / (0.01 * kRate)) *
                                 std::sin(2 * std::numbers::pi * 70 * static_cast<double>(k) / kRate);
                out[static_cast<std::size_t>((land + k) * 2)] += static_cast<float>(v);
                out[static_cast<std::size_t>((land + k) * 2 + 1)] += static_cast<float>(v);
            }
        }
    }

    std::mt19937 rng_;
    std::normal_distribution<double> normal_{0.0, 1.0};
    std::array<float, 4096> table_{};
};

// How a list of pieces fares against a side's tracks.
struct Score {
    int tracks = 0;
    int found = 0;
    int extra = 0;  // pieces beyond the number of tracks
    int pieces = 0;
};

// A track is found when one piece holds all of its sound but at most 0.1 s at
// either edge, and at most 0.1 s of any other track's sound.
inline Score ScorePieces(const Side& side, const std::vector<std::pair<double, double>>& piecesSeconds) {
    constexpr std::int64_t kAllowedMs = 100;
    Score s;
    s.tracks = static_cast<int>(side.tracks.size());
    s.pieces = static_cast<int>(piecesSeconds.size());
    s.extra = std::max(0, s.pieces - s.tracks);
    for (std::size_t t = 0; t < side.tracks.size(); ++t) {
        const TrackTruth& track = side.tracks[t];
        for (const auto& [from, to] : piecesSeconds) {
            const auto a = static_cast<std::int64_t>(std::llround(from * 1000));
            const auto b = static_cast<std::int64_t>(std::llround(to * 1000));
            const std::int64_t lostHead = track.SoundIn(0, a);
            const std::int64_t lostTail = track.SoundIn(b, INT64_MAX);
            if (lostHead > kAllowedMs || lostTail > kAllowedMs) {
                continue;
            }
            std::int64_t foreign = 0;
            for (std::size_t o = 0; o < side.tracks.size(); ++o) {
                if (o != t) {
                    foreign += side.tracks[o].SoundIn(a, b);
                }
            }
            if (foreign <= kAllowedMs) {
                ++s.found;
                break;
            }
        }
    }
    return s;
}

}  // namespace zolvane2::bench
