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
    if (connection_) {
        return kSoundErrBusy;
    }
    const std::optional<pa_sample_spec> format = PulseConnection::PcmFormat(sampleRate, channels);
    if (!owner || !format) {
        return kSoundErrInvalid;
    }
    auto connection = std::make_unique<PulseConnection>();
    SoundResult r = connection->Connect(kTimeout);
    if (r != kSoundOk) {
        return r;
    }
    connection_ = std::move(connection);
    owner_ = std::move(owner);
    channels_ = channels;
    written_ = 0;
    consumed_ = 0;
    lastRead_ = 0;
    lastReadChange_ = std::chrono::steady_clock::now();
    ready_ = false;
    lostReported_ = false;
    r = ConnectStream(*format);
    if (r != kSoundOk) {
        TearDown();
    }
    return r;
}

SoundResult PulseSoundOutput::ConnectStream(const pa_sample_spec& format) {
    const PulseLock lock(connection_->Mainloop());
    connection_->SetOnLost([this](SoundResult code) { ReportLost(code); });
    stream_.reset(pa_stream_new(connection_->Context(), "Zolvane2 playback", &format, nullptr));
    if (!stream_) {
        return connection_->LastError();
    }
    pa_stream_set_state_callback(stream_.get(), &PulseSoundOutput::OnStreamState, this);
    const auto frame = static_cast<std::uint32_t>(pa_frame_size(&format));
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    // About the two blocks the owner keeps in circulation, so a block counts
    // as consumed close to when it is heard.
    attr.tlength = static_cast<std::uint32_t>(kSoundBufferCount * kSoundBufferBytes);
    // Start at the first byte, and after an underrun wait for data instead of
    // skipping ahead: nothing written is ever dropped.
    attr.prebuf = frame;
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);
    pa_cvolume volume{};
    pa_cvolume_set(&volume, format.channels, PA_VOLUME_NORM);
    if (pa_stream_connect_playback(stream_.get(), nullptr, &attr, PA_STREAM_ADJUST_LATENCY, &volume, nullptr) < 0) {
        return connection_->LastError();
    }
    if (const SoundResult r = connection_->WaitForStream(stream_.get(), kTimeout); r != kSoundOk) {
        return r;
    }
    pa_mainloop_api* api = connection_->Api();
    timer_ =
        PulseTimeEventPtr(api->time_new(api, nullptr, &PulseSoundOutput::OnTimer, this), PulseTimeEventDeleter{api});
    ready_ = true;
    return kSoundOk;
}

SoundResult PulseSoundOutput::SetVolume(std::uint16_t left, std::uint16_t right) {
    if (!stream_) {
        return kSoundErrBadState;
    }
    const PulseLock lock(connection_->Mainloop());
    pa_cvolume volume{};
    volume.channels = static_cast<std::uint8_t>(channels_);
    if (channels_ == 2) {
        volume.values[0] = ToServerVolume(left);
        volume.values[1] = ToServerVolume(right);
    } else {
        pa_cvolume_set(&volume, volume.channels, ToServerVolume(std::max(left, right)));
    }
    PulseConnection::Request request{connection_.get()};
    return connection_->Finish(
        pa_context_set_sink_input_volume(connection_->Context(), pa_stream_get_index(stream_.get()), &volume,
                                         &PulseConnection::ContextDone, &request),
        request, kTimeout);
}

SoundResult PulseSoundOutput::Prepare(SoundBuffer& buffer) {
    return PreparePlaybackBuffer(buffer);
}

SoundResult PulseSoundOutput::Unprepare(SoundBuffer& buffer) {
    return UnprepareBuffer(buffer);
}

