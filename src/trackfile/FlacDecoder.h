#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "trackfile/TrackTags.h"

namespace zolvane2 {

class TLongStream;

// What a FLAC file's STREAMINFO block says.
struct FlacStreamInfo {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::int64_t totalSamples = 0;  // per channel; 0: not known (a killed recording)
    std::int64_t audioOffset = 0;   // where the first frame begins
};

// Reads FLAC track files through libFLAC.
class FlacDecoder {
public:
    // "fLaC" and the STREAMINFO block at the stream's start, then the
    // metadata blocks up to the first frame; nullopt for anything else.
    [[nodiscard]] static std::optional<FlacStreamInfo> ReadStreamInfo(TLongStream& stream);

    // The Vorbis comments of path that TrackTags holds; none for a file
    // without them or that is no FLAC file.
    [[nodiscard]] static TrackTags ReadTags(const std::string& path);

    // Receives decoded audio: interleaved little-endian 16-bit samples.
    using Sink = std::function<void(const std::uint8_t* bytes, std::int64_t count)>;

    // Decodes path (16-bit only) frame by frame into sink. A file cut short
    // by a kill ends at its last whole frame; so does damage further on.
    // Returns the frames (samples per channel) decoded; goodEnd gets the
    // offset just past the last frame decoded. Throws FileOpenError when the
    // file cannot be opened, and whatever sink throws.
    static std::int64_t Decode(const std::string& path, const Sink& sink, std::int64_t* goodEnd = nullptr);
};

}  // namespace zolvane2
