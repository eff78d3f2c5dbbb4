#include "jobs/CutPlan.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace zolvane2 {

CutPlan::CutPlan(std::int64_t totalFrames) {
    Reset(totalFrames);
}

void CutPlan::Reset(std::int64_t totalFrames) {
    total_ = std::max<std::int64_t>(totalFrames, 0);
    now_ = {};
    if (total_ > 0) {
        now_.bounds = {0, total_};
        now_.titles = {std::string()};
    }
    undo_.clear();
    redo_.clear();
}

void CutPlan::Propose(const std::vector<CutPoint>& ranges) {
    State next;
    for (const CutPoint& r : ranges) {
        const std::int64_t start = std::clamp<std::int64_t>(r.StartFrame, 0, total_);
        if (!next.bounds.empty() && start <= next.bounds.back()) {
            continue;
        }
        next.bounds.push_back(start);
        next.titles.push_back(r.Name);
    }
    if (next.bounds.empty()) {
        (void)Step(next);
        return;
    }
    const std::int64_t end = std::clamp<std::int64_t>(ranges.back().EndFrame, 0, total_);
    if (end > next.bounds.back()) {
        next.bounds.push_back(end);
    } else {
        next.titles.pop_back();
        if (next.titles.empty()) {
            next.bounds.clear();
        }
    }
    (void)Step(std::move(next));
}

CutPoint CutPlan::Piece(int index) const {
    const auto i = static_cast<std::size_t>(index);
    return {now_.bounds.at(i), now_.bounds.at(i + 1), now_.titles.at(i)};
}

std::vector<CutPoint> CutPlan::Pieces() const {
    std::vector<CutPoint> pieces;
    pieces.reserve(now_.titles.size());
    for (int i = 0; i < PieceCount(); ++i) {
        pieces.push_back(Piece(i));
    }
    return pieces;
}

int CutPlan::PieceAt(std::int64_t frame) const {
    const auto& b = now_.bounds;
    if (b.size() < 2 || frame < b.front() || frame >= b.back()) {
        return -1;
    }
    return static_cast<int>(std::upper_bound(b.begin(), b.end(), frame) - b.begin()) - 1;
}

int CutPlan::BoundaryNear(std::int64_t frame, std::int64_t tolerance) const {
    int best = -1;
    std::int64_t bestDistance = tolerance + 1;
    for (std::size_t i = 0; i < now_.bounds.size(); ++i) {
        const std::int64_t d = std::abs(now_.bounds[i] - frame);
        if (d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

int CutPlan::AddBoundary(std::int64_t frame) {
    if (frame < 0 || frame > total_ || std::ranges::find(now_.bounds, frame) != now_.bounds.end()) {
        return -1;
    }
    State next = now_;
    auto& b = next.bounds;
    const auto at = std::upper_bound(b.begin(), b.end(), frame);
    const auto index = std::distance(b.begin(), at);
    if (b.empty()) {
        // A lone boundary makes no piece; it starts one that runs to the end.
        if (frame == total_) {
            return -1;
        }
        b = {frame, total_};
        next.titles = {std::string()};
        (void)Step(std::move(next));
        return 0;
    }
    b.insert(at, frame);
    // Inside: the piece before it keeps its title, the new right part gets
    // none. Ahead of b0 or after bn: a new untitled piece at that end.
    next.titles.insert(next.titles.begin() + std::min<std::ptrdiff_t>(index, std::ssize(next.titles)), std::string());
    (void)Step(std::move(next));
    return static_cast<int>(index);
}

bool CutPlan::MoveBoundary(int index, std::int64_t frame) {
    const auto& b = now_.bounds;
    if (index < 0 || index >= std::ssize(b)) {
        return false;
    }
    const auto i = static_cast<std::size_t>(index);
    const std::int64_t low = i == 0 ? 0 : b[i - 1] + 1;
    const std::int64_t high = i + 1 == b.size() ? total_ : b[i + 1] - 1;
    if (low > high) {
        return false;
    }
    State next = now_;
    next.bounds[i] = std::clamp(frame, low, high);
    return Step(std::move(next));
}

bool CutPlan::DeleteBoundary(int index) {
    const auto& b = now_.bounds;
    if (index < 0 || index >= std::ssize(b)) {
        return false;
    }
    State next = now_;
    const auto i = static_cast<std::size_t>(index);
    next.bounds.erase(next.bounds.begin() + index);
    if (i == 0) {
        next.titles.erase(next.titles.begin());
    } else if (i + 1 == b.size()) {
        next.titles.pop_back();
    } else {
        std::string& kept = next.titles[i - 1];
        if (kept.empty()) {
            kept = next.titles[i];
        }
        next.titles.erase(next.titles.begin() + index);
    }
    if (next.titles.empty()) {
        next.bounds.clear();
    }
    return Step(std::move(next));
}

bool CutPlan::SetTitle(int piece, const std::string& title) {
    if (piece < 0 || piece >= PieceCount()) {
        return false;
    }
    State next = now_;
    next.titles[static_cast<std::size_t>(piece)] = title;
    return Step(std::move(next));
}

bool CutPlan::SetTitles(const std::vector<std::string>& titles) {
    State next = now_;
    for (std::size_t i = 0; i < titles.size() && i < next.titles.size(); ++i) {
        next.titles[i] = titles[i];
    }
    return Step(std::move(next));
}

bool CutPlan::Step(State next) {
    if (next == now_) {
        return false;
    }
    undo_.push_back(std::exchange(now_, std::move(next)));
    redo_.clear();
    return true;
}

bool CutPlan::Undo() {
    return Restore(undo_, redo_);
}

bool CutPlan::Redo() {
    return Restore(redo_, undo_);
}

bool CutPlan::Restore(std::vector<State>& from, std::vector<State>& to) {
    if (from.empty()) {
        return false;
    }
    to.push_back(std::exchange(now_, std::move(from.back())));
    from.pop_back();
    return true;
}

}  // namespace zolvane2
