#pragma once

#include <string>

namespace zolvane2 {
class TMemoryStream;
}

namespace zolvane2::cli {

// What the terminal shows while recording: the state as the window's title
// shows it, a peak meter per channel and the time, on one line of stderr
// that rewrites itself.
class LevelMeter {
public:
    // Takes the peaks of a block of 16-bit little-endian frames.
    void Take(const TMemoryStream& data, int channels);
    // Draws the line and starts the peaks again.
    void Draw(const std::string& state, const std::string& time);
    // Removes the line, so that a message starts on a clean one.
    void Clear();

private:
    int peak_[2] = {0, 0};
    int channels_ = 0;
    bool drawn_ = false;
};

}  // namespace zolvane2::cli
