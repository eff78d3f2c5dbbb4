#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "jobs/CutPointLog.h"
#include "platform/UserText.h"
#include "record/RecordingObserver.h"
#include "record/SplitterOwner.h"
#include "record/TriggerSplitter.h"

namespace zolvane2 {

// Marks, while one uncut master file is recorded, where the trigger rules
// would have cut it, and keeps a label file and a cue sheet of those pieces
// up to date: both are rewritten whole after every piece, so they are
// complete whenever the run ends. Pieces shorter than the minimum length are
// not marked.
//
// Threads: the caller sets the conditions and the file names before the
// recording starts; from then on the capture thread alone runs the observer
// calls. Error() and PiecesDropped() are read after the recording has ended.
class CutPointMarker final : public RecordingObserver, private SplitterOwner {
public:
    // labelsPath, cuePath: "" for none.
    CutPointMarker(std::string labelsPath, std::string cuePath);

    // Level, delay, interval, tail and minimum length; the sampling
    // frequency and channels are the recording's.
    [[nodiscard]] TriggerSplitter& Splitter() { return splitter_; }

    void RecordingStarted(const std::string& fileName, const CuttingConditions& conditions) override;
    void BlockRecorded(const std::uint8_t* bytes, std::int64_t count) override;
    void RecordingStopped() override;

    // The first failure to write a file ("" when none); the recording goes on regardless.
    [[nodiscard]] UserText Error() const;
    [[nodiscard]] std::int32_t PiecesDropped() const { return dropped_.load(); }

private:
    void AppendToTrack(const std::uint8_t* bytes, std::int64_t count) override;
    [[nodiscard]] bool CutTrack() override;
    void TrackTriggered(std::int64_t preRollFrames) override;
    [[nodiscard]] std::int64_t CurrentTrackSize() override;

    void ClosePiece();
    void WriteFiles();

    std::string labelsPath_;
    std::string cuePath_;
    TriggerSplitter splitter_;
    CutPointLog log_;
    std::string masterName_;
    std::int64_t pieceBytes_ = 0;
    std::int32_t number_ = 1;
    bool running_ = false;
    std::atomic<std::int32_t> dropped_{0};
    mutable std::mutex errorMutex_;
    UserText error_;
};

}  // namespace zolvane2
