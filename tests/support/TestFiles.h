#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvane2::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder for one test, removed with everything in it afterwards;
// under /dev/shm when inMemory is set and that exists, so that 2 GB files
// stay in memory.
class TempDir {
public:
    explicit TempDir(bool inMemory = false) {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        std::error_code ec;
        if (inMemory && std::filesystem::is_directory("/dev/shm", ec)) {
            base = "/dev/shm";
        }
        std::string pattern = (base / "zolvane2-test-XXXXXX").string();
        char* made = ::mkdtemp(pattern.data());
        path_ = made != nullptr ? made : pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, sorted.
    [[nodiscard]] std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void Touch(const std::string& name) const { std::ofstream(File(name)) << "x"; }

private:
    std::string path_;
};

// The whole file; empty when it cannot be read.
[[nodiscard]] inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Fails the test that could not make a file; kept out of line, as inlining
// the message trips GCC's bounds analysis in the callers.
[[noreturn]] [[gnu::noinline]] inline void FailFile(const char* what, const std::string& path) {
    throw std::runtime_error(std::string(what).append(" ").append(path));
}

// Puts a new file in place of any old one (truncating a file that holds data
// makes ext4 flush it on close, which would slow tests that rewrite one file
// often); a file that cannot be written throws, failing the test.
inline void WriteFile(const std::string& path, const Bytes& bytes, std::ios::openmode mode = std::ios::trunc) {
    if ((mode & std::ios::app) == 0) {
        ::unlink(path.c_str());
    }
    std::ofstream out(path, std::ios::binary | mode);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        FailFile("cannot write", path);
    }
}

inline void AppendFile(const std::string& path, const Bytes& bytes) {
    WriteFile(path, bytes, std::ios::app);
}

// Makes path size bytes long without writing them, creating it if missing:
// what lies past its old end is a hole (a sparse file, all zero).
inline bool ResizeSparse(const std::string& path, std::int64_t size) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    ::close(fd);
    return ok;
}

// Gives the file a known local modification time, 2021/03/04 05:06:07, and
// returns it; -1 when the file cannot take it.
inline std::time_t StampKnownTime(const std::string& path) {
    std::tm t{};
    t.tm_year = 2021 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 4;
    t.tm_hour = 5;
    t.tm_min = 6;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    const utimbuf times{when, when};
    return ::utime(path.c_str(), &times) == 0 ? when : -1;
}

}  // namespace zolvane2::test
