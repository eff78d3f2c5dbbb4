#pragma once

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace zolvane2::test {

// A mono side for the gap finder: hiss near −60 dBFS throughout, with
// music-like tones at −20 dBFS where asked. Music() notes where each piece's
// sound lies, in frames.
class NoisySide {
public:
    explicit NoisySide(int rate) : rate_(rate) {}
    NoisySide& Hiss(double seconds) { return Add(seconds, 0); }
    NoisySide& Music(double seconds) {
        const auto start = static_cast<std::int64_t>(samples.size());
        Add(seconds, 0.1 * 32768);
        music.emplace_back(start, static_cast<std::int64_t>(samples.size()));
        return *this;
    }
    [[nodiscard]] int Rate() const { return rate_; }

    std::vector<std::int16_t> samples;
    std::vector<std::pair<std::int64_t, std::int64_t>> music;

private:
    NoisySide& Add(double seconds, double amplitude) {
        const auto n = static_cast<std::int64_t>(seconds * rate_);
        for (std::int64_t i = 0; i < n; ++i) {
            state_ = state_ * 1664525U + 1013904223U;
            const double hiss = 57.0 * (static_cast<double>(state_ >> 8) / 16777216.0 * 2 - 1);
            const double t = static_cast<double>(i) / rate_;
            const double tone =
                amplitude * (0.7 * std::sin(2 * 3.14159265 * 220 * t) + 0.3 * std::sin(2 * 3.14159265 * 347 * t));
            samples.push_back(static_cast<std::int16_t>(std::lround(hiss + tone)));
        }
        return *this;
    }
    int rate_;
    std::uint32_t state_ = 7;
};

}  // namespace zolvane2::test
