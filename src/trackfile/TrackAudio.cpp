#include "trackfile/TrackAudio.h"

#include "platform/FileSystem.h"
#include "trackfile/FlacStream.h"
#include "trackfile/TLongFileStream.h"

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

std::unique_ptr<TLongStream> TrackAudio::Open(const std::string& path) {
    if (IsFlacFileName(path)) {
        return std::make_unique<FlacStream>(path);
    }
    return std::make_unique<TLongFileStream>(path, TLongFileStream::fmOpenRead);
}

}  // namespace zolvane2
