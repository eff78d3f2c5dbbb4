#include "record/TriggerSplitter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

std::int16_t SampleAt(const std::uint8_t* p) {
    std::int16_t s;
    std::memcpy(&s, p, sizeof s);
    return s;
}

int Magnitude(std::int16_t s) {
    const int v = s;
    return v < 0 ? -v : v;
}

// Index of the first sample whose magnitude is above level, or count when
// none is. The chunked test lets the compiler vectorise the common case of a
// long wait through quiet audio; only the chunk that holds a loud sample is
// walked one by one.
std::int64_t FirstLoudSample(const std::uint8_t* bytes, std::int64_t count, int level) {
    constexpr std::int64_t kChunk = 64;
    std::int64_t i = 0;
    for (; i + kChunk <= count; i += kChunk) {
        int any = 0;
        for (std::int64_t k = 0; k < kChunk; ++k) {
            any |= static_cast<int>(Magnitude(SampleAt(bytes + 2 * (i + k))) > level);
        }
        if (any != 0) {
            break;
        }
    }
    for (; i < count; ++i) {
        if (Magnitude(SampleAt(bytes + 2 * i)) > level) {
            return i;
        }
    }
    return count;
}

template <int Channels>
bool QuietFrame(const std::uint8_t* p, int level) {
    int peak = Magnitude(SampleAt(p));
    if constexpr (Channels == 2) {
        peak = std::max(peak, Magnitude(SampleAt(p + 2)));
    }
    return peak < level;
}

// Whether every frame of a chunk is quiet; written branch-free so that the
// compiler vectorises it.
template <int Channels>
bool AllQuiet(const std::uint8_t* p, std::int64_t frames, int level) {
    int loud = 0;
    for (std::int64_t k = 0; k < frames * Channels; ++k) {
        loud |= static_cast<int>(Magnitude(SampleAt(p + 2 * k)) >= level);
    }
    return loud == 0;
}

// Walks frames from the first, counting the quiet run; answers the index of
// the frame at which the run grows beyond limit, or frames when it does not.
//
// Inside a track most frames are loud, and a re-divide scans hours of them,
// so frames are taken in chunks when the limit is at least a chunk long: a
// chunk that starts with a loud frame can only pass on its quiet end (a run
// between two of its loud frames is shorter than the chunk, so than the
// limit), and a chunk that is quiet throughout adds its length at once.
template <int Channels, std::int64_t kChunk>
std::int64_t ScanForQuietRun(const std::uint8_t* bytes, std::int64_t frames, int level, std::int64_t limit,
                             std::int64_t& silence) {
    constexpr std::int64_t kFrameBytes = std::int64_t{2} * Channels;
    std::int64_t run = silence;
    std::int64_t f = 0;
    const auto step = [&](std::int64_t frame) {
        // Quiet frames lengthen the run; any other frame (a peak equal to the
        // level included) ends it.
        run = QuietFrame<Channels>(bytes + frame * kFrameBytes, level) ? run + 1 : 0;
        return run > limit;
    };
    if (limit >= kChunk) {
        while (f + kChunk <= frames) {
            const std::uint8_t* chunk = bytes + f * kFrameBytes;
            if (!QuietFrame<Channels>(chunk, level)) {
                std::int64_t quietEnd = 0;
                while (QuietFrame<Channels>(chunk + (kChunk - 1 - quietEnd) * kFrameBytes, level)) {
                    ++quietEnd;
                }
                run = quietEnd;
            } else if (AllQuiet<Channels>(chunk, kChunk, level)) {
                if (run + kChunk > limit) {
                    silence = limit + 1;
                    return f + (limit - run);
                }
                run += kChunk;
            } else {
                for (std::int64_t k = 0; k < kChunk; ++k) {
                    if (step(f + k)) {
                        silence = run;
                        return f + k;
                    }
                }
            }
            f += kChunk;
        }
    }
    for (; f < frames; ++f) {
        if (step(f)) {
            silence = run;
            return f;
        }
    }
    silence = run;
    return frames;
}

// Longer chunks pass a loud track with fewer looks at it (two frames per
// chunk); they need a limit at least as long as the chunk.
template <int Channels>
std::int64_t ScanForQuietRun(const std::uint8_t* bytes, std::int64_t frames, int level, std::int64_t limit,
                             std::int64_t& silence) {
    constexpr std::int64_t kLongChunk = 1024;
    if (limit >= kLongChunk) {
        return ScanForQuietRun<Channels, kLongChunk>(bytes, frames, level, limit, silence);
    }
    return ScanForQuietRun<Channels, 64>(bytes, frames, level, limit, silence);
}

