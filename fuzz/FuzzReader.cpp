// libFuzzer entry for the track file readers (see CMakeLists.txt here for
// how to build and run it).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputPath();
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return 0;
    }
    const bool written = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (!written) {
        return 0;
    }
    const auto fileSize = static_cast<std::int64_t>(size);
    SilentMessages messages;
    if (const auto p = zolvane2::TrackFileReader::ReadFileProperties(path, 44100, 2, messages)) {
        Require(p->dataOffset >= 0 && p->dataSize >= 0 && p->dataOffset + p->dataSize <= fileSize);
        Require(p->channels > 0 && p->sampleRate > 0);
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
    return 0;
}
