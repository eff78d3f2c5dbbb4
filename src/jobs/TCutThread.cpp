#include "jobs/TCutThread.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TrackAudio.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

TCutThread::TCutThread() : splitter_(*this, nullptr) {}

TCutThread::~TCutThread() {
    // An owned (not self-freeing) job still running is stopped here, while
    // the members it works on still exist.
    if (Running() && !FreeOnTerminate()) {
        SetCancelRequested(true);
        WaitFor();
    }
}

void TCutThread::SetDataOffsets(std::size_t index, std::int64_t offset) {
    SetGrowing(dataOffsets_, index, offset);
}
void TCutThread::SetDataLengths(std::size_t index, std::int64_t length) {
    SetGrowing(dataLengths_, index, length);
}
void TCutThread::SetSampleRates(std::size_t index, std::int32_t sampleRate) {
    SetGrowing(sampleRates_, index, sampleRate);
}
void TCutThread::SetChannelCounts(std::size_t index, std::int32_t channels) {
    SetGrowing(channelCounts_, index, channels);
}

void TCutThread::SetTriggerDelay(double seconds) {
    triggerDelay_ = std::max(seconds, 0.0);
}
void TCutThread::SetTrackInterval(double seconds) {
    trackInterval_ = std::max(seconds, 0.0);
}
void TCutThread::SetLastTimeAfterTrigger(double seconds) {
    lastTimeAfterTrigger_ = std::min(std::max(seconds, 0.0), trackInterval_);
}

std::string TCutThread::OutputBaseFor(const std::string& sourcePath) {
    return TrackNaming::Stem(sourcePath) + "-";
}

void TCutThread::DoProgress() {
    if (onProgress_) {
        onProgress_(*this, progress_.load());
    }
}

void TCutThread::ReportProgress(std::int64_t done) {
    const std::int32_t percent = JobPercent(done, totalBytes_);
    progress_.store(percent);
    if (progressThrottle_.ShouldReport(percent)) {
        Synchronize([this] { DoProgress(); });
    }
}

void TCutThread::Execute() {
    std::int64_t doneBytes = 0;
    writer_.SetFlac(rawOutput_ ? std::nullopt : flacOutput_);
    writer_.SetTags(tags_);
    try {
        for (std::size_t i = 0; i < fileNames_.size() && !cancelRequested_.load(); ++i) {
            // Given ranges win over every cutting rule.
            const bool goOn = cutAtRanges_ ? CutRanges(i, doneBytes)
                              : findGaps_  ? CutGaps(i, doneBytes)
                                           : CutFile(i, doneBytes);
            if (!goOn) {
                break;
            }
            NoteListFit(i);
        }
    } catch (const std::exception& e) {
        // The job ends here; the error is kept for whoever shows it, and the
        // piece being written is finished so that its audio does not sit
        // behind a provisional header.
        errorText_ = TextOf(e);
        errorDetail_ = JobErrorDetail::Of(e, source_ ? sourceName_ : std::string(), writer_.FileName());
        finishingCutShort_.store(true);
        try {
            if (writer_.IsOpen()) {
                CloseOutput();
            }
        } catch (...) {
            // Finishing failed as well (disk gone); the first error is the one told.
        }
    }
    source_.reset();
}

