#include "platform/PulseSoundOutput.h"

#include <algorithm>

#include "platform/PulseLock.h"

namespace zolvane2 {

namespace {

struct SinkCount {
    PulseConnection* connection = nullptr;
    int count = 0;
};

void OnSinkInfo(pa_context* /*c*/, const pa_sink_info* info, int eol, void* userdata) {
    auto* n = static_cast<SinkCount*>(userdata);
    if (eol == 0 && info != nullptr) {
        ++n->count;
    }
    n->connection->Signal();
}

pa_volume_t ToServerVolume(std::uint16_t v) {
    // Our scale is linear amplitude with 0xFFFF as unity; the server's
    // unity is PA_VOLUME_NORM, which is never exceeded.
    if (v == kSoundVolumeFull) {
        return PA_VOLUME_NORM;
    }
    return std::min<pa_volume_t>(pa_sw_volume_from_linear(static_cast<double>(v) / 65535.0), PA_VOLUME_NORM);
}

}  // namespace

PulseSoundOutput::~PulseSoundOutput() {
    TearDown();
}

int PulseSoundOutput::DeviceCount() {
    PulseConnection connection;
    if (connection.Connect(kTimeout) != kSoundOk) {
        return 0;
    }
    SinkCount n{&connection, 0};
    const PulseLock lock(connection.Mainloop());
    if (connection.Finish(pa_context_get_sink_info_list(connection.Context(), &OnSinkInfo, &n), kTimeout) != kSoundOk) {
        return 0;
    }
    return n.count;
}

SoundResult PulseSoundOutput::Open(int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) {
    if (stream_.Connected()) {
        return kSoundErrBusy;
    }
    const std::optional<pa_sample_spec> format = PulseConnection::PcmFormat(sampleRate, channels);
    if (!owner || !format) {
        return kSoundErrInvalid;
    }
    SoundResult r = stream_.Connect(std::move(owner));
    if (r != kSoundOk) {
        return r;
    }
    channels_ = channels;
    written_ = 0;
    consumed_ = 0;
    lastRead_ = 0;
    lastReadChange_ = std::chrono::steady_clock::now();
    r = ConnectStream(*format);
    if (r != kSoundOk) {
        TearDown();
    }
    return r;
}

SoundResult PulseSoundOutput::ConnectStream(const pa_sample_spec& format) {
    PulseStream::Settings settings;
    settings.direction = PulseStream::Direction::Playback;
    settings.name = "Zolvane2 playback";
    settings.format = format;
    settings.attr.maxlength = static_cast<std::uint32_t>(-1);
    // About the two blocks the owner keeps in circulation, so a block counts
    // as consumed close to when it is heard.
    settings.attr.tlength = latency_.count() > 0
                                ? static_cast<std::uint32_t>(pa_usec_to_bytes(
                                      static_cast<pa_usec_t>(latency_.count()) * PA_USEC_PER_MSEC, &format))
                                : static_cast<std::uint32_t>(kSoundBufferCount * kSoundBufferBytes);
    // Start at the first byte, and after an underrun wait for data instead of
    // skipping ahead: nothing written is ever dropped.
    settings.attr.prebuf = static_cast<std::uint32_t>(pa_frame_size(&format));
    settings.attr.minreq = static_cast<std::uint32_t>(-1);
    settings.attr.fragsize = static_cast<std::uint32_t>(-1);
    // Playback follows the default output wherever the server moves it.
    settings.flags = PA_STREAM_ADJUST_LATENCY;
    pa_cvolume volume{};
    pa_cvolume_set(&volume, format.channels, PA_VOLUME_NORM);
    settings.volume = &volume;
    if (const SoundResult r = stream_.Open(settings); r != kSoundOk) {
        return r;
    }
    const PulseLock lock(stream_.Mainloop());
    pa_mainloop_api* api = stream_.Connection().Api();
    timer_ =
        PulseTimeEventPtr(api->time_new(api, nullptr, &PulseSoundOutput::OnTimer, this), PulseTimeEventDeleter{api});
    return kSoundOk;
}

SoundResult PulseSoundOutput::SetVolume(std::uint16_t left, std::uint16_t right) {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    pa_cvolume volume{};
    volume.channels = static_cast<std::uint8_t>(channels_);
    if (channels_ == 2) {
        volume.values[0] = ToServerVolume(left);
        volume.values[1] = ToServerVolume(right);
    } else {
        pa_cvolume_set(&volume, volume.channels, ToServerVolume(std::max(left, right)));
    }
    PulseConnection& connection = stream_.Connection();
    PulseConnection::Request request{&connection};
    return connection.Finish(pa_context_set_sink_input_volume(connection.Context(), pa_stream_get_index(stream_.Get()),
                                                              &volume, &PulseConnection::ContextDone, &request),
                             request, kTimeout);
}

SoundResult PulseSoundOutput::Prepare(SoundBuffer& buffer) {
    return PreparePlaybackBuffer(buffer);
}

SoundResult PulseSoundOutput::Unprepare(SoundBuffer& buffer) {
    return UnprepareBuffer(buffer);
}

SoundResult PulseSoundOutput::Write(SoundBuffer& buffer) {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    if (const SoundResult r = CheckQueueable(buffer); r != kSoundOk) {
        return r;
    }
    if (const SoundResult r = stream_.Usable(); r != kSoundOk) {
        return r;
    }
    if (buffer.length > 0) {
        // The library copies the bytes, so the block is free for the owner
        // as soon as it comes back.
        if (pa_stream_write(stream_.Get(), buffer.data, static_cast<std::size_t>(buffer.length), nullptr, 0,
                            PA_SEEK_RELATIVE) < 0) {
            return stream_.Connection().LastError();
        }
        written_ += buffer.length;
    }
    buffer.flags.store(kSoundBufferPrepared | kSoundBufferQueued);
    pending_.push_back(Pending{&buffer, written_});
    Complete();
    ArmTimer();
    return kSoundOk;
}

SoundResult PulseSoundOutput::Pause() {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    return stream_.Cork(true);
}

SoundResult PulseSoundOutput::Restart() {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    return stream_.Cork(false);
}

SoundResult PulseSoundOutput::Reset() {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    SoundResult r = stream_.Flush();
    if (r == kSoundOk) {
        // The flush moved the write position back to the read position;
        // blocks written from now on are counted from there.
        PulseConnection::Request timing{&stream_.Connection()};
        r = stream_.Connection().Finish(
            pa_stream_update_timing_info(stream_.Get(), &PulseConnection::StreamDone, &timing), timing, kTimeout);
        const pa_timing_info* ti = pa_stream_get_timing_info(stream_.Get());
        if (r == kSoundOk && ti != nullptr && ti->write_index_corrupt == 0) {
            written_ = ti->write_index;
            consumed_ = written_;
            lastRead_ = ti->read_index;
            lastReadChange_ = std::chrono::steady_clock::now();
        }
    }
    while (!pending_.empty()) {
        SoundBuffer* b = pending_.front().buffer;
        pending_.pop_front();
        HandBackBuffer(stream_.Owner(), MM_WOM_DONE, *b);
    }
    return r;
}

SoundResult PulseSoundOutput::Close() {
    if (!stream_.Connected()) {
        return kSoundErrBadState;
    }
    TearDown();
    return kSoundOk;
}

void PulseSoundOutput::TearDown() {
    stream_.Close([this] {
        timer_.reset();
        for (const Pending& p : pending_) {
            p.buffer->flags.fetch_and(~kSoundBufferQueued);
        }
        pending_.clear();
    });
    timerArmed_ = false;
    updateInFlight_ = false;
}

void PulseSoundOutput::Complete() {
    while (!pending_.empty() && pending_.front().end <= consumed_) {
        SoundBuffer* b = pending_.front().buffer;
        pending_.pop_front();
        HandBackBuffer(stream_.Owner(), MM_WOM_DONE, *b);
    }
}

void PulseSoundOutput::ArmTimer() {
    if (timerArmed_ || pending_.empty() || !timer_) {
        return;
    }
    struct timeval tv {};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, kPollUsec);
    stream_.Connection().Api()->time_restart(timer_.get(), &tv);
    timerArmed_ = true;
}

