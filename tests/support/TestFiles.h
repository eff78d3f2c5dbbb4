#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zolvane2::test {

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
[[nodiscard]] inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

}  // namespace zolvane2::test
