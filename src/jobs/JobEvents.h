#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/Errors.h"

namespace zolvane2 {

class Thread;

// Progress of a re-divide or combine job (the window's SetProgress). Runs on
// the main thread while the job waits.
using TProgressEvent = std::function<void(Thread& sender, std::int32_t percent)>;

// A finished output file that was kept (the window adds it to the result
// list, zolvane2-cli prints it). Runs on the main thread while the job waits.
using TFileFinishedEvent = std::function<void(const std::string& path)>;

// What a job knows of the error that ended it besides its text: the file it
// was reading (a ReadError) or writing (a WriteError), which the text does
// not name, and the system's error number (0 when none was given).
struct JobErrorDetail {
    std::string fileName;
    int code = 0;

    [[nodiscard]] static JobErrorDetail Of(const std::exception& e, const std::string& readFile,
                                           const std::string& writeFile) {
        JobErrorDetail detail;
        if (const auto* error = dynamic_cast<const Error*>(&e)) {
            detail.code = error->Code();
        }
        if (dynamic_cast<const ReadError*>(&e) != nullptr) {
            detail.fileName = readFile;
        } else if (dynamic_cast<const WriteError*>(&e) != nullptr) {
            detail.fileName = writeFile;
        }
        return detail;
    }
};

// The jobs take their per-file values one index at a time, as the window
// sets them: a list grows to take an index, and an index never set reads as
// zero.
template <typename T>
void SetGrowing(std::vector<T>& array, std::size_t index, T value) {
    if (index >= array.size()) {
        array.resize(index + 1);
    }
    array[index] = value;
}

template <typename T>
[[nodiscard]] T GrowingAt(const std::vector<T>& array, std::size_t index) {
    return index < array.size() ? array[index] : T{};
}

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

// Which progress values a job hands to the main thread. Each hand-over makes
// the job wait for the main thread, which on a busy machine costs more than
// copying a block, so a value goes only when it differs from the last one
// and at least kInterval after it; the first value and 100 % always go.
class ProgressThrottle {
public:
    static constexpr std::chrono::milliseconds kInterval{50};

    [[nodiscard]] bool ShouldReport(std::int32_t percent) {
        if (percent == last_) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (last_ >= 0 && percent != 100 && now - lastTime_ < kInterval) {
            return false;
        }
        last_ = percent;
        lastTime_ = now;
        return true;
    }

private:
    std::int32_t last_ = -1;
    std::chrono::steady_clock::time_point lastTime_{};
};

}  // namespace zolvane2