std::int64_t ScanForQuietRunAny(const std::uint8_t* bytes, std::int64_t frames, int channels, int level,
                                std::int64_t limit, std::int64_t& silence) {
    std::int64_t run = silence;
    for (std::int64_t f = 0; f < frames; ++f) {
        int peak = 0;
        for (int c = 0; c < channels; ++c) {
            peak = std::max(peak, Magnitude(SampleAt(bytes + (f * channels + c) * 2)));
        }
        run = peak < level ? run + 1 : 0;
        if (run > limit) {
            silence = run;
            return f;
        }
    }
    silence = run;
    return frames;
}

std::int32_t ClampFrames(std::int64_t frames) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(frames, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TriggerSplitter::TriggerSplitter(SplitterOwner& owner, UserMessages* messages) : owner_(owner), messages_(messages) {}

std::int64_t TriggerSplitter::SecondsToFrames(std::int32_t sampleRate, double seconds) {
    // Extended precision: 0.3 s is a little below 0.3 as a double, and the
    // 64-bit mantissa keeps that, so 0.3 × 44100 truncates to 13229.
    const long double product = static_cast<long double>(sampleRate) * static_cast<long double>(seconds);
    if (!(product == product)) {
        return 0;
    }
    constexpr std::int64_t kHalfMax = std::numeric_limits<std::int64_t>::max() / 2;
    constexpr auto kMax = static_cast<long double>(kHalfMax);
    return static_cast<std::int64_t>(std::clamp(product, -kMax, kMax));
}

std::string TriggerSplitter::SecondsText(double seconds) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", seconds);
    return buffer;
}

void TriggerSplitter::ShowSettingsError(const UserText& text) {
    UserMessages& m = messages_ != nullptr ? *messages_ : GetUserMessages();
    m.Show(text, UserText(TextId::SettingsError), MsgIcon::None, MsgButtons::Ok);
}

std::int32_t TriggerSplitter::TimeSettingFrames(double seconds, TextId negative) {
    const std::int64_t frames = SecondsToFrames(conditions_.SampleRate, seconds);
    if (frames < 0) {
        ShowSettingsError(UserText(negative, {SecondsText(seconds)}));
        return 0;
    }
    return ClampFrames(frames);
}

void TriggerSplitter::SetTriggerDelay(double seconds) {
    conditions_.DelayFrames = TimeSettingFrames(seconds, TextId::DelayNegative);
}

void TriggerSplitter::SetTrackInterval(double seconds) {
    conditions_.SilenceFrames = TimeSettingFrames(seconds, TextId::IntervalNegative);
}

void TriggerSplitter::SetLastTimeAfterTrigger(double seconds) {
    // A negative time comes back as 0, which never exceeds the interval.
    const std::int32_t frames = TimeSettingFrames(seconds, TextId::TailNegative);
    if (frames > conditions_.SilenceFrames) {
        ShowSettingsError(UserText(TextId::TailTooLong, {SecondsText(seconds)}));
        conditions_.TailFrames = conditions_.SilenceFrames;
        return;
    }
    conditions_.TailFrames = frames;
}

void TriggerSplitter::SetDigits(std::int32_t digits) {
    conditions_.Digits = digits;
    SetMaxTrackNumber(TrackNaming::MaxTrackNumberFor(digits));
}

void TriggerSplitter::SetMaxTrackNumber(std::int64_t maxNumber) {
    const std::int32_t limit = TrackNaming::MaxTrackNumberFor(conditions_.Digits);
    if (maxNumber > limit) {
        ShowSettingsError(
            UserText(TextId::MaxTrackNumber,
                     {std::to_string(maxNumber), std::to_string(conditions_.Digits), std::to_string(limit)}));
        conditions_.MaxTrackNumber = limit;
        return;
    }
    conditions_.MaxTrackNumber = static_cast<std::int32_t>(maxNumber);
}

void TriggerSplitter::Start() {
    ClearHeld();
    scanPosition_ = 0;
    fedBytes_ = 0;
    silenceCount_ = 0;
    hasTrack_ = true;
    cutDone_ = false;
    eventFrame_ = 0;
    inTrack_ = conditions_.Mode() != CutMode::Trigger;
}

