#include "platform/CaptureLossWatch.h"

#include <algorithm>
#include <cstdlib>

namespace zolvane2 {

namespace {
// Smaller gaps cannot be told from the jitter of the arrival.
constexpr std::uint64_t kLossThresholdUsec = 200'000;
// Between two looks the deficit of a settled stream moves less than this
// (audio arrives in fragments; a pipe fed in tenths of a second jumps by one).
constexpr std::uint64_t kSettledUsec = 150'000;
}  // namespace

void CaptureLossWatch::Start(std::int64_t bytesPerSecond, std::int64_t frameBytes, std::int64_t serverBufferBytes) {
    running_ = true;
    anchored_ = false;
    rate_ = bytesPerSecond;
    frameBytes_ = std::max<std::int64_t>(frameBytes, 1);
    serverBuffer_ = serverBufferBytes;
    arrived_ = 0;
    anchorBytes_ = 0;
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

std::optional<CaptureLossWatch::Loss> CaptureLossWatch::Check(std::uint64_t nowUsec) {
    if (!running_ || !anchored_) {
        return std::nullopt;
    }
    const std::int64_t deficit = Deficit(nowUsec);
    const bool flowing = arrived_ > lastArrived_;
    const bool settled = flowing && std::abs(deficit - lastDeficit_) <= Bytes(kSettledUsec);
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
