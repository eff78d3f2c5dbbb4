#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zolvane2 {

class Thread;

// Progress of a re-divide or combine job (the window's SetProgress). Runs on
// the main thread while the job waits.
using TProgressEvent = std::function<void(Thread& sender, std::int32_t percent)>;

// A finished output file that was kept (the window adds it to the result
// list, zolvane2-cli prints it). Runs on the main thread while the job waits.
using TFileFinishedEvent = std::function<void(const std::string& path)>;

// Block size in which the jobs read their sources.
inline constexpr std::int64_t kJobBlockBytes = 409600;

// Progress of done out of total bytes in whole percent, 0 to 100; a total of
// 0 counts as done.
[[nodiscard]] inline std::int32_t JobPercent(std::int64_t done, std::int64_t total) {
    if (total <= 0) {
        return 100;
    }
    const double p = static_cast<double>(done) / static_cast<double>(total) * 100.0;
    if (p <= 0) {
        return 0;
    }
    return p >= 100 ? 100 : static_cast<std::int32_t>(p);
}

}  // namespace zolvane2