std::int64_t TriggerSplitter::FrameAt(std::int64_t offset) const {
    const std::int64_t fb = conditions_.FrameBytes();
    return fb > 0 ? (fedBytes_ - HeldSize() + offset) / fb : 0;
}

void TriggerSplitter::AppendHeld(std::int64_t count) {
    AppendHeldRange(0, std::min(count, HeldSize()));
}

std::int64_t TriggerSplitter::HeldSize() const {
    return options_.heldInSource ? heldSize_ : workBuffer_.Size();
}

const std::uint8_t* TriggerSplitter::ScanAt(std::int64_t offset) const {
    if (!options_.heldInSource) {
        return workBuffer_.Data() + offset;
    }
    if (offset < blockStart_) {
        throw std::logic_error("the splitter scans held audio that is no longer in memory");
    }
    return block_ + (offset - blockStart_);
}

std::int64_t TriggerSplitter::FirstScannable() const {
    return options_.heldInSource ? std::max<std::int64_t>(blockStart_, 0) : 0;
}

void TriggerSplitter::AppendHeldRange(std::int64_t from, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    if (options_.heldInSource) {
        // Bytes of the block being processed are written from memory, where
        // they were just scanned; only those held from earlier blocks are
        // taken from the source again.
        const std::int64_t inBlock = block_ != nullptr ? std::max(from, blockStart_) : from + count;
        if (inBlock > from) {
            owner_.AppendFedBytes(fedBytes_ - heldSize_ + from, std::min(inBlock, from + count) - from);
        }
        if (inBlock < from + count) {
            owner_.AppendToTrack(block_ + (inBlock - blockStart_), from + count - inBlock);
        }
    } else {
        owner_.AppendToTrack(workBuffer_.Data() + from, count);
    }
}

void TriggerSplitter::KeepHeldFrom(std::int64_t offset) {
    if (!options_.heldInSource) {
        workBuffer_.KeepFrom(offset);
        return;
    }
    offset = std::clamp<std::int64_t>(offset, 0, heldSize_);
    heldSize_ -= offset;
    blockStart_ -= offset;
}

void TriggerSplitter::ClearHeld() {
    workBuffer_.Clear();
    heldSize_ = 0;
    blockStart_ = 0;
}

void TriggerSplitter::SetHeldPosition(std::int64_t position) {
    if (!options_.heldInSource) {
        workBuffer_.SetPosition64(position);
    }
}

void TriggerSplitter::ProcessBlock(const void* bytes, std::int64_t count) {
    if (!hasTrack_) {
        return;
    }
    scanPosition_ = HeldSize();
    if (options_.heldInSource) {
        block_ = static_cast<const std::uint8_t*>(bytes);
        blockStart_ = heldSize_;
        heldSize_ += count;
    } else {
        workBuffer_.Append(bytes, count);
    }
    fedBytes_ += count;
    CutMode mode = conditions_.Mode();
    if (mode == CutMode::FixedLength && options_.cutOnce && cutDone_) {
        mode = CutMode::None;
    }
    switch (mode) {
        case CutMode::Trigger:
            SetHeldPosition(scanPosition_);
            ProcessTrigger();
            break;
        case CutMode::FixedLength:
            ProcessFixedLength();
            break;
        case CutMode::None:
        case CutMode::Gaps:
            FlushHeld();
            break;
    }
    block_ = nullptr;
}

void TriggerSplitter::ProcessTrigger() {
    if (!inTrack_) {
        if (FindTrigger()) {
            silenceCount_ = 0;
            FindTrackEnd();
        }
        return;
    }
    if (FindTrackEnd() && FindTrigger()) {
        silenceCount_ = 0;
        FindTrackEnd();
    }
}

bool TriggerSplitter::FindTrigger() {
    const std::int64_t fb = conditions_.FrameBytes();
    const std::int64_t delayBytes = std::max<std::int64_t>(conditions_.DelayFrames, 0) * fb;
    const std::int64_t size = HeldSize();
    // After a cut the scan starts inside the quiet run that ended the track;
    // the part of it that came with earlier blocks cannot trigger, so it is
    // passed over where those blocks are no longer in memory.
    const std::int64_t from = std::max(scanPosition_, FirstScannable());
    const std::int64_t frames = fb > 0 ? (size - from) / fb : 0;
    if (frames > 0) {
        const std::int64_t samples = frames * conditions_.Channels;
        const std::int64_t loud = FirstLoudSample(ScanAt(from), samples, conditions_.TriggerLevel);
        if (loud < samples) {
            const std::int64_t triggerOffset = from + loud / conditions_.Channels * fb;
            eventFrame_ = FrameAt(triggerOffset);
            const std::int64_t after = triggerOffset + fb;
            const std::int64_t start = after - fb - delayBytes;
            std::int64_t preRoll;
            if (start >= 0) {
                preRoll = conditions_.DelayFrames;
                KeepHeldFrom(start);
                scanPosition_ = delayBytes;
            } else {
                // Fewer than the delay's frames are held: the track starts
                // at the first of them.
                preRoll = after / fb;
                scanPosition_ = after;
            }
            owner_.TrackTriggered(preRoll);
            inTrack_ = true;
            SetHeldPosition(scanPosition_);
            return true;
        }
    }
    if (size > delayBytes) {
        KeepHeldFrom(size - delayBytes);
    }
    return false;
}