void PulseSoundOutput::OnTimer(pa_mainloop_api* /*api*/, pa_time_event* /*e*/, const struct timeval* /*tv*/,
                               void* userdata) {
    auto* self = static_cast<PulseSoundOutput*>(userdata);
    self->timerArmed_ = false;
    if (self->pending_.empty() || self->stream_.LostReported()) {
        return;
    }
    if (!self->updateInFlight_ && pa_stream_get_state(self->stream_.Get()) == PA_STREAM_READY) {
        pa_operation* op = pa_stream_update_timing_info(self->stream_.Get(), &PulseSoundOutput::OnTiming, self);
        if (op != nullptr) {
            self->updateInFlight_ = true;
            pa_operation_unref(op);
        }
    }
    self->ArmTimer();
}

void PulseSoundOutput::OnTiming(pa_stream* stream, int success, void* userdata) {
    auto* self = static_cast<PulseSoundOutput*>(userdata);
    self->updateInFlight_ = false;
    const pa_timing_info* ti = success != 0 ? pa_stream_get_timing_info(stream) : nullptr;
    if (ti == nullptr || ti->read_index_corrupt != 0) {
        return;
    }
    // What the server has read still waits in the output's own buffer for
    // the sink's latency. Once reading has stood still for that long (the
    // data ran out), everything read has been heard.
    const auto now = std::chrono::steady_clock::now();
    if (ti->read_index != self->lastRead_) {
        self->lastRead_ = ti->read_index;
        self->lastReadChange_ = now;
    }
    const auto sinkBytes =
        static_cast<std::int64_t>(pa_usec_to_bytes(ti->sink_usec, pa_stream_get_sample_spec(stream)));
    std::int64_t played = ti->read_index - sinkBytes;
    if (now - self->lastReadChange_ >= std::chrono::microseconds(ti->sink_usec + kPollUsec)) {
        played = ti->read_index;
    }
    self->consumed_ = std::max(self->consumed_, played);
    self->Complete();
}

}  // namespace zolvane2
