#pragma once

#include <memory>
#include <string>

#include "trackfile/TLongFileStream.h"

namespace zolvane2 {

// The audio of a track file as a stream that jobs and the player read by
// offset: a WAVE or RAW file itself, a FLAC file decoded into a nameless
// temporary file (in $TMPDIR, gone once the stream is closed) holding its
// frames as RAW, so that offset 0 is its first frame.
class TrackAudio {
public:
    [[nodiscard]] static bool IsFlacFileName(const std::string& path);
    // Throws FileOpenError (the file cannot be opened), FileCreateError
    // (no temporary file) or WriteError (no room for it).
    [[nodiscard]] static std::unique_ptr<TLongFileStream> Open(const std::string& path);
};

}  // namespace zolvane2
