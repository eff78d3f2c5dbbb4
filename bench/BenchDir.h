#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace zolvane2::bench {

// A new temporary folder; ZOLVANE2_BENCH_DIR chooses its parent.
inline std::string MakeBenchDir() {
    namespace fs = std::filesystem;
    const char* parent = std::getenv("ZOLVANE2_BENCH_DIR");
    std::string pattern =
        (fs::path(parent != nullptr ? parent : fs::temp_directory_path().string()) / "zolvane2-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

}  // namespace zolvane2::bench
