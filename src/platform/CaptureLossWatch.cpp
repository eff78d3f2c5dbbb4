#include "platform/CaptureLossWatch.h"

#include <algorithm>

namespace zolvane2 {

namespace {
// Smaller gaps cannot be told from the jitter of the arrival.
constexpr std::uint64_t kLossThresholdUsec = 200'000;
// Between two looks the deficit of a settled stream grows by less than this
// (audio arrives in fragments; a pipe fed in tenths of a second jumps by one)
// and shrinks by less than the second: a stream that still catches up on a
// backlog, which the server may hand over only a little faster than real
// time, shrinks it steadily.
constexpr std::uint64_t kSettledGrowthUsec = 150'000;
constexpr std::uint64_t kSettledShrinkUsec = 60'000;
}  // namespace

void CaptureLossWatch::Start(std::int64_t bytesPerSecond, std::int64_t frameBytes, std::int64_t serverBufferBytes) {
    running_ = true;
    anchored_ = false;
    rate_ = bytesPerSecond;
    frameBytes_ = std::max<std::int64_t>(frameBytes, 1);
    serverBuffer_ = serverBufferBytes;
    arrived_ = 0;
    anchorBytes_ = 0;
    wasSteady_ = false;
    level_ = 0;
    lastDeficit_ = 0;
    lastArrived_ = 0;
    goodArrived_ = 0;
}

std::int64_t CaptureLossWatch::Bytes(std::uint64_t usec) const {
    return static_cast<std::int64_t>(static_cast<long double>(usec) * static_cast<long double>(rate_) / 1e6L);
}

std::int64_t CaptureLossWatch::Deficit(std::uint64_t nowUsec) const {
    const std::uint64_t since = nowUsec > anchorTime_ ? nowUsec - anchorTime_ : 0;
    return Bytes(since) - (arrived_ - anchorBytes_);
}

void CaptureLossWatch::Arrived(std::int64_t bytes, std::uint64_t nowUsec) {
    if (!running_) {
        return;
    }
    arrived_ += bytes;
    if (!anchored_) {
        anchored_ = true;
        anchorTime_ = nowUsec;
        anchorBytes_ = arrived_;
        lastArrived_ = arrived_;
        goodArrived_ = arrived_;
        return;
    }
    if (Deficit(nowUsec) < 0) {
        // Ahead of the clock: the anchor follows, and what was counted as the
        // level before is gone with it.
        anchorTime_ = nowUsec;
        anchorBytes_ = arrived_;
        level_ = 0;
        lastDeficit_ = 0;
    }
}

std::optional<CaptureLossWatch::Loss> CaptureLossWatch::Check(std::uint64_t nowUsec,
                                                              std::optional<std::int64_t> heldBytes) {
    if (!running_ || !anchored_) {
        return std::nullopt;
    }
    if (!heldBytes) {
        wasSteady_ = false;
        return std::nullopt;
    }
    // Audio the server still holds is late, not lost.
    const std::int64_t deficit = Deficit(nowUsec) - std::max<std::int64_t>(*heldBytes, 0);
    const bool flowing = arrived_ > lastArrived_;
    const std::int64_t change = deficit - lastDeficit_;
    const bool steady = flowing && change <= Bytes(kSettledGrowthUsec) && -change <= Bytes(kSettledShrinkUsec);
    // Two steady looks in a row: one may fall into a pause of the catching up.
    const bool settled = steady && wasSteady_;
    wasSteady_ = steady;
    lastDeficit_ = deficit;
    lastArrived_ = arrived_;
    if (!settled) {
        return std::nullopt;
    }
    std::optional<Loss> loss;
    const std::int64_t missing = deficit - level_;
    if (missing > Bytes(kLossThresholdUsec)) {
        // The server kept its buffer's worth after the last good look; the
        // gap follows it.
        const std::int64_t bytes = missing / frameBytes_ * frameBytes_;
        loss = Loss{bytes, std::min(goodArrived_ + serverBuffer_, arrived_)};
    }
    level_ = deficit;
    goodArrived_ = arrived_;
    return loss;
}

}  // namespace zolvane2
