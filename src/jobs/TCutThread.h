#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/CutPointLog.h"
#include "jobs/GapCutPlan.h"
#include "jobs/JobEvents.h"
#include "jobs/TrackNamePlan.h"
#include "platform/Thread.h"
#include "record/SplitterOwner.h"
#include "record/TriggerSplitter.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackFileWriter.h"
#include "trackfile/TrackFormat.h"

namespace zolvane2 {

// Re-divides existing WAVE and RAW files into numbered pieces by the cutting
// rules of the recorder: by trigger level and silence, by fixed length, not at
// all, or once at a given time (the split at a playback position).
//
// Threads: the main thread creates the object suspended, calls the setters,
// then Resume; from then on it only sets CancelRequested. Execute, the
// streams, the splitter and the writer belong to the worker. The worker
// reaches the main thread only through Synchronize (progress, each kept
// piece) and the end notification (Thread::SetOnTerminate, the window's
// JobFinished), which runs after Execute has returned.
//
// Pieces of source "dir/Name.ext" are "dir/Name-" + number + ".wav"/".raw",
// the number zero-padded to Digits and starting again at 1 for every source,
// skipping numbers already taken on disk, without upper limit.
class TCutThread : public Thread, private SplitterOwner {
public:
    TCutThread();
    ~TCutThread() override;

    // Per source file, in list order. The array setters grow their array to
    // index + 1 when index is beyond its end.
    void SetFileNames(std::vector<std::string> fileNames) { fileNames_ = std::move(fileNames); }
    void SetDataOffsets(std::size_t index, std::int64_t offset);
    void SetDataLengths(std::size_t index, std::int64_t length);
    void SetSampleRates(std::size_t index, std::int32_t sampleRate);
    void SetChannelCounts(std::size_t index, std::int32_t channels);

    // Times in seconds; negative values are stored as 0. LastTimeAfterTrigger
    // is limited to TrackInterval, so set TrackInterval first.
    void SetTriggerDelay(double seconds);
    void SetTrackInterval(double seconds);
    void SetLastTimeAfterTrigger(double seconds);
    void SetTriggerLevel(std::int32_t level) { triggerLevel_ = level; }
    void SetDigits(std::int32_t digits) { digits_ = digits; }
    void SetTotalBytes(std::int64_t total) { totalBytes_ = total; }
    void SetUseTrigger(bool value) { useTrigger_ = value; }
    void SetCutByInterval(bool value) { cutByInterval_ = value; }
    void SetIntervalSeconds(double seconds) { intervalSeconds_ = seconds; }
    void SetCutOnce(bool value) { cutOnce_ = value; }
    void SetRawOutput(bool value) { rawOutput_ = value; }
    // FLAC pieces (unless RAW is asked for), each tagged with tags.
    void SetFlacOutput(std::optional<FlacSettings> settings, TrackTags tags = {}) {
        flacOutput_ = settings;
        tags_ = std::move(tags);
    }
    [[nodiscard]] TrackFormat OutputFormat() const {
        return rawOutput_ ? TrackFormat::Raw : flacOutput_ ? TrackFormat::Flac : TrackFormat::Wave;
    }
    void SetOnProgress(TProgressEvent handler) { onProgress_ = std::move(handler); }
    // Each kept piece (the window's AddFileToList with row −1).
    void SetOnFileFinished(TFileFinishedEvent handler) { onFileFinished_ = std::move(handler); }
    // Trigger mode: a piece shorter than this is deleted like an empty one
    // and its number used again; 0 keeps every piece.
    void SetMinimumTrackLength(double seconds) { minimumSeconds_ = std::max(seconds, 0.0); }
    // Notes where every kept piece lies in its source (the caller's, alive
    // until the end notification has run).
    void SetCutPointLog(CutPointLog* log) { cutPointLog_ = log; }
    // Writes no piece: only the numbering and the log run as they would.
    void SetDryRun(bool value) { writer_.SetDryRun(value); }
    // Cuts each source into exactly these frame ranges, in this order,
    // instead of by the cutting rules; no range cuts nothing.
    void SetCutRanges(std::vector<CutPoint> ranges) {
        cutRanges_ = std::move(ranges);
        cutAtRanges_ = true;
    }
    // With SetCutRanges: a range's Name is the TITLE tag of its FLAC piece.
    void SetTitlesFromRanges(bool value) { titlesFromRanges_ = value; }
    // Pieces go to outputBase + number instead of beside their source
    // (OutputBaseFor); for one source only.
    void SetOutputBase(std::string outputBase) { fixedOutputBase_ = std::move(outputBase); }
    // Cuts each source where the gap finder finds its pieces, after a first
    // pass over it, instead of by the other cutting rules.
    void SetGapRules(const GapCutPlan::Rules& rules) {
        gapRules_ = rules;
        findGaps_ = true;
    }
    [[nodiscard]] bool FindsGaps() const { return findGaps_; }
    [[nodiscard]] const GapCutPlan::Rules& GapRules() const { return gapRules_; }
    // What the gap finder could not do as told, per source in order; read it
    // in the end notification.
    [[nodiscard]] const std::vector<UserText>& GapWarnings() const { return gapWarnings_; }
    // Names and tags the pieces of each source from a track list, in order,
    // instead of numbering them with the tags of SetFlacOutput.
    void SetNamePlan(std::shared_ptr<const TrackNamePlan> plan) { namePlan_ = std::move(plan); }
    // Where a source's pieces did not match the list's length, per source in
    // order; read it in the end notification.
    [[nodiscard]] const std::vector<UserText>& NamingWarnings() const { return namingWarnings_; }
    // Called on the worker just before each piece is created, with its name;
    // tests take the name there, as another program may.
    void SetBeforeCreate(std::function<void(const std::string&)> hook) { beforeCreate_ = std::move(hook); }
    // The cancel button; the worker looks at it between blocks.
    void SetCancelRequested(bool value) { cancelRequested_.store(value); }

