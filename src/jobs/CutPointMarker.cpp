#include "jobs/CutPointMarker.h"

#include <exception>

#include "jobs/CutPointFile.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

CutPointMarker::CutPointMarker(std::string labelsPath, std::string cuePath)
    : labelsPath_(std::move(labelsPath)), cuePath_(std::move(cuePath)), splitter_(*this) {}

void CutPointMarker::RecordingStarted(const std::string& fileName, const CuttingConditions& conditions) {
    CuttingConditions& c = splitter_.Conditions();
    c.SampleRate = conditions.SampleRate;
    c.Channels = conditions.Channels;
    c.UseTrigger = true;
    masterName_ = fileName;
    log_.Start(c.FrameBytes());
    pieceBytes_ = 0;
    number_ = 1;
    running_ = true;
    splitter_.Start();
    // Empty files at once, so that a run killed before its first piece
    // does not leave the files of an earlier run behind.
    WriteFiles();
}

void CutPointMarker::BlockRecorded(const std::uint8_t* bytes, std::int64_t count) {
    if (running_) {
        splitter_.ProcessBlock(bytes, count);
    }
}

void CutPointMarker::RecordingStopped() {
    if (!running_) {
        return;
    }
    // As when cutting: the quiet run held at the end is not part of a piece.
    splitter_.Stop();
    ClosePiece();
    running_ = false;
}

UserText CutPointMarker::Error() const {
    const std::lock_guard lock(errorMutex_);
    return error_;
}

void CutPointMarker::AppendToTrack(const std::uint8_t* bytes, std::int64_t count) {
    log_.Appended(splitter_.StreamOffsetOf(bytes), count);
    pieceBytes_ += count;
}

bool CutPointMarker::CutTrack() {
    ClosePiece();
    return true;
}

void CutPointMarker::TrackTriggered(std::int64_t /*preRollFrames*/) {}

std::int64_t CutPointMarker::CurrentTrackSize() {
    return pieceBytes_;
}

void CutPointMarker::ClosePiece() {
    const CuttingConditions& c = splitter_.Conditions();
    const std::int64_t frames = pieceBytes_ / c.FrameBytes();
    const bool shortPiece = frames > 0 && frames < c.MinimumFrames;
    if (shortPiece) {
        dropped_.fetch_add(1);
    }
    const bool kept = frames > 0 && !shortPiece;
    // The piece is named as the cut recording would have named its track.
    log_.PieceClosed(kept, TrackNaming::Stem(masterName_) + "-" + TrackNaming::FormatNumber(number_, c.Digits) +
                               FileSystem::ExtensionOf(masterName_));
    pieceBytes_ = 0;
    if (kept) {
        ++number_;
        WriteFiles();
    }
}

void CutPointMarker::WriteFiles() {
    const std::int32_t rate = splitter_.Conditions().SampleRate;
    try {
        if (!labelsPath_.empty()) {
            CutPointFile::WriteWhole(labelsPath_, CutPointFile::LabelText(log_.Points(), rate));
        }
        if (!cuePath_.empty()) {
            CutPointFile::WriteWhole(cuePath_,
                                     CutPointFile::CueText(log_.Points(), rate, FileSystem::NameOf(masterName_)));
        }
    } catch (const std::exception& e) {
        const std::lock_guard lock(errorMutex_);
        if (error_.Empty()) {
            error_ = TextOf(e);
        }
    }
}

}  // namespace zolvane2