bool TCutThread::CutFile(std::size_t i, std::int64_t& doneBytes) {
    const std::string& path = fileNames_[i];
    // The source is opened before the first piece exists, so an unopenable
    // source leaves nothing behind.
    source_ = TrackAudio::Open(path);
    sourceName_ = path;
    outputBase_ = fixedOutputBase_.empty() ? OutputBaseFor(path) : fixedOutputBase_;
    channels_ = GrowingAt(channelCounts_, i);
    sampleRate_ = GrowingAt(sampleRates_, i);
    if (channels_ < 1) {
        // A channel count the list could not name: there are no frames to
        // scan, so the file is refused instead of dividing by zero.
        throw Error(UserText(TextId::UnsupportedWave, {path}));
    }
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(channels_);
    CuttingConditions c;
    c.SampleRate = sampleRate_;
    c.Channels = channels_;
    c.UseTrigger = useTrigger_;
    c.CutByInterval = cutByInterval_ || cutOnce_;
    c.TriggerLevel = triggerLevel_;
    const auto frames32 = [this](double seconds) {
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(TriggerSplitter::SecondsToFrames(sampleRate_, seconds), INT32_MAX));
    };
    c.DelayFrames = frames32(triggerDelay_);
    c.SilenceFrames = frames32(trackInterval_);
    c.TailFrames = frames32(lastTimeAfterTrigger_);
    const long double intervalBytes =
        std::trunc(static_cast<long double>(sampleRate_) * intervalSeconds_ * 2 * channels_);
    const auto wholeBytes = static_cast<std::int64_t>(std::clamp<long double>(intervalBytes, -1e17L, 1e17L));
    c.IntervalFrames = (wholeBytes - wholeBytes % frameBytes) / frameBytes;
    c.Digits = digits_;
    minimumFrames_ = useTrigger_ ? TriggerSplitter::SecondsToFrames(sampleRate_, minimumSeconds_) : 0;
    splitter_.SetConditions(c);
    splitter_.SetOptions({writer_.HeaderSizeFor(rawOutput_), cutOnce_, true});
    splitter_.Start();

    if (cutPointLog_ != nullptr) {
        cutPointLog_->Start(frameBytes);
    }
    trackNumber_ = 1;
    keptPieces_ = 0;
    FindFreeNumber();
    OpenOutput();

    const std::int64_t offset = GrowingAt(dataOffsets_, i);
    // Whole frames only: a torn last frame (an odd RAW file) is no audio.
    const std::int64_t length = GrowingAt(dataLengths_, i) / frameBytes * frameBytes;
    source_->SetPosition64(offset);
    sourceDataOffset_ = source_->GetPosition64();
    // Blocks of the data region only, however far into the file it starts:
    // chunks that follow the data (tags, cue lists) are not audio and stay
    // out of the pieces. A whole block the file no longer holds is a read
    // error; a last, shorter block ends where the file ends.
    const std::int64_t dataEnd = offset + std::max<std::int64_t>(length, 0);
    const std::int64_t fileEnd = std::min(source_->GetSize64(), dataEnd);
    for (std::int64_t at = source_->GetPosition64(); at < dataEnd && !cancelRequested_.load();) {
        std::int64_t count = std::min(kJobBlockBytes, dataEnd - at);
        if (count < kJobBlockBytes) {
            count = fileEnd - at;
            if (count <= 0) {
                break;
            }
        }
        splitter_.ProcessBlock(ReadBlock(count), count);
        at += count;
        ReportProgress(at - offset + doneBytes);
    }
    if (cancelRequested_.load()) {
        // What the splitter still holds is dropped with it.
        finishingCutShort_.store(true);
        CloseOutput();
        source_.reset();
        return false;
    }
    splitter_.FlushHeld();
    CloseOutput();
    ReportProgress(source_->GetPosition64() - offset + doneBytes);
    doneBytes += std::max<std::int64_t>(source_->GetPosition64() - offset, 0);
    source_.reset();
    block_.clear();
    block_.shrink_to_fit();
    return true;
}

const std::uint8_t* TCutThread::ReadBlock(std::int64_t count) {
    // The kernel copies the source's pages into the block and, from there,
    // the piece's; the block is placed so that both copies run at full
    // speed for the piece being written (see TLongFileStream::BufferPlacement).
    constexpr std::int64_t kAlign = TLongFileStream::kCopyAlign;
    const std::int64_t position = source_->GetPosition64();
    const std::int64_t place =
        position + (pieceHasData_ ? TLongFileStream::BufferPlacement(pieceShift_ - sourceDataOffset_) : 0);
    block_.resize(static_cast<std::size_t>(count + kAlign));
    const auto address = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(block_.data()));
    blockData_ = block_.data() + ((place - address) & (kAlign - 1));
    blockFedStart_ = position - sourceDataOffset_;
    source_->ReadBuffer(blockData_, count);
    return blockData_;
}

