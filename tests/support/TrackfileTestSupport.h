#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "support/WaveFile.h"

namespace zolvane2::test {

// A header for the layout followed by dataBytes bytes of a simple ramp.
inline Bytes MakeWave(const WaveLayout& s, std::size_t dataBytes) {
    Bytes b = WaveHeader(s, dataBytes);
    const std::size_t at = b.size();
    b.resize(at + dataBytes);
    for (std::size_t i = 0; i < dataBytes; ++i) {
        b[at + i] = static_cast<std::uint8_t>(i * 7);
    }
    return b;
}

// A WAVE header's two sizes as another program would read them, beside the
// size of the file, for files written as this program writes them (the
// data from byte 44 on).
struct HeaderSizes {
    std::uint32_t riff = 0;
    std::uint32_t data = 0;
    std::int64_t fileSize = -1;  // -1: unreadable
    // Audio bytes in the file that the header leaves out.
    [[nodiscard]] std::int64_t Unlisted() const { return fileSize - 44 - static_cast<std::int64_t>(data); }
};

inline HeaderSizes ReadHeaderSizes(const std::string& path) {
    HeaderSizes h;
    Bytes head(44);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return h;
    }
    if (::pread(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size())) {
        h.riff = ReadLe(head, 4);
        h.data = ReadLe(head, 40);
        h.fileSize = ::lseek(fd, 0, SEEK_END);
    }
    ::close(fd);
    return h;
}

}  // namespace zolvane2::test
