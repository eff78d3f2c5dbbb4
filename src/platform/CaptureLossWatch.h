#pragma once

#include <cstdint>
#include <optional>

namespace zolvane2 {

// Tells from the pace at which a record stream's audio arrives that the sound
// server dropped some of it. The server keeps a record stream's audio in a
// buffer of its own while this process cannot take it (stopped, swapped out);
// when that buffer is full it drops what follows without a word, so the only
// trace is audio that arrives later than the clock says it should.
//
// The arrival is compared with the monotonic clock: the "deficit" is how much
// audio should have arrived since the anchor and did not. Ordinary jitter
// keeps it small; a run of arrivals faster than the clock moves the anchor
// (the source's clock may run fast, or a pipe be fed in bursts). After a
// stall the backlog rushes in and the deficit falls; once it has settled
// while audio flows, what is left above the level before the stall is the
// loss. A slow drift of the source's clock moves that level without being
// counted.
//
// Used by one thread (the sound server's main loop, under its lock); times
// are passed in so the rules can be checked without waiting.
class CaptureLossWatch {
public:
    struct Loss {
        std::int64_t bytes = 0;  // how much audio is missing, in whole frames
        std::int64_t at = 0;     // about where it is missing: bytes arrived before the gap
    };

    // How often Check should run.
    static constexpr std::uint64_t kCheckUsec = 250'000;

    // A capture starts; nothing is measured before its first audio arrives.
    // serverBufferBytes: what the server holds for the stream at most.
    void Start(std::int64_t bytesPerSecond, std::int64_t frameBytes, std::int64_t serverBufferBytes);
    // The capture stopped; nothing is measured until the next Start.
    void Stop() { running_ = false; }
    // Audio (holes included) arrived at nowUsec.
    void Arrived(std::int64_t bytes, std::uint64_t nowUsec);
    // The periodic look: a loss, once the arrival has settled after one.
    // heldBytes: what the server said, just now, it still holds for this
    // stream (audio late but not lost); none when it has not answered yet.
    [[nodiscard]] std::optional<Loss> Check(std::uint64_t nowUsec, std::optional<std::int64_t> heldBytes);

    [[nodiscard]] std::int64_t ArrivedBytes() const { return arrived_; }

private:
    [[nodiscard]] std::int64_t Deficit(std::uint64_t nowUsec) const;
    [[nodiscard]] std::int64_t Bytes(std::uint64_t usec) const;

    bool running_ = false;
    bool anchored_ = false;
    std::int64_t rate_ = 0;
    std::int64_t frameBytes_ = 1;
    std::int64_t serverBuffer_ = 0;
    std::int64_t arrived_ = 0;
    std::uint64_t anchorTime_ = 0;
    std::int64_t anchorBytes_ = 0;
    std::int64_t level_ = 0;        // the settled deficit before any loss
    std::int64_t lastDeficit_ = 0;  // at the previous look
    std::int64_t lastArrived_ = 0;  // at the previous look
    std::int64_t goodArrived_ = 0;  // at the last settled look
    bool wasSteady_ = false;
};

}  // namespace zolvane2
