#pragma once

#include <memory>
#include <string>

#include "trackfile/TLongStream.h"

namespace zolvane2 {

// The audio of a track file as a stream that jobs and the player read by
// offset: a WAVE or RAW file itself (a TLongFileStream), a FLAC file as its
// frames decoded while they are read (a FlacStream), so that offset 0 is its
// first frame.
class TrackAudio {
public:
    [[nodiscard]] static bool IsFlacFileName(const std::string& path);
    // Throws FileOpenError (the file cannot be opened) and, for FLAC,
    // ReadError (not a FLAC file this program reads).
    [[nodiscard]] static std::unique_ptr<TLongStream> Open(const std::string& path);
};

}  // namespace zolvane2
