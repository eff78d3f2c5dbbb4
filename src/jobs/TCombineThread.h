#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/JobEvents.h"
#include "platform/Thread.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackFileWriter.h"

namespace zolvane2 {

// Joins the audio data regions of several files, in order, into one new WAVE
// or RAW file.
//
// Threads: the main thread creates the object suspended, calls the setters,
// then Resume; afterwards it only sets CancelRequested. Execute, the streams
// and the writer belong to the worker, which reaches the main thread only
// through Synchronize (progress, the finished file) and the end notification
// (Thread::SetOnTerminate, the window's JobFinished) after Execute returned.
//
// The output exists from the job's first moment and is finished exactly once
// at its end, whatever ended it: a WAVE file's header is patched (capped and
// renamed "_tooLONG" from 2,147,483,656 bytes on), an empty one deleted.
class TCombineThread : public Thread {
public:
    TCombineThread();
    ~TCombineThread() override;

    void SetFileNames(std::vector<std::string> fileNames) { fileNames_ = std::move(fileNames); }
    // Grow to index + 1 when index is beyond the end.
    void SetDataOffsets(std::size_t index, std::int64_t offset);
    void SetDataLengths(std::size_t index, std::int64_t length);
    void SetOutputFileName(std::string path) { outputFileName_ = std::move(path); }
    void SetSampleRate(std::int32_t sampleRate) { sampleRate_ = sampleRate; }
    void SetChannels(std::int32_t channels) { channels_ = channels; }
    void SetTotalBytes(std::int64_t total) { totalBytes_ = total; }
    void SetRawOutput(bool value) { rawOutput_ = value; }
    // A FLAC output (unless RAW is asked for), tagged with tags.
    void SetFlacOutput(std::optional<FlacSettings> settings, TrackTags tags = {}) {
        writer_.SetFlac(settings);
        writer_.SetTags(std::move(tags));
    }
    // The output is created only where nothing is at its name (never through
    // a symbolic link); otherwise a file there is replaced.
    void SetCreateNew(bool value) { createNew_ = value; }
    void SetOnProgress(TProgressEvent handler) { onProgress_ = std::move(handler); }
    // The finished file when it is kept (the window's AddFileToList, row −1).
    void SetOnFileFinished(TFileFinishedEvent handler) { onFileFinished_ = std::move(handler); }
    void SetCancelRequested(bool value) { cancelRequested_.store(value); }

    [[nodiscard]] const std::vector<std::string>& FileNames() const { return fileNames_; }
    // After the job: the name the output really has ("_tooLONG.wav" when capped).
    [[nodiscard]] const std::string& OutputFileName() const { return outputFileName_; }
    [[nodiscard]] std::int32_t SampleRate() const { return sampleRate_; }
    [[nodiscard]] std::int32_t Channels() const { return channels_; }
    [[nodiscard]] std::int64_t TotalBytes() const { return totalBytes_; }
    [[nodiscard]] bool RawOutput() const { return rawOutput_; }
    [[nodiscard]] bool CancelRequested() const { return cancelRequested_.load(); }
    [[nodiscard]] std::int32_t Progress() const { return progress_.load(); }
    // Whether the output was kept (read in the end notification).
    [[nodiscard]] bool OutputKept() const { return outputKept_; }
    // The text of the error that ended the job early ("" when none).
    [[nodiscard]] std::string ErrorMessage() const { return errorText_.Japanese(); }
    [[nodiscard]] const UserText& ErrorText() const { return errorText_; }
    // The file and the system's reason behind ErrorMessage.
    [[nodiscard]] const JobErrorDetail& ErrorDetail() const { return errorDetail_; }
    // While OnFileFinished runs: whether that file was cut short by a cancel
    // or an error, so that it is not taken for a finished one.
    [[nodiscard]] bool FinishingCutShort() const { return finishingCutShort_.load(); }

protected:
    void Execute() override;
    virtual void DoProgress();

private:
    void CopySource(std::size_t i, std::int64_t& doneBytes);
    // Copies count bytes of the source from position on and moves position past them.
    void CopyBlock(std::int64_t& position, std::int64_t count, std::int64_t& doneBytes);
    void ReportProgress(std::int32_t percent);

    std::vector<std::string> fileNames_;
    std::string outputFileName_;
    std::vector<std::int64_t> dataOffsets_;
    std::vector<std::int64_t> dataLengths_;
    std::unique_ptr<TLongStream> source_;
    std::string sourceName_;  // source_'s file, for messages
    TrackFileWriter writer_{CapPolicy::RecorderAndCombine};
    std::int32_t sampleRate_ = 44100;
    std::int32_t channels_ = 2;
    std::atomic<std::int32_t> progress_{0};
    ProgressThrottle progressThrottle_;  // the worker's
    TProgressEvent onProgress_;
    TFileFinishedEvent onFileFinished_;
    std::atomic<bool> cancelRequested_{false};
    std::int64_t totalBytes_ = 0;
    bool rawOutput_ = false;
    bool createNew_ = false;
    bool outputKept_ = false;
    UserText errorText_;
    JobErrorDetail errorDetail_;
    std::atomic<bool> finishingCutShort_{false};
};

}  // namespace zolvane2
