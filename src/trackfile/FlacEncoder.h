#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <FLAC/format.h>
#include <FLAC/stream_encoder.h>

#include "trackfile/TrackTags.h"

namespace zolvane2 {

class TLongStream;

// Encodes 16-bit interleaved PCM into a FLAC stream written through
// libFLAC's callbacks into a stream of ours, so that the track file stays
// this program's own handle (created never replacing, flushed with the WAVE
// rhythm). The header and the tags are written at once; every frame reaches
// the file as soon as libFLAC has encoded it, so a killed program leaves a
// file that decodes up to its last frame. Finish patches STREAMINFO (sample
// count, frame sizes, MD5) at the start of the file.
//
// Used by one thread at a time. Errors throw WriteError with the system's
// reason where the stream gave one.
class FlacEncoder {
public:
    FlacEncoder(TLongStream& stream, int channels, int sampleRate, const FlacSettings& settings, const TrackTags& tags);
    ~FlacEncoder();
    FlacEncoder(const FlacEncoder&) = delete;
    FlacEncoder& operator=(const FlacEncoder&) = delete;

    // Takes count bytes of interleaved little-endian 16-bit samples; a frame
    // torn between two calls is completed by the next.
    void Encode(const std::uint8_t* bytes, std::int64_t count);
    // Encodes what libFLAC still holds and patches STREAMINFO. Once only.
    void Finish();

    // The PCM bytes taken so far.
    [[nodiscard]] std::int64_t BytesTaken() const { return bytesTaken_; }

private:
    struct Callbacks;
    [[noreturn]] void Fail() const;

    struct EncoderDeleter {
        void operator()(FLAC__StreamEncoder* encoder) const;
    };
    struct MetadataDeleter {
        void operator()(FLAC__StreamMetadata* block) const;
    };

    TLongStream& stream_;
    std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter> encoder_;
    std::unique_ptr<FLAC__StreamMetadata, MetadataDeleter> tags_;
    int channels_;
    std::int64_t frameBytes_;
    std::int64_t bytesTaken_ = 0;
    std::vector<std::uint8_t> torn_;     // the start of a frame the last call tore
    std::vector<std::int32_t> samples_;  // the conversion buffer
    int writeErrno_ = 0;
    bool finished_ = false;
};

}  // namespace zolvane2