bool TCutThread::CutRanges(std::size_t i, std::int64_t& doneBytes) {
    const std::string& path = fileNames_[i];
    source_ = TrackAudio::Open(path);
    sourceName_ = path;
    outputBase_ = fixedOutputBase_.empty() ? OutputBaseFor(path) : fixedOutputBase_;
    channels_ = std::max(GrowingAt(channelCounts_, i), 1);
    sampleRate_ = GrowingAt(sampleRates_, i);
    minimumFrames_ = 0;
    const std::int64_t frameBytes = 2 * static_cast<std::int64_t>(channels_);
    const std::int64_t offset = GrowingAt(dataOffsets_, i);
    const std::int64_t dataEnd =
        std::min(source_->GetSize64(), offset + std::max<std::int64_t>(GrowingAt(dataLengths_, i), 0));
    if (cutPointLog_ != nullptr) {
        cutPointLog_->Start(frameBytes);
    }
    trackNumber_ = 1;
    keptPieces_ = 0;
    FindFreeNumber();
    for (const CutPoint& range : cutRanges_) {
        const std::int64_t from = offset + range.StartFrame * frameBytes;
        const std::int64_t to = std::min(offset + range.EndFrame * frameBytes, dataEnd);
        rangeTitle_ = titlesFromRanges_ ? range.Name : std::string();
        OpenOutput();
        source_->SetPosition64(from);
        for (std::int64_t at = from; at < to && !cancelRequested_.load();) {
            const std::int64_t count = std::min(kJobBlockBytes, to - at);
            if (cutPointLog_ != nullptr) {
                cutPointLog_->Appended(at - offset, count);
            }
            writer_.AppendRange(*source_, at, count);
            at += count;
            doneBytes += findGaps_ ? count / 2 : count;
            ReportProgress(doneBytes);
        }
        CloseOutput();
        if (cancelRequested_.load()) {
            source_.reset();
            return false;
        }
    }
    source_.reset();
    return true;
}

bool TCutThread::CutGaps(std::size_t i, std::int64_t& doneBytes) {
    const std::string& path = fileNames_[i];
    // A FLAC source is searched in its decoded frames, as it is cut.
    source_ = TrackAudio::Open(path);
    sourceName_ = path;
    const std::int64_t offset = GrowingAt(dataOffsets_, i);
    const std::int64_t length =
        std::min(source_->GetSize64() - offset, std::max<std::int64_t>(GrowingAt(dataLengths_, i), 0));
    // The pass and the cut each count half of the source's share of the progress.
    const std::int64_t start = doneBytes;
    const auto outcome = GapCutPlan::Find(*source_, path, offset, length, GrowingAt(sampleRates_, i),
                                          GrowingAt(channelCounts_, i), gapRules_, [this, start](std::int64_t done) {
                                              ReportProgress(start + done / 2);
                                              return !cancelRequested_.load();
                                          });
    source_.reset();
    if (!outcome) {
        return false;
    }
    gapWarnings_.insert(gapWarnings_.end(), outcome->warnings.begin(), outcome->warnings.end());
    cutRanges_ = outcome->ranges;
    const std::int64_t cutStart = start + std::max<std::int64_t>(length, 0) / 2;
    doneBytes = cutStart;
    const bool finished = CutRanges(i, doneBytes);
    doneBytes = start + std::max<std::int64_t>(length, 0);
    return finished;
}

void TCutThread::FindFreeNumber() {
    trackNumber_ = TrackNaming::FindFreeNumberUnbounded(outputBase_, digits_, trackNumber_);
}

void TCutThread::NoteListFit(std::size_t i) {
    if (!namePlan_ || static_cast<std::size_t>(keptPieces_) == namePlan_->Count()) {
        return;
    }
    const bool longer = static_cast<std::size_t>(keptPieces_) < namePlan_->Count();
    namingWarnings_.emplace_back(longer ? TextId::TrackListLonger : TextId::TrackListShorter,
                                 std::initializer_list<UserText>{fileNames_[i], std::to_string(namePlan_->Count()),
                                                                 std::to_string(keptPieces_)});
}

