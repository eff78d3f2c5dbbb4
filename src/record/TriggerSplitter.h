#pragma once

#include <cstdint>
#include <string>

#include "platform/UserMessages.h"
#include "record/CuttingConditions.h"
#include "record/SplitterOwner.h"
#include "trackfile/TMemoryStream.h"

namespace zolvane2 {

// Decides where tracks begin and end in a stream of 16-bit PCM fed block by
// block, holding back in a work buffer the audio whose fate is not yet known,
// and tells its SplitterOwner what to append and when to cut.
//
// Modes (CuttingConditions::Mode): trigger level and silence, fixed length,
// no cutting. Level of a frame = its largest sample magnitude (−32768 counts
// as 32768); a peak above TriggerLevel triggers, below it is quiet, equal is
// neither.
//
// Users:
//  - the capture thread: Start() at every recording start, ProcessBlock()
//    per filled buffer, ManualTrackChange() and Stop() as the user asks;
//  - the re-divide job: per source file Start() with the conditions it
//    computed itself (no setter messages; negative times stored as 0), with
//    Options::headerBytes = 0 for RAW pieces, Options::cutOnce for splitting
//    a file once, a SplitterOwner whose CutTrack always answers true and
//    whose TrackTriggered does nothing, and FlushHeld() for the end of the
//    source. Blocks of 409,600 bytes go through ProcessBlock unchanged. The
//    job sets Options::heldInSource: held audio then stays in the source
//    file and the splitter keeps only where it lies, so no audio is copied
//    into the work buffer (which stays empty); the owner appends bytes of
//    earlier blocks with AppendFedBytes, by their offset in the audio fed
//    since Start, and those of the current block with AppendToTrack.
//
// The setters (SetTriggerDelay, ...) correct bad values and explain each
// correction in a "設定エラー" message box (OK, no icon).
//
// Used by one thread at a time; nothing locks.
class TriggerSplitter {
public:
    struct Options {
        // Header bytes of a track file, counted into a fixed-length piece's
        // size limit: 44 for WAVE, 0 for RAW.
        std::int64_t headerBytes = 44;
        // Fixed-length mode cuts once, then goes on without cutting (the
        // split at a playback position).
        bool cutOnce = false;
        // Held audio is not copied: the owner can append any byte fed since
        // Start from its source (SplitterOwner::AppendFedBytes).
        bool heldInSource = false;
    };

    // messages: where the setters report corrections; nullptr = the
    // process-wide GetUserMessages() at the time of the call.
    explicit TriggerSplitter(SplitterOwner& owner, UserMessages* messages = nullptr);

    // Conditions. Set SampleRate before the time setters; call them in the
    // order delay, interval, tail.
    [[nodiscard]] CuttingConditions& Conditions() { return conditions_; }
    [[nodiscard]] const CuttingConditions& Conditions() const { return conditions_; }
    void SetConditions(const CuttingConditions& conditions) { conditions_ = conditions; }
    [[nodiscard]] Options& SplitOptions() { return options_; }
    void SetOptions(const Options& options) { options_ = options; }

    void SetTriggerDelay(double seconds);
    void SetTrackInterval(double seconds);
    void SetLastTimeAfterTrigger(double seconds);
    void SetDigits(std::int32_t digits);
    void SetMaxTrackNumber(std::int64_t maxNumber);

    // Seconds × rate in extended precision, truncated toward zero (0.3 s at
    // 44100 Hz gives 13229 frames).
    [[nodiscard]] static std::int64_t SecondsToFrames(std::int32_t sampleRate, double seconds);
    // The seconds as the messages show them: general format, up to 15
    // significant digits ("-0.05").
    [[nodiscard]] static std::string SecondsText(double seconds);

    // Empties the buffers and sets the state for a new run: in track at once
    // in fixed-length and no-cut modes, waiting in trigger mode.
    void Start();
    // Takes one recorded block.
    void ProcessBlock(const void* bytes, std::int64_t count);
    // Manual track change: appends all held audio to the current file, cuts,
    // empties the buffer and waits for a trigger again (in fixed-length and
    // no-cut modes it is in a track again at once; the owner reports that
    // start as it does at Start). Answers the cut's answer.
    bool ManualTrackChange();
    // End of a run: held audio is discarded, not written.
    void Stop();
    // Appends all held audio to the current file and empties the buffer
    // (re-divide, at the end of a source file).
    void FlushHeld();

    [[nodiscard]] bool InTrack() const { return inTrack_; }
    // False after a cut found no next file; blocks are then ignored until Start.
    [[nodiscard]] bool HasTrack() const { return hasTrack_; }
    [[nodiscard]] std::int64_t SilenceCount() const { return silenceCount_; }
    [[nodiscard]] std::int64_t ScanPosition() const { return scanPosition_; }
    // The frame, counted from Start, at which the latest trigger (its loud
    // frame) or cut lies; read it inside the owner's TrackTriggered and
    // CutTrack.
    [[nodiscard]] std::int64_t EventFrame() const { return eventFrame_; }
    [[nodiscard]] const TMemoryStream& WorkBuffer() const { return workBuffer_; }
    // Where bytes handed to the owner's AppendToTrack lie in the stream fed
    // since Start, as a byte offset: the work buffer always ends with the
    // last byte fed.
    [[nodiscard]] std::int64_t StreamOffsetOf(const std::uint8_t* bytes) const {
        if (options_.heldInSource) {
            return fedBytes_ - heldSize_ + blockStart_ + (bytes - block_);
        }
        return fedBytes_ - workBuffer_.Size() + (bytes - workBuffer_.Data());
    }

private:
    void ProcessTrigger();
    void ProcessFixedLength();
    bool FindTrigger();
    bool FindTrackEnd();
    void AppendHeld(std::int64_t count);
    // The frame (from Start) of a byte offset in the work buffer.
    [[nodiscard]] std::int64_t FrameAt(std::int64_t offset) const;
    // The held audio, wherever it lies: in the work buffer, or only as a
    // place in the audio fed since Start (Options::heldInSource).
    [[nodiscard]] std::int64_t HeldSize() const;
    // Bytes of the held audio from offset on; with heldInSource, only bytes
    // of the block being processed can be scanned.
    [[nodiscard]] const std::uint8_t* ScanAt(std::int64_t offset) const;
    // The first held offset that can be scanned.
    [[nodiscard]] std::int64_t FirstScannable() const;
    void AppendHeldRange(std::int64_t from, std::int64_t count);
    void KeepHeldFrom(std::int64_t offset);
    void ClearHeld();
    void SetHeldPosition(std::int64_t position);
    void ShowSettingsError(const UserText& text);
    // Frames of a time setting; a negative time is explained and taken as 0.
    [[nodiscard]] std::int32_t TimeSettingFrames(double seconds, TextId negative);

    SplitterOwner& owner_;
    UserMessages* messages_;
    CuttingConditions conditions_;
    Options options_;
    TMemoryStream workBuffer_;
    bool inTrack_ = false;
    bool hasTrack_ = true;
    bool cutDone_ = false;  // cutOnce: the one cut has happened
    std::int64_t silenceCount_ = 0;
    std::int64_t scanPosition_ = 0;
    std::int64_t fedBytes_ = 0;  // bytes given to ProcessBlock since Start
    std::int64_t eventFrame_ = 0;
    // heldInSource: bytes held (the last of those fed), and the block being
    // processed with its held offset.
    std::int64_t heldSize_ = 0;
    const std::uint8_t* block_ = nullptr;
    std::int64_t blockStart_ = 0;
};

}  // namespace zolvane2
