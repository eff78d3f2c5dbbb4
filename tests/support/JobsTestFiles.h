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

#include <sys/stat.h>

#include "platform/QueuedDispatcher.h"
#include "platform/Thread.h"
#include "support/TestFiles.h"
#include "support/WaveFile.h"

namespace zolvane2::test {

using JobBytes = std::vector<std::uint8_t>;

inline void WriteAll(const std::string& path, const JobBytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t Le32(const JobBytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
           (static_cast<std::uint32_t>(b.at(at + 2)) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

inline std::uint16_t Le16(const JobBytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

inline void PushLe(JobBytes& b, std::uint32_t v, int width) {
    for (int i = 0; i < width; ++i) {
        b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFU));
    }
}

// 16-bit samples as little-endian bytes.
inline JobBytes Pcm(const std::vector<std::int16_t>& samples) {
    JobBytes b;
    b.reserve(samples.size() * 2);
    for (const std::int16_t s : samples) {
        PushLe(b, static_cast<std::uint16_t>(s), 2);
    }
    return b;
}

// frames of every channel at value v.
inline void AppendFrames(std::vector<std::int16_t>& samples, std::int64_t frames, int channels, std::int16_t v) {
    samples.insert(samples.end(), static_cast<std::size_t>(frames * channels), v);
}

// A WAVE file of data bytes, with trailing bytes after the data chunk.
inline void WriteWave(const std::string& path, int channels, int rate, const JobBytes& data,
                      const JobBytes& trailing = {}) {
    const JobBytes header = WaveHeader(channels, rate, static_cast<std::uint32_t>(data.size()));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const JobBytes* part : {&header, &data, &trailing}) {
        out.write(reinterpret_cast<const char*>(part->data()), static_cast<std::streamsize>(part->size()));
    }
}

// Data bytes whose every 2-byte sample carries its own index, so that any
// lost, doubled or moved byte shows.
inline JobBytes CountingData(std::int64_t bytes) {
    JobBytes b(static_cast<std::size_t>(bytes));
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