SoundResult PulseSoundOutput::Write(SoundBuffer& buffer) {
    if (!stream_) {
        return kSoundErrBadState;
    }
    const PulseLock lock(connection_->Mainloop());
    if (const SoundResult r = CheckQueueable(buffer); r != kSoundOk) {
        return r;
    }
    if (const SoundResult r = StreamUsable(); r != kSoundOk) {
        return r;
    }
    if (buffer.length > 0) {
        // The library copies the bytes, so the block is free for the owner
        // as soon as it comes back.
        if (pa_stream_write(stream_.get(), buffer.data, static_cast<std::size_t>(buffer.length), nullptr, 0,
                            PA_SEEK_RELATIVE) < 0) {
            return connection_->LastError();
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
    if (!stream_) {
        return kSoundErrBadState;
    }
    const PulseLock lock(connection_->Mainloop());
    return Cork(true);
}

SoundResult PulseSoundOutput::Restart() {
    if (!stream_) {
        return kSoundErrBadState;
    }
    const PulseLock lock(connection_->Mainloop());
    return Cork(false);
}

SoundResult PulseSoundOutput::Reset() {
    if (!stream_) {
        return kSoundErrBadState;
    }
    const PulseLock lock(connection_->Mainloop());
    SoundResult r = StreamUsable();
    if (r == kSoundOk) {
        r = connection_->Flush(stream_.get(), kTimeout);
        if (r == kSoundOk) {
            // The flush moved the write position back to the read position;
            // blocks written from now on are counted from there.
            PulseConnection::Request timing{connection_.get()};
            r = connection_->Finish(pa_stream_update_timing_info(stream_.get(), &PulseConnection::StreamDone, &timing),
                                    timing, kTimeout);
            const pa_timing_info* ti = pa_stream_get_timing_info(stream_.get());
            if (r == kSoundOk && ti != nullptr && ti->write_index_corrupt == 0) {
                written_ = ti->write_index;
                consumed_ = written_;
                lastRead_ = ti->read_index;
                lastReadChange_ = std::chrono::steady_clock::now();
            }
        }
    }
    while (!pending_.empty()) {
        SoundBuffer* b = pending_.front().buffer;
        pending_.pop_front();
        HandBackBuffer(*owner_, MM_WOM_DONE, *b);
    }
    return r;
}

SoundResult PulseSoundOutput::Close() {
    if (!connection_) {
        return kSoundErrBadState;
    }
    TearDown();
    return kSoundOk;
}

void PulseSoundOutput::TearDown() {
    if (!connection_) {
        return;
    }
    {
        const PulseLock lock(connection_->Mainloop());
        connection_->SetOnLost(nullptr);
        timer_.reset();
        stream_.reset();
        ready_ = false;
        for (const Pending& p : pending_) {
            p.buffer->flags.fetch_and(~kSoundBufferQueued);
        }
        pending_.clear();
    }
    connection_.reset();
    owner_.reset();
    timerArmed_ = false;
    updateInFlight_ = false;
}

SoundResult PulseSoundOutput::StreamUsable() const {
    if (lostReported_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY) {
        return lostReported_ ? kSoundErrConnectionTerminated : connection_->LastError();
    }
    return kSoundOk;
}

SoundResult PulseSoundOutput::Cork(bool cork) {
    if (const SoundResult r = StreamUsable(); r != kSoundOk) {
        return r;
    }
    return connection_->Cork(stream_.get(), cork, kTimeout);
}

void PulseSoundOutput::Complete() {
    while (!pending_.empty() && pending_.front().end <= consumed_) {
        SoundBuffer* b = pending_.front().buffer;
        pending_.pop_front();
        HandBackBuffer(*owner_, MM_WOM_DONE, *b);
    }
}

void PulseSoundOutput::ArmTimer() {
    if (timerArmed_ || pending_.empty() || !timer_) {
        return;
    }
    struct timeval tv {};
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, kPollUsec);
    connection_->Api()->time_restart(timer_.get(), &tv);
    timerArmed_ = true;
}

void PulseSoundOutput::ReportLost(SoundResult code) {
    if (!ready_ || lostReported_) {
        return;
    }
    lostReported_ = true;
    owner_->Post(MM_WOM_DEVICE_LOST, static_cast<WParam>(code), 0);
}

void PulseSoundOutput::OnTimer(pa_mainloop_api* /*api*/, pa_time_event* /*e*/, const struct timeval* /*tv*/,
                               void* userdata) {
    auto* self = static_cast<PulseSoundOutput*>(userdata);
    self->timerArmed_ = false;
    if (self->pending_.empty() || self->lostReported_) {
        return;
    }
    if (!self->updateInFlight_ && pa_stream_get_state(self->stream_.get()) == PA_STREAM_READY) {
        pa_operation* op = pa_stream_update_timing_info(self->stream_.get(), &PulseSoundOutput::OnTiming, self);
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

void PulseSoundOutput::OnStreamState(pa_stream* stream, void* userdata) {
    auto* self = static_cast<PulseSoundOutput*>(userdata);
    if (const std::optional<SoundResult> code = PulseConnection::StreamFailure(stream)) {
        self->ReportLost(*code);
    }
    self->connection_->Signal();
}

}  // namespace zolvane2
