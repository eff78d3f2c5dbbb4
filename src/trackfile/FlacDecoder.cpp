#include "trackfile/FlacDecoder.h"

#include <strings.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>

#include "platform/Errors.h"
#include "trackfile/FlacFileIo.h"
#include "trackfile/TLongFileStream.h"

namespace zolvane2 {

namespace {

constexpr int kStreamInfoType = 0;
constexpr std::int64_t kStreamInfoSize = 34;

// The decoding of one file: libFLAC reads through our stream and hands each
// frame here.
struct Decoding : FlacFileIo<Decoding> {
    TLongFileStream* file = nullptr;
    const FlacDecoder::Sink* sink = nullptr;
    std::vector<std::uint8_t> bytes;
    std::int64_t frames = 0;
    bool failed = false;
    std::exception_ptr sinkError;

    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder* /*d*/, const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* client) {
        auto& self = *static_cast<Decoding*>(client);
        const unsigned channels = frame->header.channels;
        const unsigned blocksize = frame->header.blocksize;
        if (frame->header.bits_per_sample != 16) {
            self.failed = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        self.bytes.resize(static_cast<std::size_t>(blocksize) * channels * 2);
        std::size_t at = 0;
        for (unsigned i = 0; i < blocksize; ++i) {
            for (unsigned c = 0; c < channels; ++c) {
                const auto v = static_cast<std::uint16_t>(buffer[c][i]);
                self.bytes[at++] = static_cast<std::uint8_t>(v & 0xFFU);
                self.bytes[at++] = static_cast<std::uint8_t>(v >> 8);
            }
        }
        try {
            (*self.sink)(self.bytes.data(), static_cast<std::int64_t>(at));
        } catch (...) {
            self.sinkError = std::current_exception();
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        self.frames += blocksize;
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }
    static void Error(const FLAC__StreamDecoder* /*d*/, FLAC__StreamDecoderErrorStatus /*status*/, void* client) {
        // A lost sync or a bad CRC: the file's good part ends here.
        static_cast<Decoding*>(client)->failed = true;
    }
};

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
};

std::uint32_t Be(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v = (v << 8) | p[i];
    }
    return v;
}

}  // namespace

std::optional<FlacStreamInfo> FlacDecoder::ReadStreamInfo(TLongStream& stream) {
    stream.SetPosition64(0);
    std::array<std::uint8_t, 4 + 4 + kStreamInfoSize> head{};
    if (stream.Read(head.data(), static_cast<std::int64_t>(head.size())) != static_cast<std::int64_t>(head.size()) ||
        head[0] != 'f' || head[1] != 'L' || head[2] != 'a' || head[3] != 'C' || (head[4] & 0x7FU) != kStreamInfoType ||
        Be(&head[5], 3) < kStreamInfoSize) {
        return std::nullopt;
    }
    const std::uint8_t* si = &head[8];
    FlacStreamInfo info;
    info.sampleRate = static_cast<int>(Be(&si[10], 3) >> 4);
    info.channels = static_cast<int>((si[12] >> 1) & 0x07U) + 1;
    info.bitsPerSample = static_cast<int>(((si[12] & 0x01U) << 4) | (si[13] >> 4)) + 1;
    info.totalSamples = (static_cast<std::int64_t>(si[13] & 0x0FU) << 32) | Be(&si[14], 4);
    // The metadata blocks that follow, up to the one marked last.
    bool last = (head[4] & 0x80U) != 0;
    std::int64_t at = 8 + static_cast<std::int64_t>(Be(&head[5], 3));
    const std::int64_t size = stream.GetSize64();
    while (!last) {
        std::array<std::uint8_t, 4> block{};
        stream.SetPosition64(at);
        if (stream.Read(block.data(), 4) != 4) {
            return std::nullopt;
        }
        last = (block[0] & 0x80U) != 0;
        at += 4 + static_cast<std::int64_t>(Be(&block[1], 3));
        if (at > size) {
            return std::nullopt;
        }
    }
    info.audioOffset = at;
    return info;
}

TrackTags FlacDecoder::ReadTags(const std::string& path) {
    TrackTags tags;
    FLAC__StreamMetadata* block = nullptr;
    if (!FLAC__metadata_get_tags(path.c_str(), &block) || block == nullptr) {
        return tags;
    }
    const std::unique_ptr<FLAC__StreamMetadata, void (*)(FLAC__StreamMetadata*)> owned(block,
                                                                                       &FLAC__metadata_object_delete);
    std::pair<const char*, std::string*> fields[] = {{"TITLE", &tags.title},
                                                     {"ARTIST", &tags.artist},
                                                     {"ALBUM", &tags.album},
                                                     {"ALBUMARTIST", &tags.albumArtist},
                                                     {"TRACKNUMBER", &tags.trackNumber},
                                                     {"TRACKTOTAL", &tags.trackTotal},
                                                     {"DISCNUMBER", &tags.discNumber},
                                                     {"DATE", &tags.date},
                                                     {"GENRE", &tags.genre},
                                                     {"COMMENT", &tags.comment}};
    const FLAC__StreamMetadata_VorbisComment& vc = block->data.vorbis_comment;
    for (FLAC__uint32 i = 0; i < vc.num_comments; ++i) {
        char* name = nullptr;
        char* value = nullptr;
        if (!FLAC__metadata_object_vorbiscomment_entry_to_name_value_pair(vc.comments[i], &name, &value)) {
            continue;
        }
        for (auto& [field, target] : fields) {
            if (strcasecmp(name, field) == 0 && target->empty()) {
                *target = value;
            }
        }
        std::free(name);
        std::free(value);
    }
    return tags;
}

std::int64_t FlacDecoder::Decode(const std::string& path, const Sink& sink, std::int64_t* goodEnd) {
    TLongFileStream file(path, TLongFileStream::fmOpenRead);
    const std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    if (!decoder) {
        throw ReadError(UserText(TextId::StreamRead), ENOMEM);
    }
    Decoding d;
    d.file = &file;
    d.sink = &sink;
    FLAC__StreamDecoder* dec = decoder.get();
    if (FLAC__stream_decoder_init_stream(dec, &Decoding::Read, &Decoding::Seek, &Decoding::Tell, &Decoding::Length,
                                         &Decoding::Eof, &Decoding::Write, nullptr, &Decoding::Error,
                                         &d) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        throw ReadError(UserText(TextId::StreamRead));
    }
    std::int64_t end = 0;
    if (FLAC__stream_decoder_process_until_end_of_metadata(dec)) {
        FLAC__uint64 position = 0;
        if (FLAC__stream_decoder_get_decode_position(dec, &position)) {
            end = static_cast<std::int64_t>(position);
        }
        while (!d.failed && !d.sinkError) {
            const std::int64_t before = d.frames;
            if (!FLAC__stream_decoder_process_single(dec) || d.failed || d.sinkError) {
                break;
            }
            if (FLAC__stream_decoder_get_state(dec) == FLAC__STREAM_DECODER_END_OF_STREAM) {
                break;
            }
            if (d.frames > before && FLAC__stream_decoder_get_decode_position(dec, &position)) {
                end = static_cast<std::int64_t>(position);
            }
        }
    }
    if (d.sinkError) {
        std::rethrow_exception(d.sinkError);
    }
    if (goodEnd != nullptr) {
        *goodEnd = end;
    }
    return d.frames;
}

}  // namespace zolvane2
