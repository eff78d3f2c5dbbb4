#include "jobs/TCombineThread.h"

#include <algorithm>
#include <exception>

#include "platform/Errors.h"
#include "trackfile/TrackAudio.h"

namespace zolvane2 {

TCombineThread::TCombineThread() = default;

TCombineThread::~TCombineThread() {
    // An owned (not self-freeing) job still running is stopped here, while
    // the members it works on still exist.
    if (Running() && !FreeOnTerminate()) {
        SetCancelRequested(true);
        WaitFor();
    }
}

void TCombineThread::SetDataOffsets(std::size_t index, std::int64_t offset) {
    SetGrowing(dataOffsets_, index, offset);
}

void TCombineThread::SetDataLengths(std::size_t index, std::int64_t length) {
    SetGrowing(dataLengths_, index, length);
}

void TCombineThread::DoProgress() {
    if (onProgress_) {
        onProgress_(*this, progress_.load());
    }
}

void TCombineThread::Execute() {
    std::int64_t doneBytes = 0;
    try {
        if (rawOutput_) {
            writer_.SetFlac(std::nullopt);
        }
        writer_.OpenOutput(outputFileName_, channels_, sampleRate_, rawOutput_,
                           createNew_ ? TrackFileWriter::Create::New : TrackFileWriter::Create::Replace);
        for (std::size_t i = 0; i < fileNames_.size() && !cancelRequested_.load(); ++i) {
            CopySource(i, doneBytes);
        }
    } catch (const std::exception& e) {
        // A source that cannot be opened or read ends the copying here; what
        // was written is finished and listed below all the same.
        errorText_ = TextOf(e);
        errorDetail_ = JobErrorDetail::Of(e, source_ ? sourceName_ : std::string(), outputFileName_);
        source_.reset();
    }
    finishingCutShort_.store(!errorText_.Empty() || cancelRequested_.load());
    if (!writer_.IsOpen()) {
        return;
    }
    try {
        outputKept_ = writer_.CloseOutput() != FinishStatus::Deleted;
        outputFileName_ = writer_.FileName();
    } catch (const std::exception& e) {
        if (errorText_.Empty()) {
            errorText_ = TextOf(e);
        }
        return;
    }
    if (outputKept_ && onFileFinished_) {
        const std::string name = outputFileName_;
        Synchronize([this, &name] { onFileFinished_(name); });
    }
    if (totalBytes_ <= 0 && errorText_.Empty()) {
        // Nothing to copy: the bar still reaches its end.
        ReportProgress(100);
    }
}

void TCombineThread::CopySource(std::size_t i, std::int64_t& doneBytes) {
    // Whole frames only: a torn last frame (an odd RAW file) would shift
    // every file after it by a byte.
    const std::int64_t frameBytes = 2 * std::max<std::int64_t>(channels_, 1);
    const std::int64_t length = std::max<std::int64_t>(GrowingAt(dataLengths_, i), 0) / frameBytes * frameBytes;
    const std::int64_t blocks = length / kJobBlockBytes;
    const std::int64_t rest = length - blocks * kJobBlockBytes;
    source_ = TrackAudio::Open(fileNames_[i]);
    sourceName_ = fileNames_[i];
    std::int64_t position = GrowingAt(dataOffsets_, i);
    for (std::int64_t b = 0; b < blocks && !cancelRequested_.load(); ++b) {
        CopyBlock(position, kJobBlockBytes, doneBytes);
    }
    if (rest > 0 && !cancelRequested_.load()) {
        CopyBlock(position, rest, doneBytes);
    }
    source_.reset();
}

void TCombineThread::CopyBlock(std::int64_t& position, std::int64_t count, std::int64_t& doneBytes) {
    // A source shorter than its entry says ends the copying before its
    // incomplete block, as a short read of that block would.
    if (position < 0 || source_->GetSize64() - position < count) {
        throw ReadError(UserText(TextId::StreamRead));
    }
    // Space is reserved as the output grows, not for the whole join at once:
    // a killed join would keep all of it.
    writer_.ReserveAsItGrows(count);
    writer_.AppendRange(*source_, position, count);
    position += count;
    doneBytes += count;
    ReportProgress(JobPercent(doneBytes, totalBytes_));
}

void TCombineThread::ReportProgress(std::int32_t percent) {
    progress_.store(percent);
    if (progressThrottle_.ShouldReport(percent)) {
        Synchronize([this] { DoProgress(); });
    }
}

}  // namespace zolvane2
