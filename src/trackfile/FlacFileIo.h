#pragma once

#include <cstddef>
#include <cstdint>

#include <FLAC/stream_decoder.h>

#include "trackfile/TLongStream.h"

namespace zolvane2 {

// libFLAC's input callbacks over our own file stream, so that a decoder reads
// through the same handle (and its lock) as every other reader. Self is the
// decoder's client, derived from this, and holds the stream as `file`.
template <class Self>
struct FlacFileIo {
    static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder* /*d*/, FLAC__byte buffer[], size_t* bytes,
                                              void* client) {
        const std::int64_t n = File(client).Read(buffer, static_cast<std::int64_t>(*bytes));
        *bytes = n > 0 ? static_cast<size_t>(n) : 0;
        return n > 0 ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }
    static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder* /*d*/, FLAC__uint64 offset, void* client) {
        const auto to = static_cast<std::int64_t>(offset);
        return File(client).Seek64(to, TLongStream::soFromBeginning) == to ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
                                                                           : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    }
    static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder* /*d*/, FLAC__uint64* offset, void* client) {
        *offset = static_cast<FLAC__uint64>(File(client).GetPosition64());
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    }
    static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder* /*d*/, FLAC__uint64* length,
                                                  void* client) {
        *length = static_cast<FLAC__uint64>(File(client).GetSize64());
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    }
    static FLAC__bool Eof(const FLAC__StreamDecoder* /*d*/, void* client) {
        auto& file = File(client);
        return file.GetPosition64() >= file.GetSize64();
    }

private:
    static auto& File(void* client) { return *static_cast<Self*>(client)->file; }
};

}  // namespace zolvane2
