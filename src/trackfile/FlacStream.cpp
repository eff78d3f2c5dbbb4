#include "trackfile/FlacStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <FLAC/stream_decoder.h>

#include "platform/Errors.h"
#include "trackfile/FlacFileIo.h"
#include "trackfile/TLongFileStream.h"

namespace zolvane2 {

namespace {

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
};

}  // namespace

// libFLAC reads the file through these callbacks and hands over one frame
// at a time; the last one decoded is kept for the reads that follow.
struct FlacStream::Decoding : FlacFileIo<FlacStream::Decoding> {
    std::unique_ptr<TLongFileStream> file;
    std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder;
    std::vector<std::uint8_t> frame;
    std::int64_t frameStart = 0;  // the frame's offset in the decoded stream
    std::int64_t nextStart = 0;   // where the frame the decoder reads next begins
    bool haveFrame = false;
    bool failed = false;
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
    std::int64_t totalSamples = 0;
    std::int64_t size = 0;

    [[nodiscard]] std::int64_t FrameBytes() const { return 2 * static_cast<std::int64_t>(std::max(channels, 1)); }
    [[nodiscard]] bool Holds(std::int64_t at) const {
        return haveFrame && at >= frameStart && at < frameStart + static_cast<std::int64_t>(frame.size());
    }

    static void Metadata(const FLAC__StreamDecoder* /*d*/, const FLAC__StreamMetadata* block, void* client) {
        auto& self = *static_cast<Decoding*>(client);
        if (block->type == FLAC__METADATA_TYPE_STREAMINFO) {
            const FLAC__StreamMetadata_StreamInfo& si = block->data.stream_info;
            self.channels = static_cast<int>(si.channels);
            self.sampleRate = static_cast<int>(si.sample_rate);
            self.bits = static_cast<int>(si.bits_per_sample);
            self.totalSamples = static_cast<std::int64_t>(si.total_samples);
        }
    }
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder* /*d*/, const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* client) {
        auto& self = *static_cast<Decoding*>(client);
        const unsigned channels = frame->header.channels;
        const unsigned blocksize = frame->header.blocksize;
        if (frame->header.bits_per_sample != 16 || static_cast<int>(channels) != self.channels) {
            self.failed = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        self.frame.resize(static_cast<std::size_t>(blocksize) * channels * 2);
        std::size_t at = 0;
        for (unsigned i = 0; i < blocksize; ++i) {
            for (unsigned c = 0; c < channels; ++c) {
                const auto v = static_cast<std::uint16_t>(buffer[c][i]);
                self.frame[at++] = static_cast<std::uint8_t>(v & 0xFFU);
                self.frame[at++] = static_cast<std::uint8_t>(v >> 8);
            }
        }
        // libFLAC numbers every frame by its first sample, a frame trimmed
        // to a seek's target too.
        self.frameStart = static_cast<std::int64_t>(frame->header.number.sample_number) * self.FrameBytes();
        self.nextStart = self.frameStart + static_cast<std::int64_t>(at);
        self.haveFrame = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }
    static void Error(const FLAC__StreamDecoder* /*d*/, FLAC__StreamDecoderErrorStatus /*status*/, void* client) {
        // A lost sync or a bad CRC: the good part of the file ends here.
        static_cast<Decoding*>(client)->failed = true;
    }

    // Decodes the next frame; false at the end or where the file is damaged.
    bool Next() {
        haveFrame = false;
        while (!haveFrame && !failed) {
            if (!FLAC__stream_decoder_process_single(decoder.get()) ||
                FLAC__stream_decoder_get_state(decoder.get()) == FLAC__STREAM_DECODER_END_OF_STREAM) {
                break;
            }
        }
        return haveFrame && !failed;
    }

    // Back to the first frame.
    bool Rewind() {
        failed = false;
        haveFrame = false;
        nextStart = 0;
        return FLAC__stream_decoder_reset(decoder.get()) &&
               FLAC__stream_decoder_process_until_end_of_metadata(decoder.get());
    }

    // Decodes the frame that holds byte offset at of the decoded stream.
    bool SeekTo(std::int64_t at) {
        haveFrame = false;
        const auto sample = static_cast<FLAC__uint64>(at / FrameBytes());
        if (!failed && FLAC__stream_decoder_seek_absolute(decoder.get(), sample)) {
            return Holds(at) || (Next() && Holds(at));
        }
        // No sample count to search by, or damage on the way: from the start.
        if (!Rewind()) {
            return false;
        }
        while (Next()) {
            if (Holds(at)) {
                return true;
            }
        }
        return false;
    }
};

FlacStream::FlacStream(const std::string& path, unsigned openMode) : d_(std::make_unique<Decoding>()) {
    d_->file = std::make_unique<TLongFileStream>(path, openMode);
    d_->decoder.reset(FLAC__stream_decoder_new());
    if (!d_->decoder) {
        throw ReadError(UserText(TextId::StreamRead), ENOMEM);
    }
    FLAC__StreamDecoder* dec = d_->decoder.get();
    if (FLAC__stream_decoder_init_stream(dec, &Decoding::Read, &Decoding::Seek, &Decoding::Tell, &Decoding::Length,
                                         &Decoding::Eof, &Decoding::Write, &Decoding::Metadata, &Decoding::Error,
                                         d_.get()) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
        !FLAC__stream_decoder_process_until_end_of_metadata(dec) || d_->bits != 16 || d_->channels < 1 ||
        d_->channels > 2) {
        throw ReadError(UserText(TextId::UnsupportedFlac, {path}));
    }
    if (d_->totalSamples == 0) {
        // Killed before its count was written: the frames are counted.
        std::int64_t end = 0;
        while (d_->Next()) {
            end = d_->nextStart;
        }
        d_->size = end;
        (void)d_->Rewind();
    } else {
        d_->size = d_->totalSamples * d_->FrameBytes();
    }
}

FlacStream::~FlacStream() = default;

std::int64_t FlacStream::Read(void* buffer, std::int64_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int64_t done = 0;
    while (done < count && position_ < d_->size) {
        if (!d_->Holds(position_)) {
            const bool found =
                position_ == d_->nextStart && !d_->failed ? d_->Next() && d_->Holds(position_) : d_->SeekTo(position_);
            if (!found) {
                break;
            }
        }
        const std::int64_t at = position_ - d_->frameStart;
        const std::int64_t n =
            std::min({count - done, static_cast<std::int64_t>(d_->frame.size()) - at, d_->size - position_});
        std::memcpy(out + done, d_->frame.data() + at, static_cast<std::size_t>(n));
        position_ += n;
        done += n;
    }
    return done;
}

std::int64_t FlacStream::Write(const void* /*buffer*/, std::int64_t /*count*/) {
    return 0;
}

std::int64_t FlacStream::Seek64(std::int64_t offset, int origin) {
    const std::int64_t from = origin == soFromCurrent ? position_ : origin == soFromEnd ? d_->size : 0;
    position_ = std::max<std::int64_t>(from + offset, 0);
    return position_;
}

std::int64_t FlacStream::GetSize64() {
    return d_->size;
}

int FlacStream::Channels() const {
    return d_->channels;
}

int FlacStream::SampleRate() const {
    return d_->sampleRate;
}

}  // namespace zolvane2
