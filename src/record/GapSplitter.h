#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "record/GapFinder.h"
#include "record/GapSettings.h"
#include "record/SplitterOwner.h"

namespace zolvane2 {

// Cuts a live recording where the gap finder hears the gaps, towards a
// splitter's owner as the trigger splitter does: TrackTriggered when a piece
// starts, its audio appended, CutTrack when it ends. The finder decides at
// most MaxDelayFrames() behind the audio fed, so that much is held here (on
// the thread that writes the track files, never the sound server's) and a
// piece's audio reaches its file that much late. Audio outside every piece
// (the gaps, the lead-in) is dropped once it is older than that.
class GapSplitter {
public:
    explicit GapSplitter(SplitterOwner& owner) : owner_(owner) {}

    // A new run; the floor is learned from nothing again.
    void Start(std::int32_t sampleRate, std::int32_t channels, const GapSettings& settings);
    // Whole frames of interleaved 16-bit samples, in the order recorded.
    void ProcessBlock(const std::uint8_t* bytes, std::int64_t count);
    // The end of the run: the open piece gets all that is held of it, so
    // nothing recorded inside a piece is lost.
    void Finish();
    // The frame, counted from Start, of the last piece start or end told.
    [[nodiscard]] std::int64_t EventFrame() const { return eventFrame_; }
    [[nodiscard]] bool InPiece() const { return inPiece_; }

private:
    void Handle(const std::vector<GapEvent>& events);
    // Appends the held frames [written_, to) to the open piece.
    void WriteTo(std::int64_t to);
    void DropBefore(std::int64_t frame);

    SplitterOwner& owner_;
    std::unique_ptr<GapFinder> finder_;
    std::int64_t frameBytes_ = 2;
    std::int64_t delay_ = 0;
    std::vector<std::uint8_t> held_;  // frames [heldStart_, fed_)
    std::vector<std::int16_t> samples_;
    std::int64_t heldStart_ = 0;
    std::int64_t fed_ = 0;
    std::int64_t written_ = 0;  // in a piece: frames before it are in its file
    bool inPiece_ = false;
    bool cutFailed_ = false;  // the owner could open no next file
    std::int64_t eventFrame_ = 0;
};

}  // namespace zolvane2