    [[nodiscard]] const std::vector<std::string>& FileNames() const { return fileNames_; }
    [[nodiscard]] double TriggerDelay() const { return triggerDelay_; }
    [[nodiscard]] double TrackInterval() const { return trackInterval_; }
    [[nodiscard]] double LastTimeAfterTrigger() const { return lastTimeAfterTrigger_; }
    [[nodiscard]] std::int32_t TriggerLevel() const { return triggerLevel_; }
    [[nodiscard]] std::int32_t Digits() const { return digits_; }
    [[nodiscard]] std::int64_t TotalBytes() const { return totalBytes_; }
    [[nodiscard]] bool UseTrigger() const { return useTrigger_; }
    [[nodiscard]] bool CutByInterval() const { return cutByInterval_; }
    [[nodiscard]] double IntervalSeconds() const { return intervalSeconds_; }
    [[nodiscard]] bool CutOnce() const { return cutOnce_; }
    [[nodiscard]] bool RawOutput() const { return rawOutput_; }
    [[nodiscard]] bool CancelRequested() const { return cancelRequested_.load(); }
    [[nodiscard]] std::int32_t Progress() const { return progress_.load(); }
    // Pieces deleted for being shorter than the minimum length.
    [[nodiscard]] std::int32_t ShortPiecesDropped() const { return shortDropped_.load(); }
    // The text of the error that ended the job early ("" when none); read it
    // in the end notification.
    [[nodiscard]] std::string ErrorMessage() const { return errorText_.Japanese(); }
    [[nodiscard]] const UserText& ErrorText() const { return errorText_; }
    // The file and the system's reason behind ErrorMessage.
    [[nodiscard]] const JobErrorDetail& ErrorDetail() const { return errorDetail_; }
    // While OnFileFinished runs: whether that file was cut short by a cancel
    // or an error, so that it is not taken for a finished one.
    [[nodiscard]] bool FinishingCutShort() const { return finishingCutShort_.load(); }

