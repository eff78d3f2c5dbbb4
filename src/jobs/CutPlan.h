#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/CutPointFile.h"

namespace zolvane2 {

// The pieces a review is about to cut a source into: boundaries b0 < b1 <
// ... < bn inside the source's frames make the pieces [b(i), b(i+1)), each
// with a title; the audio ahead of b0 and after bn is left out. Every edit
// can be undone and redone, one step each.
class CutPlan {
public:
    explicit CutPlan(std::int64_t totalFrames = 0);

    // A new source: one piece over all of it, no history.
    void Reset(std::int64_t totalFrames);
    // Pieces as a finder or a label file gave them: each starts a piece and
    // runs on to the next one's start, so that what lay between two of them
    // stays with the first and nothing between b0 and bn is lost; the last
    // ends where it ended. Titles are the ranges' names. One step.
    void Propose(const std::vector<CutPoint>& ranges);

    [[nodiscard]] std::int64_t TotalFrames() const { return total_; }
    [[nodiscard]] const std::vector<std::int64_t>& Boundaries() const { return now_.bounds; }
    [[nodiscard]] int PieceCount() const { return static_cast<int>(now_.titles.size()); }
    // Frames and title of a piece (Name = title).
    [[nodiscard]] CutPoint Piece(int index) const;
    [[nodiscard]] std::vector<CutPoint> Pieces() const;
    // The piece holding frame; -1 outside them.
    [[nodiscard]] int PieceAt(std::int64_t frame) const;
    // The boundary nearest frame within tolerance frames; -1 when none is.
    [[nodiscard]] int BoundaryNear(std::int64_t frame, std::int64_t tolerance) const;

    // Each edit answers whether it changed anything; only a change is a step.
    // A new boundary inside a piece splits it (the right part untitled); one
    // ahead of b0 or after bn adds an untitled piece there. Answers its index
    // or -1.
    int AddBoundary(std::int64_t frame);
    // Stays strictly between its neighbours and inside the source.
    bool MoveBoundary(int index, std::int64_t frame);
    // Between two pieces: joins them (the first's title, else the second's);
    // b0 or bn: the piece at that end is left out.
    bool DeleteBoundary(int index);
    bool JoinPieces(int first) { return DeleteBoundary(first + 1); }
    bool SetTitle(int piece, const std::string& title);
    // Titles in piece order, as far as both go; one step.
    bool SetTitles(const std::vector<std::string>& titles);

    bool Undo();
    bool Redo();
    [[nodiscard]] bool CanUndo() const { return !undo_.empty(); }
    [[nodiscard]] bool CanRedo() const { return !redo_.empty(); }

private:
    struct State {
        std::vector<std::int64_t> bounds;
        std::vector<std::string> titles;  // bounds.size() - 1 of them, or none
        bool operator==(const State&) const = default;
    };
    // Makes next the state, as one step, when it differs.
    bool Step(State next);
    // Makes the newest state of from the current one; the current one goes to to.
    bool Restore(std::vector<State>& from, std::vector<State>& to);

    std::int64_t total_ = 0;
    State now_;
    std::vector<State> undo_;
    std::vector<State> redo_;
};

}  // namespace zolvane2
