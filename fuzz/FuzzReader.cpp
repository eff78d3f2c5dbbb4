// libFuzzer entry for the track file readers (see CMakeLists.txt here for
// how to build and run it).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "trackfile/TrackFileReader.h"

namespace {

class SilentMessages final : public zolvane2::UserMessages {
public:
    zolvane2::MsgAnswer Show(const std::string& /*text*/, const std::string& /*title*/, zolvane2::MsgIcon /*icon*/,
                             zolvane2::MsgButtons /*buttons*/) override {
        ++shown;
        return zolvane2::MsgAnswer::Ok;
    }
    int shown = 0;
};

const std::string& InputPath() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zolvane2-fuzz-XXXXXX").string();
        const char* dir = ::mkdtemp(pattern.data());
        return std::string(dir != nullptr ? dir : "/tmp") + "/input.wav";
    }();
    return path;
}

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Writes the bytes as the input file and runs both readers on it.
void ReadBoth(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputPath();
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const bool written = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (!written) {
        return;
    }
    const auto fileSize = static_cast<std::int64_t>(size);
    SilentMessages messages;
    if (const auto p = zolvane2::TrackFileReader::ReadFileProperties(path, 44100, 2, messages)) {
        Require(p->dataOffset >= 0 && p->dataSize >= 0 && p->dataOffset + p->dataSize <= fileSize);
        Require(p->channels > 0 && p->channels <= zolvane2::TrackFileReader::kMaxChannels && p->sampleRate > 0);
        Require(messages.shown == 0);
    } else {
        Require(messages.shown == 1);
    }
    messages.shown = 0;
    if (const auto play = zolvane2::TrackFileReader::PrepareForPlaying(path, messages)) {
        Require(play->dataOffset >= 0 && play->dataSize >= 0 && play->dataOffset + play->dataSize <= fileSize);
        Require(play->channels > 0 && play->sampleRate > 0);
    } else {
        Require(messages.shown == 1);
    }
}

}  // namespace

// Each input is read as it is, and once more behind a tidy RIFF/WAVE start
// with a RIFF size that fits, so that the chunk walk, not only the word
// search, gets the fuzzer's chunks.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadBoth(data, size);
    std::vector<std::uint8_t> tidy(12 + size);
    const auto riff = static_cast<std::uint32_t>(4 + size);
    std::memcpy(tidy.data(), "RIFF", 4);
    for (int i = 0; i < 4; ++i) {
        tidy[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((riff >> (8 * i)) & 0xFFU);
    }
    std::memcpy(&tidy[8], "WAVE", 4);
    if (size > 0) {
        std::memcpy(&tidy[12], data, size);
    }
    ReadBoth(tidy.data(), tidy.size());
    return 0;
}
