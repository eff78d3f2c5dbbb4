#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "trackfile/TLongStream.h"

namespace zolvane2 {

// A FLAC track file's audio as a read-only stream of its frames decoded:
// interleaved little-endian 16-bit samples, offset 0 its first frame, the
// size that of all its frames. It decodes only what is read, one FLAC frame
// at a time, and moves by libFLAC's seek, so a ten-hour file opens at once
// and memory stays at one frame whatever the file's length.
//
// A file whose STREAMINFO holds no sample count (a recording killed before
// repair) is counted by one pass over it when opened; damage further on ends
// the audio at the last good frame, as FlacDecoder::Decode does.
class FlacStream final : public TLongStream {
public:
    // Throws FileOpenError (the file cannot be opened) and ReadError (not a
    // 16-bit FLAC file libFLAC reads).
    // openMode is TLongFileStream's (read-only, shared with nobody unless told).
    explicit FlacStream(const std::string& path, unsigned openMode = 0);
    ~FlacStream() override;

    // Short only at the end, and where the file is damaged.
    [[nodiscard]] std::int64_t Read(void* buffer, std::int64_t count) override;
    // Nothing is ever written.
    [[nodiscard]] std::int64_t Write(const void* buffer, std::int64_t count) override;
    // Moves only the position; the decoder follows on the next read.
    std::int64_t Seek64(std::int64_t offset, int origin) override;
    [[nodiscard]] std::int64_t GetSize64() override;

    [[nodiscard]] int Channels() const;
    [[nodiscard]] int SampleRate() const;

private:
    struct Decoding;
    std::unique_ptr<Decoding> d_;
    std::int64_t position_ = 0;
};

}  // namespace zolvane2
