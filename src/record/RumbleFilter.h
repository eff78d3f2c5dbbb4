#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zolvane2 {

// A fourth-order Butterworth high-pass at 30 Hz for one channel: rumble,
// arm resonance and DC carry no music, but their energy would lift the level
// of a record's gaps far above its hiss.
class RumbleFilter {
public:
    static constexpr double kCornerHz = 30.0;

    explicit RumbleFilter(std::int32_t sampleRate);

    [[nodiscard]] double Process(double x) {
        for (Stage& s : stages_) {
            const double y = s.b0 * x + s.z1;
            s.z1 = s.b1 * x - s.a1 * y + s.z2;
            s.z2 = s.b2 * x - s.a2 * y;
            x = y;
        }
        return x;
    }

private:
    struct Stage {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double z1 = 0, z2 = 0;
    };
    std::array<Stage, 2> stages_{};
};

}  // namespace zolvane2
