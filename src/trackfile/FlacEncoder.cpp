#include "trackfile/FlacEncoder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include "platform/Errors.h"
#include "trackfile/TLongStream.h"

namespace zolvane2 {

namespace {

// Samples converted per call into libFLAC: 64 KB of int32.
constexpr std::int64_t kChunkSamples = 16384;

}  // namespace

// libFLAC writes the header, each frame and at the end STREAMINFO again
// through these; they only move bytes into the stream.
struct FlacEncoder::Callbacks {
    static FLAC__StreamEncoderWriteStatus Write(const FLAC__StreamEncoder* /*encoder*/, const FLAC__byte buffer[],
                                                size_t bytes, uint32_t /*samples*/, uint32_t /*frame*/, void* client) {
        auto& self = *static_cast<FlacEncoder*>(client);
        const auto count = static_cast<std::int64_t>(bytes);
        errno = 0;
        std::int64_t done = 0;
        while (done < count) {
            const std::int64_t n = self.stream_.Write(buffer + done, count - done);
            if (n <= 0) {
                self.writeErrno_ = errno != 0 ? errno : EIO;
                return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
            }
            done += n;
        }
        return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
    }
    static FLAC__StreamEncoderSeekStatus Seek(const FLAC__StreamEncoder* /*encoder*/, FLAC__uint64 offset,
                                              void* client) {
        auto& self = *static_cast<FlacEncoder*>(client);
        const auto to = static_cast<std::int64_t>(offset);
        return self.stream_.Seek64(to, TLongStream::soFromBeginning) == to ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
                                                                           : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    }
    static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder* /*encoder*/, FLAC__uint64* offset,
                                              void* client) {
        auto& self = *static_cast<FlacEncoder*>(client);
        const std::int64_t at = self.stream_.GetPosition64();
        if (at < 0) {
            return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
        }
        *offset = static_cast<FLAC__uint64>(at);
        return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
    }
};

void FlacEncoder::EncoderDeleter::operator()(FLAC__StreamEncoder* encoder) const {
    FLAC__stream_encoder_delete(encoder);
}

void FlacEncoder::MetadataDeleter::operator()(FLAC__StreamMetadata* block) const {
    FLAC__metadata_object_delete(block);
}

FlacEncoder::FlacEncoder(TLongStream& stream, int channels, int sampleRate, const FlacSettings& settings,
                         const TrackTags& tags)
    : stream_(stream),
      encoder_(FLAC__stream_encoder_new()),
      channels_(std::max(channels, 1)),
      frameBytes_(2 * static_cast<std::int64_t>(std::max(channels, 1))) {
    if (!encoder_) {
        throw WriteError(UserText(TextId::StreamWrite), ENOMEM);
    }
    FLAC__StreamEncoder* e = encoder_.get();
    bool ok = FLAC__stream_encoder_set_channels(e, static_cast<unsigned>(channels_)) &&
              FLAC__stream_encoder_set_bits_per_sample(e, 16) &&
              FLAC__stream_encoder_set_sample_rate(e, static_cast<unsigned>(std::max(sampleRate, 1))) &&
              FLAC__stream_encoder_set_compression_level(e, static_cast<unsigned>(std::clamp(settings.level, 0, 8)));
    const auto fields = tags.Fields();
    if (ok && !fields.empty()) {
        tags_.reset(FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT));
        ok = tags_ != nullptr;
        for (const auto& [name, value] : fields) {
            FLAC__StreamMetadata_VorbisComment_Entry entry{};
            ok = ok &&
                 FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name.c_str(), value.c_str()) &&
                 FLAC__metadata_object_vorbiscomment_append_comment(tags_.get(), entry, false);
        }
        FLAC__StreamMetadata* blocks[] = {tags_.get()};
        ok = ok && FLAC__stream_encoder_set_metadata(e, blocks, 1);
    }
    if (!ok || FLAC__stream_encoder_init_stream(e, &Callbacks::Write, &Callbacks::Seek, &Callbacks::Tell, nullptr,
                                                this) != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        Fail();
    }
}

// An output given up unfinished (deleted, or a failed job) is finished by
// libFLAC's delete through the callbacks; its stream must still exist.
FlacEncoder::~FlacEncoder() = default;

void FlacEncoder::Fail() const {
    const int code = writeErrno_ != 0 ? writeErrno_ : EIO;
    throw WriteError(UserText(TextId::StreamWrite), code);
}

void FlacEncoder::Encode(const std::uint8_t* bytes, std::int64_t count) {
    if (count <= 0) {
        return;
    }
    bytesTaken_ += count;
    if (!torn_.empty()) {
        const std::int64_t need = std::min(frameBytes_ - static_cast<std::int64_t>(torn_.size()), count);
        torn_.insert(torn_.end(), bytes, bytes + need);
        bytes += need;
        count -= need;
        if (static_cast<std::int64_t>(torn_.size()) < frameBytes_) {
            return;
        }
        std::vector<std::uint8_t> frame;
        frame.swap(torn_);
        bytesTaken_ -= frameBytes_;
        Encode(frame.data(), frameBytes_);
    }
    const std::int64_t whole = count / frameBytes_ * frameBytes_;
    samples_.resize(static_cast<std::size_t>(kChunkSamples));
    const std::int64_t chunkFrames = kChunkSamples / channels_;
    for (std::int64_t at = 0; at < whole;) {
        const std::int64_t frames = std::min(chunkFrames, (whole - at) / frameBytes_);
        const std::int64_t n = frames * channels_;
        const std::uint8_t* p = bytes + at;
        for (std::int64_t i = 0; i < n; ++i) {
            samples_[static_cast<std::size_t>(i)] =
                static_cast<std::int16_t>(static_cast<std::uint16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
        }
        if (!FLAC__stream_encoder_process_interleaved(encoder_.get(), samples_.data(), static_cast<unsigned>(frames))) {
            Fail();
        }
        at += frames * frameBytes_;
    }
    if (whole < count) {
        torn_.assign(bytes + whole, bytes + count);
    }
}

void FlacEncoder::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    // libFLAC seeks back to patch STREAMINFO; the stream is left at the end.
    const bool ok = FLAC__stream_encoder_finish(encoder_.get()) != 0;
    stream_.Seek64(0, TLongStream::soFromEnd);
    if (!ok) {
        Fail();
    }
}

}  // namespace zolvane2
