#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/CutPointFile.h"

namespace zolvane2 {

// Notes where the pieces written from one source lie in it: the owner of the
// pieces reports every append with its place in the source and every piece
// it closes. Used by one thread at a time.
class CutPointLog {
public:
    // Frames of frameBytes bytes; forgets the pieces noted so far.
    void Start(std::int64_t frameBytes);
    // count bytes from the source's byte sourceOffset on went into the open piece.
    void Appended(std::int64_t sourceOffset, std::int64_t count);
    // The open piece is done: noted under name when kept and not empty.
    void PieceClosed(bool kept, const std::string& name);

    [[nodiscard]] const std::vector<CutPoint>& Points() const { return points_; }

private:
    std::int64_t frameBytes_ = 2;
    std::int64_t start_ = -1;  // first source byte of the open piece; -1 while it is empty
    std::int64_t end_ = 0;
    std::vector<CutPoint> points_;
};

}  // namespace zolvane2
