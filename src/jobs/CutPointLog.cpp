#include "jobs/CutPointLog.h"

#include "platform/FileSystem.h"

namespace zolvane2 {

void CutPointLog::Start(std::int64_t frameBytes) {
    frameBytes_ = frameBytes > 0 ? frameBytes : 2;
    start_ = -1;
    end_ = 0;
    points_.clear();
}

void CutPointLog::Appended(std::int64_t sourceOffset, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    // A piece is one stretch of its source, so its first and last bytes are
    // all that is needed.
    if (start_ < 0) {
        start_ = sourceOffset;
    }
    end_ = sourceOffset + count;
}

void CutPointLog::PieceClosed(bool kept, const std::string& name) {
    if (kept && start_ >= 0) {
        points_.push_back({start_ / frameBytes_, end_ / frameBytes_, FileSystem::NameOf(name)});
    }
    start_ = -1;
    end_ = 0;
}

}  // namespace zolvane2
