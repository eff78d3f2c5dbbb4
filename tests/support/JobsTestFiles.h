#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/QueuedDispatcher.h"
#include "platform/Thread.h"
#include "support/TestFiles.h"
#include "support/WaveFile.h"

namespace zolvane2::test {

// frames of every channel at value v.
inline void AppendFrames(std::vector<std::int16_t>& samples, std::int64_t frames, int channels, std::int16_t v) {
    samples.insert(samples.end(), static_cast<std::size_t>(frames * channels), v);
}

// The samples of a track file written as this program writes them (the data
// from byte 44 on); a header that does not give the file's sizes fails.
inline Bytes DataOf(const std::string& piece) {
    const Bytes all = ReadAll(piece);
    if (all.size() < 44) {
        ADD_FAILURE() << piece << " holds no header";
        return {};
    }
    EXPECT_EQ(ReadLe(all, 4), all.size() - 8) << piece;
    EXPECT_EQ(ReadLe(all, 40), all.size() - 44) << piece;
    return {all.begin() + 44, all.end()};
}

// Data bytes whose every 2-byte sample carries its own index, so that any
// lost, doubled or moved byte shows.
inline Bytes CountingData(std::int64_t bytes) {
    Bytes b(static_cast<std::size_t>(bytes));
    for (std::size_t i = 0; i < b.size(); ++i) {
        const std::size_t sample = i / 2;
        b[i] = static_cast<std::uint8_t>(i % 2 == 0 ? sample & 0xFF : (sample >> 8) & 0x3F);
    }
    return b;
}

// prefix + n + suffix, built by appending (GCC 12 warns falsely on
// "literal" + std::string chains at -O3).
inline std::string NumberedName(const std::string& prefix, long long n, const std::string& suffix) {
    std::string name = prefix;
    name.append(std::to_string(n));
    name.append(suffix);
    return name;
}

inline std::int64_t SizeOf(const std::string& path) {
    std::error_code ec;
    const auto s = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(s);
}

// Runs a job thread to its end on this (main) thread, draining the
// dispatcher it reports through; records what it reports.
struct JobRun {
    std::vector<std::string> files;
    std::vector<int> progress;
    bool finished = false;
};

template <typename Job>
void RunJob(Job& job, JobRun& run, QueuedDispatcher& dispatcher,
            const std::function<void(Job&, int)>& onProgress = nullptr) {
    job.SetOnFileFinished([&run](const std::string& path) { run.files.push_back(path); });
    job.SetOnProgress([&run, &job, onProgress](Thread&, std::int32_t percent) {
        run.progress.push_back(percent);
        if (onProgress) {
            onProgress(job, percent);
        }
    });
    job.SetOnTerminate([&run] { run.finished = true; });
    job.Resume();
    dispatcher.PumpUntil([&run] { return run.finished; }, std::chrono::minutes(5));
    job.WaitFor();
}

}  // namespace zolvane2::test
