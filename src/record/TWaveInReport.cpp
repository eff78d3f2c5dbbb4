#include "record/TWaveInReport.h"

namespace zolvane2 {

namespace {

// The low word carries how far the track number advanced (WM_RecEnd) or 0,
// the high word the finish status. An advance past the low word, over more
// than 65535 numbers taken, goes on above the two words, where readers of
// the words do not look.
// (A 32-bit build has no room there.)
constexpr bool kWideWParam = sizeof(WParam) >= 8;

WParam StatusWord(std::int64_t advance, FinishStatus status) {
    WParam w = MakeWParam(static_cast<std::uint16_t>(advance & 0xFFFF), static_cast<std::uint16_t>(status));
    if constexpr (kWideWParam) {
        w |= static_cast<WParam>((static_cast<std::uint64_t>(advance) >> 16U) << 32U);
    }
    return w;
}

std::int64_t Advance(WParam wParam) {
    std::int64_t advance = LowWord(wParam);
    if constexpr (kWideWParam) {
        advance += static_cast<std::int64_t>((static_cast<std::uint64_t>(wParam) >> 32U) << 16U);
    }
    return advance;
}

}  // namespace

TWaveInReport TWaveInReport::Triggered(std::int32_t number, std::int64_t preRollFrames) {
    TWaveInReport r;
    r.kind = Kind::Triggered;
    r.next = number;
    r.preRollFrames = preRollFrames;
    return r;
}

TWaveInReport TWaveInReport::TrackEnded(std::int32_t finished, FinishStatus status, std::int32_t next) {
    TWaveInReport r;
    r.kind = Kind::TrackEnded;
    r.finished = status == FinishStatus::Deleted ? 0 : finished;
    r.status = status;
    r.next = next;
    return r;
}

TWaveInReport TWaveInReport::Finished(std::int32_t finished, FinishStatus status) {
    TWaveInReport r;
    r.kind = Kind::Finished;
    r.finished = status == FinishStatus::Deleted ? 0 : finished;
    r.status = status;
    return r;
}

TWaveInReport TWaveInReport::Lost(std::size_t index) {
    TWaveInReport r;
    r.kind = Kind::Lost;
    r.lossIndex = index;
    return r;
}

Message TWaveInReport::Encode(const TWaveInMessages& names) const {
    switch (kind) {
        case Kind::Triggered:
            return {names.triggered, static_cast<WParam>(next), static_cast<LParam>(preRollFrames)};
        case Kind::TrackEnded:
            return {names.recEnd, StatusWord(Kept() ? next - finished : 0, status), static_cast<LParam>(next)};
        case Kind::Finished:
            return {names.recFinish, StatusWord(0, status), static_cast<LParam>(Kept() ? finished : 0)};
        case Kind::Lost:
            return {names.recLost, static_cast<WParam>(lossIndex), 0};
        case Kind::None:
            break;
    }
    return {};
}

TWaveInReport TWaveInReport::Decode(const TWaveInMessages& names, const Message& message) {
    const auto status = static_cast<FinishStatus>(HighWord(message.wParam));
    const auto number = static_cast<std::int32_t>(message.lParam);
    if (message.msg == names.triggered) {
        return Triggered(static_cast<std::int32_t>(message.wParam), static_cast<std::int64_t>(message.lParam));
    }
    if (message.msg == names.recEnd) {
        return TrackEnded(static_cast<std::int32_t>(number - Advance(message.wParam)), status, number);
    }
    if (message.msg == names.recFinish) {
        return Finished(number, status);
    }
    if (message.msg == names.recLost) {
        return Lost(static_cast<std::size_t>(message.wParam));
    }
    return {};
}

}  // namespace zolvane2