bool TriggerSplitter::FindTrackEnd() {
    if (!hasTrack_) {
        return false;
    }
    const std::int64_t fb = conditions_.FrameBytes();
    const std::int64_t size = HeldSize();
    const std::int64_t frames = fb > 0 ? std::max<std::int64_t>((size - scanPosition_) / fb, 0) : 0;
    const std::int64_t silenceFrames = std::max<std::int64_t>(conditions_.SilenceFrames, 0);
    const std::int64_t tailFrames = std::clamp<std::int64_t>(conditions_.TailFrames, 0, silenceFrames);
    const std::uint8_t* scan = frames > 0 ? ScanAt(scanPosition_) : nullptr;
    const int level = conditions_.TriggerLevel;
    std::int64_t endFrame;
    switch (conditions_.Channels) {
        case 1:
            endFrame = ScanForQuietRun<1>(scan, frames, level, silenceFrames, silenceCount_);
            break;
        case 2:
            endFrame = ScanForQuietRun<2>(scan, frames, level, silenceFrames, silenceCount_);
            break;
        default:
            endFrame = ScanForQuietRunAny(scan, frames, conditions_.Channels, level, silenceFrames, silenceCount_);
            break;
    }
    if (endFrame < frames) {
        const std::int64_t after = scanPosition_ + (endFrame + 1) * fb;
        const std::int64_t end = std::clamp<std::int64_t>(after - silenceFrames * fb + tailFrames * fb, 0, size);
        eventFrame_ = FrameAt(after);
        AppendHeld(end);
        if (!owner_.CutTrack()) {
            hasTrack_ = false;
            return false;
        }
        inTrack_ = false;
        KeepHeldFrom(end - tailFrames * fb);
        scanPosition_ = (silenceFrames - tailFrames) * fb;
        SetHeldPosition(scanPosition_);
        return true;
    }
    // No end yet: the quiet run is held back until it ends the track or a
    // loud frame follows it; everything before it belongs to the track.
    const std::int64_t held = silenceCount_ * fb;
    if (size > held) {
        AppendHeld(size - held);
        KeepHeldFrom(size - held);
    }
    return false;
}

void TriggerSplitter::ProcessFixedLength() {
    const std::int64_t size = HeldSize();
    const std::int64_t allowed =
        conditions_.IntervalFrames * conditions_.FrameBytes() + options_.headerBytes - owner_.CurrentTrackSize();
    if (size <= allowed) {
        FlushHeld();
        return;
    }
    const std::int64_t first = std::max<std::int64_t>(allowed, 0);
    eventFrame_ = FrameAt(first);
    AppendHeld(first);
    if (!owner_.CutTrack()) {
        hasTrack_ = false;
        return;
    }
    cutDone_ = true;
    owner_.TrackTriggered(0);
    AppendHeldRange(first, size - first);
    ClearHeld();
}

bool TriggerSplitter::ManualTrackChange() {
    if (!hasTrack_) {
        return false;
    }
    // The held audio is written before the cut, so it is gone from the
    // buffer whatever the cut answers.
    eventFrame_ = conditions_.FrameBytes() > 0 ? fedBytes_ / conditions_.FrameBytes() : 0;
    FlushHeld();
    scanPosition_ = 0;
    if (!owner_.CutTrack()) {
        hasTrack_ = false;
        return false;
    }
    inTrack_ = conditions_.Mode() != CutMode::Trigger;
    return true;
}

void TriggerSplitter::Stop() {
    ClearHeld();
    scanPosition_ = 0;
}

void TriggerSplitter::FlushHeld() {
    AppendHeld(HeldSize());
    ClearHeld();
}

}  // namespace zolvane2
