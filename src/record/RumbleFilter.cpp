#include "record/RumbleFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zolvane2 {

RumbleFilter::RumbleFilter(std::int32_t sampleRate) {
    // The two pole pairs of a fourth-order Butterworth response.
    constexpr std::array<double, 2> kQ{0.54119610014619701, 1.3065629648763766};
    const double rate = sampleRate > 0 ? sampleRate : 44100.0;
    // Below about 61 Hz the corner would pass the Nyquist frequency.
    const double corner = std::min(kCornerHz, rate * 0.45);
    const double w0 = 2 * std::numbers::pi * corner / rate;
    const double c = std::cos(w0);
    for (std::size_t i = 0; i < stages_.size(); ++i) {
        const double alpha = std::sin(w0) / (2 * kQ[i]);
        const double a0 = 1 + alpha;
        Stage& s = stages_[i];
        s.b0 = (1 + c) / 2 / a0;
        s.b1 = -(1 + c) / a0;
        s.b2 = s.b0;
        s.a1 = -2 * c / a0;
        s.a2 = (1 - alpha) / a0;
    }
}

}  // namespace zolvane2
