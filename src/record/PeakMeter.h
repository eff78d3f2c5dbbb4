#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zolvane2 {

// The readings of the peak meter in dB below full scale, from the blocks of
// interleaved 16-bit samples that the recorder or the player passes on:
//   - per channel the peak of the last block and a peak hold that keeps the
//     highest peak for two seconds of audio before it falls back;
//   - a clip lamp, lit by a sample at full scale (either sign) and kept until
//     it is cleared or a new run starts;
//   - the quiet reading: the floor of the last ten seconds, the lowest of the
//     peaks of their tenth-second windows, the level to set the trigger above.
// Time is counted in audio (frames / rate), so the readings do not depend on
// how often blocks arrive.
class PeakMeter {
public:
    static constexpr double kBottomDb = -60.0;  // the foot of the bars
    static constexpr double kSilenceDb = -120.0;
    static constexpr double kHoldSeconds = 2.0;
    static constexpr double kFloorSeconds = 10.0;
    static constexpr int kFloorWindowsPerSecond = 10;

    // A new run or playback: everything is forgotten, the clip lamp too.
    void Start(int channels, int rate);
    // Whole frames only; a partial frame at the end is not read.
    void Feed(const std::uint8_t* bytes, std::int64_t size);
    void ClearClip() { clipped_ = false; }

    [[nodiscard]] int Channels() const { return static_cast<int>(channels_.size()); }
    [[nodiscard]] double PeakDb(int channel) const;
    [[nodiscard]] double HoldDb(int channel) const;
    [[nodiscard]] bool Clipped() const { return clipped_; }
    // Nothing until a whole window has been measured.
    [[nodiscard]] std::optional<double> QuietDb() const;

    // 20·log10 of a sample magnitude against full scale (32768), never below
    // kSilenceDb.
    [[nodiscard]] static double DbOf(double magnitude);
    // Where a level stands on the bar: 0 at kBottomDb and below, 1 at 0 dB.
    [[nodiscard]] static double BarFraction(double db);

private:
    struct Channel {
        int peak = 0;
        int hold = 0;
        std::int64_t holdAge = 0;  // frames since the hold was set
    };
    static constexpr std::size_t kFloorWindows =
        static_cast<std::size_t>(kFloorSeconds) * static_cast<std::size_t>(kFloorWindowsPerSecond);

    void EndWindow();

    std::vector<Channel> channels_;
    std::int64_t holdFrames_ = 0;
    std::int64_t windowFrames_ = 1;
    bool clipped_ = false;
    // The window being measured, and the finished ones, oldest overwritten.
    int windowPeak_ = 0;
    std::int64_t framesInWindow_ = 0;
    std::array<int, kFloorWindows> windows_{};
    std::size_t windowCount_ = 0;
    std::size_t nextWindow_ = 0;
};

}  // namespace zolvane2