void TCutThread::OpenOutput() {
    const auto index = static_cast<std::size_t>(keptPieces_);
    const auto open = [this, index](const std::string& path, std::int64_t number) {
        outputFileName_ = path;
        if (beforeCreate_) {
            beforeCreate_(outputFileName_);
        }
        // A FLAC piece is numbered in its tags as in its name.
        TrackTags tags = namePlan_ ? namePlan_->TagsFor(index) : tags_;
        if (tags.trackNumber.empty()) {
            tags.trackNumber = std::to_string(number);
        }
        if (!rangeTitle_.empty()) {
            tags.title = rangeTitle_;
        }
        writer_.SetTags(std::move(tags));
        writer_.OpenOutput(outputFileName_, channels_, sampleRate_, rawOutput_, TrackFileWriter::Create::New);
    };
    if (const std::string name = namePlan_ ? namePlan_->NameFor(index) : ""; !name.empty()) {
        (void)TrackNaming::CreateAtFreeName(FileSystem::FolderOf(outputBase_), name, TrackExtension(OutputFormat()),
                                            [&open](const std::string& path) { open(path, 0); });
    } else {
        if (namePlan_) {
            // Past the named pieces the numbers go on from the piece's place.
            trackNumber_ = TrackNaming::FindFreeNumberUnbounded(outputBase_, digits_,
                                                                std::max<std::int64_t>(trackNumber_, keptPieces_ + 1));
        }
        // A name taken since the search (a second split of the same file, or
        // another program) sends the piece to the next free number.
        trackNumber_ = TrackNaming::CreateAtFreeNumber(
            outputBase_, digits_, trackNumber_, std::numeric_limits<std::int64_t>::max(),
            [this, &open](std::int64_t number) {
                open(TrackNaming::TrackFileName(outputBase_, number, digits_, OutputFormat()), number);
            });
    }
    pieceHasData_ = false;
    pieceFileEnd_ = writer_.HeaderSize();
}

bool TCutThread::CloseOutput() {
    const std::int64_t frames =
        (writer_.CurrentSize() - writer_.HeaderSize()) / (2 * std::int64_t{std::max(channels_, 1)});
    FinishStatus status = FinishStatus::Deleted;
    if (frames > 0 && frames < minimumFrames_) {
        writer_.DeleteOutput();
        shortDropped_.fetch_add(1);
    } else {
        status = writer_.CloseOutput();
    }
    outputFileName_ = writer_.FileName();
    const bool kept = status != FinishStatus::Deleted;
    if (kept) {
        ++keptPieces_;
    }
    if (cutPointLog_ != nullptr) {
        cutPointLog_->PieceClosed(kept, outputFileName_);
    }
    if (kept && writer_.DryRun()) {
        ++trackNumber_;  // no file holds the number, yet the piece took it
    }
    if (kept && onFileFinished_ && !writer_.DryRun()) {
        const std::string name = outputFileName_;
        Synchronize([this, &name] { onFileFinished_(name); });
    }
    // A kept piece's number is taken now; a deleted one's is free again.
    FindFreeNumber();
    return kept;
}

void TCutThread::AppendToTrack(const std::uint8_t* bytes, std::int64_t count) {
    writer_.ReserveAsItGrows(count);
    writer_.Append(bytes, count);
    Appended(blockFedStart_ + (bytes - blockData_), count);
}

void TCutThread::AppendFedBytes(std::int64_t fedOffset, std::int64_t count) {
    writer_.ReserveAsItGrows(count);
    writer_.AppendRange(*source_, sourceDataOffset_ + fedOffset, count);
    Appended(fedOffset, count);
}

void TCutThread::Appended(std::int64_t fedOffset, std::int64_t count) {
    pieceFileEnd_ += count;
    pieceShift_ = pieceFileEnd_ - (fedOffset + count);
    pieceHasData_ = true;
    if (cutPointLog_ != nullptr) {
        cutPointLog_->Appended(fedOffset, count);
    }
}

bool TCutThread::CutTrack() {
    CloseOutput();
    OpenOutput();
    return true;
}

void TCutThread::TrackTriggered(std::int64_t /*preRollFrames*/) {}

std::int64_t TCutThread::CurrentTrackSize() {
    return writer_.CurrentSize();
}

}  // namespace zolvane2
