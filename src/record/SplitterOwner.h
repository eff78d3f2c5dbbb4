#pragma once

#include <cstdint>
#include <stdexcept>

namespace zolvane2 {

// What the track splitter asks of whoever owns the track files (the capture
// thread while recording, the re-divide job for existing files).
class SplitterOwner {
public:
    SplitterOwner() = default;
    SplitterOwner(const SplitterOwner&) = delete;
    SplitterOwner& operator=(const SplitterOwner&) = delete;
    virtual ~SplitterOwner() = default;

    // Appends bytes to the current track file.
    virtual void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) = 0;
    // Appends count bytes of the audio fed to the splitter since its Start,
    // from fedOffset on, to the current track file. Asked only by a splitter
    // that leaves held audio in its source
    // (TriggerSplitter::Options::heldInSource), for bytes of earlier blocks.
    virtual void AppendFedBytes(std::int64_t /*fedOffset*/, std::int64_t /*count*/) {
        throw std::logic_error("the splitter holds audio in its source, but its owner cannot append from there");
    }
    // Closes the current track file, reports it and opens the next one.
    // Answers whether a next file is open (false: no number left and the
    // owner has already asked for the run to stop).
    [[nodiscard]] virtual bool CutTrack() = 0;
    // A track has started; preRollFrames frames ahead of it (the triggering
    // frame included when fewer than the delay were held) belong to it.
    virtual void TrackTriggered(std::int64_t preRollFrames) = 0;
    // Size in bytes of the current track file, header included.
    [[nodiscard]] virtual std::int64_t CurrentTrackSize() = 0;
};

}  // namespace zolvane2
