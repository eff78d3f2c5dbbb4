#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace zolvane2 {

class TLongStream;

// The levels of a whole file at a few resolutions: the lowest and highest
// sample of each channel per block of 256, 4096 and 65536 frames. A 4-hour
// stereo file at 44.1 kHz needs about 21 MB; views finer than the smallest
// block read the frames from the file instead (SpansOfFrames).
//
// Threads: built by one thread (Feed, Finish), then read by any number once
// it has been handed over.
class LevelOverview {
public:
    struct Span {
        std::int16_t low = 0;
        std::int16_t high = 0;
        bool operator==(const Span&) const = default;
    };
    static constexpr std::array<std::int64_t, 3> kBlockFrames{256, 4096, 65536};

    explicit LevelOverview(int channels = 1);

    // Whole frames of interleaved 16-bit samples, in file order.
    void Feed(const std::int16_t* samples, std::int64_t frames);
    // Ends the last, partial block and derives the coarser resolutions.
    void Finish();

    // Reads the audio in bytes [offset, offset + length) of source in one
    // pass (a torn last frame is left out); goOn is told the bytes read so
    // far after each block and ends the pass (nullopt) when it answers
    // false. Throws what the stream throws.
    [[nodiscard]] static std::optional<LevelOverview> Build(TLongStream& source, std::int64_t offset,
                                                            std::int64_t length, int channels,
                                                            const std::function<bool(std::int64_t)>& goOn);

    [[nodiscard]] int Channels() const { return channels_; }
    [[nodiscard]] std::int64_t Frames() const { return frames_; }

    // The lowest and highest sample of channel over frames [from, to), from
    // the coarsest resolution that still gives some 16 blocks or more; its
    // edges are those of the blocks, so a span may reach up to one block
    // beyond the frames asked for.
    [[nodiscard]] Span At(int channel, std::int64_t from, std::int64_t to) const;

    // The middle of the quietest smallest block in [from, to) (all channels
    // counted); among equally quiet ones the nearest to near. A range shorter
    // than a block answers near, clamped into it.
    [[nodiscard]] std::int64_t QuietestFrame(std::int64_t from, std::int64_t to, std::int64_t near) const;

    // Spans of columns equal parts of frames of interleaved samples, one
    // vector entry per column and channel (column * channels + channel).
    [[nodiscard]] static std::vector<Span> SpansOfFrames(const std::int16_t* samples, std::int64_t frames, int channels,
                                                         int columns);

    // What the levels take in memory.
    [[nodiscard]] std::size_t MemoryBytes() const;

private:
    void CloseBlock();

    int channels_;
    std::int64_t frames_ = 0;
    // Per resolution: block * channels + channel.
    std::array<std::vector<Span>, kBlockFrames.size()> levels_;
    // The open smallest block.
    std::vector<Span> open_;
    std::int64_t openFrames_ = 0;
};

}  // namespace zolvane2
