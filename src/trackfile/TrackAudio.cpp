#include "trackfile/TrackAudio.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/FileSystem.h"
#include "trackfile/FlacDecoder.h"

namespace zolvane2 {

bool TrackAudio::IsFlacFileName(const std::string& path) {
    std::string ext = FileSystem::ExtensionOf(path);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ext == ".flac";
}

std::unique_ptr<TLongFileStream> TrackAudio::Open(const std::string& path) {
    if (!IsFlacFileName(path)) {
        return std::make_unique<TLongFileStream>(path, TLongFileStream::fmOpenRead);
    }
    // Opened first, so that a file that cannot be read is named as itself.
    { const TLongFileStream check(path, TLongFileStream::fmOpenRead); }
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) {
        folder = "/tmp";
    }
    std::string name = (folder / "zolvane2-flac-XXXXXX").string();
    const int fd = ::mkstemp(name.data());
    if (fd >= 0) {
        ::close(fd);
    }
    auto decoded = std::make_unique<TLongFileStream>(name, TLongFileStream::fmCreate);
    // Nameless from now on: nothing is left behind, whatever ends the program.
    (void)::unlink(name.c_str());
    TLongFileStream& out = *decoded;
    (void)FlacDecoder::Decode(path,
                              [&out](const std::uint8_t* bytes, std::int64_t count) { out.WriteBuffer(bytes, count); });
    out.SetPosition64(0);
    out.SetFileName(path);
    return decoded;
}

}  // namespace zolvane2