    // Piece names: OutputBase + number formatted to digits.
    [[nodiscard]] static std::string OutputBaseFor(const std::string& sourcePath);

protected:
    void Execute() override;
    // Hands Progress to OnProgress; runs on the main thread.
    virtual void DoProgress();

private:
    // SplitterOwner: the splitter appends to and cuts the open piece.
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override;
    // Held audio is copied to the piece straight from the source file.
    void AppendFedBytes(std::int64_t fedOffset, std::int64_t count) override;
    // Keeps where the piece's bytes lie in the file against the audio fed.
    void Appended(std::int64_t fedOffset, std::int64_t count);
    // Reads the next count bytes of the source into the block buffer.
    [[nodiscard]] const std::uint8_t* ReadBlock(std::int64_t count);
    [[nodiscard]] bool CutTrack() override;
    void TrackTriggered(std::int64_t preRollFrames) override;
    [[nodiscard]] std::int64_t CurrentTrackSize() override;

    // Cuts source i; false when a cancel ended the job.
    bool CutFile(std::size_t i, std::int64_t& doneBytes);
    // CutFile for SetCutRanges.
    bool CutRanges(std::size_t i, std::int64_t& doneBytes);
    // CutFile for SetGapRules: the finder's pass, then CutRanges.
    bool CutGaps(std::size_t i, std::int64_t& doneBytes);
    void FindFreeNumber();
    // The pieces of source i against the name plan's list.
    void NoteListFit(std::size_t i);
    void OpenOutput();
    // Finishes the open piece, reports it when kept, moves the number on.
    bool CloseOutput();
    void ReportProgress(std::int64_t done);

    std::vector<std::string> fileNames_;
    std::string outputFileName_;
    std::vector<std::int64_t> dataOffsets_;
    std::vector<std::int64_t> dataLengths_;
    std::int64_t trackNumber_ = 1;
    std::unique_ptr<TLongStream> source_;
    std::string sourceName_;             // source_'s file, for messages
    std::int64_t sourceDataOffset_ = 0;  // where the audio fed to the splitter begins
    TrackFileWriter writer_{CapPolicy::Redivide};
    TriggerSplitter splitter_;
    std::vector<std::uint8_t> block_;
    std::uint8_t* blockData_ = nullptr;  // the block within block_
    std::int64_t blockFedStart_ = 0;     // its offset in the audio fed
    // The open piece: its size, and the file offset of fed byte x less x.
    bool pieceHasData_ = false;
    std::int64_t pieceFileEnd_ = 0;
    std::int64_t pieceShift_ = 0;
    std::string outputBase_;
    double triggerDelay_ = 0;
    std::int32_t triggerLevel_ = 0;
    double trackInterval_ = 0;
    double lastTimeAfterTrigger_ = 0;
    std::int32_t sampleRate_ = 0;
    std::vector<std::int32_t> sampleRates_;
    std::int32_t digits_ = 5;
    std::vector<std::int32_t> channelCounts_;
    std::int32_t channels_ = 0;
    std::int64_t totalBytes_ = 0;
    std::atomic<std::int32_t> progress_{0};
    ProgressThrottle progressThrottle_;  // the worker's
    TProgressEvent onProgress_;
    TFileFinishedEvent onFileFinished_;
    std::atomic<bool> cancelRequested_{false};
    bool useTrigger_ = true;
    bool cutByInterval_ = false;
    double intervalSeconds_ = 0;
    bool cutOnce_ = false;
    bool rawOutput_ = false;
    std::optional<FlacSettings> flacOutput_;
    TrackTags tags_;
    UserText errorText_;
    JobErrorDetail errorDetail_;
    std::atomic<bool> finishingCutShort_{false};
    double minimumSeconds_ = 0;
    std::int64_t minimumFrames_ = 0;  // of the current source; trigger mode only
    std::atomic<std::int32_t> shortDropped_{0};
    CutPointLog* cutPointLog_ = nullptr;
    std::vector<CutPoint> cutRanges_;
    bool cutAtRanges_ = false;
    bool titlesFromRanges_ = false;
    std::string rangeTitle_;  // of the piece being opened
    std::string fixedOutputBase_;
    GapCutPlan::Rules gapRules_;
    bool findGaps_ = false;
    std::vector<UserText> gapWarnings_;
    std::function<void(const std::string&)> beforeCreate_;
    std::shared_ptr<const TrackNamePlan> namePlan_;
    std::int64_t keptPieces_ = 0;  // of the current source
    std::vector<UserText> namingWarnings_;
};

}  // namespace zolvane2
