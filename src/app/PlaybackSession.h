#pragma once

#include <deque>
#include <optional>
#include <string>

namespace zolvane2 {

// The window's playback of the checked rows, from the Play click until the
// playback is finished: whether it runs, the row playing, where the end of
// the current file leads, and the splits of the playing file ("次File") that
// wait for their turn. File names are kept as the list shows them (UTF-16).
class PlaybackSession {
public:
    struct Split {
        std::u16string fileName;
        double seconds = 0;
    };

    void Begin() { active_ = true; }
    // The playback is over; a split that was asked for stays queued.
    void Finish();
    [[nodiscard]] bool Active() const { return active_; }

    // Local time (days) at which the playing file started, moved back by a
    // seek so that the elapsed time shows the position.
    [[nodiscard]] double StartTime() const { return startTime_; }
    void SetStartTime(double days) { startTime_ = days; }

    // The row playing; the end of its file starts the first checked row after it.
    [[nodiscard]] int PlayingIndex() const { return playingIndex_; }
    void SetPlayingIndex(int row) { playingIndex_ = row; }
    // Stop: no row follows the one playing.
    void StopAfterThisRow(int rowCount) { playingIndex_ = rowCount; }
    // Back: the end of the file leads to the checked row found before the one
    // playing, or (none found) to the first checked row of the list.
    void BackTo(int foundRow) { playingIndex_ = foundRow >= 0 ? foundRow - 1 : -1; }

    // The split of the playing file: asked for once, taken by the end of the
    // file it stopped.
    void AskSplit(std::u16string fileName, double seconds);
    [[nodiscard]] bool SplitAsked() const { return split_.has_value(); }
    [[nodiscard]] std::optional<Split> TakeAskedSplit();

    // Splits that wait for a running job, oldest first.
    void QueueSplit(Split split) { waiting_.push_back(std::move(split)); }
    [[nodiscard]] bool SplitsWaiting() const { return !waiting_.empty(); }
    [[nodiscard]] std::optional<Split> TakeWaitingSplit();

private:
    bool active_ = false;
    double startTime_ = 0;
    int playingIndex_ = 0;
    std::optional<Split> split_;
    std::deque<Split> waiting_;
};

}  // namespace zolvane2
