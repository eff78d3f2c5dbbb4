#include "platform/PulseSoundInput.h"

#include <algorithm>
#include <cstring>

#include <pulse/rtclock.h>

#include "platform/PulseDeviceWatch.h"
#include "platform/PulseLock.h"

namespace zolvane2 {

namespace {

struct SourceList {
    PulseConnection* connection = nullptr;
    std::vector<std::string> names;
    std::vector<std::string> descriptions;
};

void OnSourceInfo(pa_context* /*c*/, const pa_source_info* info, int eol, void* userdata) {
    auto* list = static_cast<SourceList*>(userdata);
    if (eol == 0 && info != nullptr) {
        list->names.emplace_back(info->name != nullptr ? info->name : "");
        list->descriptions.emplace_back(info->description != nullptr ? info->description : list->names.back());
    }
    list->connection->Signal();
}

struct ServerDefaults {
    PulseConnection* connection = nullptr;
    std::string defaultSource;
};

void OnServerInfo(pa_context* /*c*/, const pa_server_info* info, void* userdata) {
    auto* defaults = static_cast<ServerDefaults*>(userdata);
    if (info != nullptr && info->default_source_name != nullptr) {
        defaults->defaultSource = info->default_source_name;
    }
    defaults->connection->Signal();
}

}  // namespace

PulseSoundInput::~PulseSoundInput() {
    TearDown();
}

SoundResult PulseSoundInput::ListSources(PulseConnection& connection, std::vector<Source>& out) {
    SourceList list{&connection, {}, {}};
    const PulseLock lock(connection.Mainloop());
    const SoundResult r =
        connection.Finish(pa_context_get_source_info_list(connection.Context(), &OnSourceInfo, &list), kTimeout);
    if (r != kSoundOk) {
        return r;
    }
    out.clear();
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        out.push_back(Source{list.names[i], list.descriptions[i]});
    }
    return kSoundOk;
}

std::vector<std::string> PulseSoundInput::DeviceNames() {
    std::vector<std::string> names{kDefaultInputDeviceName};
    PulseConnection connection;
    std::vector<Source> sources;
    if (connection.Connect(kTimeout) == kSoundOk && ListSources(connection, sources) == kSoundOk) {
        for (const auto& s : sources) {
            names.push_back(s.description);
        }
    }
    return names;
}

std::vector<InputDeviceInfo> PulseSoundInput::Devices() {
    std::vector<InputDeviceInfo> devices;
    PulseConnection connection;
    std::vector<Source> sources;
    if (connection.Connect(kTimeout) != kSoundOk || ListSources(connection, sources) != kSoundOk) {
        return devices;
    }
    ServerDefaults defaults{&connection, {}};
    {
        const PulseLock lock(connection.Mainloop());
        // Without an answer no source is marked; the list itself stands.
        (void)connection.Finish(pa_context_get_server_info(connection.Context(), &OnServerInfo, &defaults), kTimeout);
    }
    for (const auto& s : sources) {
        devices.push_back({s.name, s.description, !defaults.defaultSource.empty() && s.name == defaults.defaultSource});
    }
    return devices;
}

bool PulseSoundInput::ServerReachable() {
    PulseConnection connection;
    return connection.Connect(kTimeout) == kSoundOk;
}

int PulseSoundInput::DeviceCount() {
    PulseConnection connection;
    std::vector<Source> sources;
    if (connection.Connect(kTimeout) != kSoundOk || ListSources(connection, sources) != kSoundOk) {
        return 0;
    }
    return static_cast<int>(sources.size());
}

std::unique_ptr<InputDeviceWatch> PulseSoundInput::WatchDevices(const InputDeviceWatch::Changed& changed) {
    return std::make_unique<PulseDeviceWatch>(changed);
}

SoundResult PulseSoundInput::Open(int deviceIndex, int sampleRate, int channels, std::shared_ptr<MessageQueue> owner) {
    if (stream_.Connected()) {
        return kSoundErrBusy;
    }
    const std::optional<pa_sample_spec> format = PulseConnection::PcmFormat(sampleRate, channels);
    if (!owner || deviceIndex < 0 || !format) {
        return kSoundErrInvalid;
    }
    SoundResult r = stream_.Connect(std::move(owner));
    if (r != kSoundOk) {
        return r;
    }
    std::string sourceName;
    std::vector<Source> sources;
    r = ListSources(stream_.Connection(), sources);
    if (deviceIndex > 0) {
        if (r == kSoundOk && static_cast<std::size_t>(deviceIndex) > sources.size()) {
            r = kSoundErrNoEntity;
        }
        if (r != kSoundOk) {
            TearDown();
            return r;
        }
        sourceName = sources[static_cast<std::size_t>(deviceIndex) - 1].name;
    }
    sourceText_.clear();
    r = ConnectStream(*format, sourceName);
    if (r != kSoundOk) {
        TearDown();
        return r;
    }
    // The default entry records from whatever the server's default is now;
    // a message about the device names that source.
    const PulseLock lock(stream_.Mainloop());
    const char* name = pa_stream_get_device_name(stream_.Get());
    sourceText_ = name != nullptr ? name : sourceName;
    for (const auto& s : sources) {
        if (s.name == sourceText_ && !s.description.empty() && s.description != s.name) {
            sourceText_ = s.description + " (" + s.name + ")";
        }
    }
    return kSoundOk;
}

SoundResult PulseSoundInput::ConnectStream(const pa_sample_spec& format, const std::string& sourceName) {
    PulseStream::Settings settings;
    settings.direction = PulseStream::Direction::Record;
    settings.name = "Zolvane2 recording";
    settings.format = format;
    // The largest buffer the server allows: it is what carries the audio
    // through a stall of this whole process.
    settings.attr.maxlength = static_cast<std::uint32_t>(-1);
    settings.attr.tlength = static_cast<std::uint32_t>(-1);
    settings.attr.prebuf = static_cast<std::uint32_t>(-1);
    settings.attr.minreq = static_cast<std::uint32_t>(-1);
    // Small fragments keep the blocks flowing evenly; the blocks themselves
    // are filled here.
    settings.attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(20 * PA_USEC_PER_MSEC, &format));
    // A source that goes away ends the recording instead of the server
    // moving it silently to another one, the default entry's included.
    settings.flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    settings.device = sourceName.empty() ? nullptr : sourceName.c_str();
    settings.onRead = &PulseSoundInput::OnRead;
    settings.userdata = this;
    return stream_.Open(settings);
}

SoundResult PulseSoundInput::Prepare(SoundBuffer& buffer) {
    return PrepareCaptureBuffer(buffer);
}

SoundResult PulseSoundInput::Unprepare(SoundBuffer& buffer) {
    return UnprepareBuffer(buffer);
}

SoundResult PulseSoundInput::AddBuffer(SoundBuffer& buffer) {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    if (const SoundResult r = CheckQueueable(buffer); r != kSoundOk) {
        return r;
    }
    buffer.bytesRecorded.store(0);
    buffer.flags.store(kSoundBufferPrepared | kSoundBufferQueued);
    queued_.push_back(&buffer);
    Deliver();
    return kSoundOk;
}

SoundResult PulseSoundInput::Start() {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    const SoundResult r = stream_.Cork(false);
    if (r == kSoundOk) {
        StartWatch();
    }
    return r;
}

SoundResult PulseSoundInput::Stop() {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    StopWatch();
    const SoundResult r = stream_.Cork(true);
    if (!queued_.empty() && queued_.front()->bytesRecorded.load() > 0) {
        HandBack();
    }
    return r;
}

SoundResult PulseSoundInput::Reset() {
    if (!stream_.HasStream()) {
        return kSoundErrBadState;
    }
    const PulseLock lock(stream_.Mainloop());
    StopWatch();
    SoundResult r = stream_.Cork(true);
    if (r == kSoundOk) {
        r = stream_.Flush();
    }
    kept_.clear();
    keptHead_ = 0;
    while (!queued_.empty()) {
        HandBack();
    }
    return r;
}

SoundResult PulseSoundInput::Close() {
    if (!stream_.Connected()) {
        return kSoundErrBadState;
    }
    TearDown();
    return kSoundOk;
}

std::int64_t PulseSoundInput::KeptBytes() {
    if (!stream_.Connected()) {
        return 0;
    }
    const PulseLock lock(stream_.Mainloop());
    return static_cast<std::int64_t>(KeptSize());
}

void PulseSoundInput::TearDown() {
    stream_.Close([this] {
        StopWatch();
        for (SoundBuffer* b : queued_) {
            b->flags.fetch_and(~kSoundBufferQueued);
        }
        queued_.clear();
        kept_.clear();
        keptHead_ = 0;
    });
}

void PulseSoundInput::Keep(const std::uint8_t* data, std::size_t n) {
    if (KeptSize() + n > kMaxKeptBytes) {
        if (droppedBytes_ == 0) {
            dropAt_ = watch_.ArrivedBytes();
        }
        droppedBytes_ += static_cast<std::int64_t>(n);
        return;
    }
    if (droppedBytes_ > 0) {
        ReportDataLost(droppedBytes_, dropAt_);
        droppedBytes_ = 0;
    }
    if (keptHead_ > 0 && keptHead_ == kept_.size()) {
        kept_.clear();
        keptHead_ = 0;
    } else if (keptHead_ >= std::size_t{1024} * 1024U) {
        kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(keptHead_));
        keptHead_ = 0;
    }
    if (data != nullptr) {
        kept_.insert(kept_.end(), data, data + n);
    } else {
        kept_.resize(kept_.size() + n, 0);
    }
}

void PulseSoundInput::Deliver() {
    while (!queued_.empty() && KeptSize() > 0) {
        SoundBuffer* b = queued_.front();
        const std::int64_t have = b->bytesRecorded.load();
        const auto n =
            static_cast<std::size_t>(std::min<std::int64_t>(b->length - have, static_cast<std::int64_t>(KeptSize())));
        std::memcpy(b->data + have, kept_.data() + keptHead_, n);
        keptHead_ += n;
        b->bytesRecorded.store(have + static_cast<std::int64_t>(n));
        if (have + static_cast<std::int64_t>(n) == b->length) {
            HandBack();
        }
    }
    if (keptHead_ == kept_.size()) {
        kept_.clear();
        keptHead_ = 0;
    }
}

void PulseSoundInput::HandBack() {
    SoundBuffer* b = queued_.front();
    queued_.pop_front();
    HandBackBuffer(stream_.Owner(), MM_WIM_DATA, *b);
}

void PulseSoundInput::ReportDataLost(std::int64_t bytes, std::int64_t at) {
    if (bytes > 0) {
        stream_.Owner().Post(MM_WIM_DATA_LOST, static_cast<WParam>(bytes), static_cast<LParam>(at));
    }
}

void PulseSoundInput::StartWatch() {
    const pa_sample_spec* format = pa_stream_get_sample_spec(stream_.Get());
    const pa_buffer_attr* attr = pa_stream_get_buffer_attr(stream_.Get());
    if (format == nullptr) {
        return;
    }
    droppedBytes_ = 0;
    serverHeld_.reset();
    const auto frameBytes = static_cast<std::int64_t>(pa_frame_size(format));
    watch_.Start(frameBytes * format->rate, frameBytes, attr != nullptr ? attr->maxlength : 0);
    watchTimer_ = PulseTimeEventPtr(
        pa_context_rttime_new(stream_.Connection().Context(), pa_rtclock_now() + CaptureLossWatch::kCheckUsec,
                              &PulseSoundInput::OnWatchTimer, this),
        PulseTimeEventDeleter{stream_.Connection().Api()});
}

void PulseSoundInput::StopWatch() {
    watch_.Stop();
    watchTimer_.reset();
}

void PulseSoundInput::OnRead(pa_stream* stream, std::size_t /*nbytes*/, void* userdata) {
    auto* self = static_cast<PulseSoundInput*>(userdata);
    const pa_usec_t now = pa_rtclock_now();
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        std::size_t n = 0;
        if (pa_stream_peek(stream, &data, &n) < 0 || n == 0) {
            break;
        }
        // A hole (data lost by the server) keeps its length as silence, so the
        // timing of what follows stays right, and is reported.
        if (data == nullptr) {
            self->ReportDataLost(static_cast<std::int64_t>(n), self->watch_.ArrivedBytes());
        }
        self->Keep(static_cast<const std::uint8_t*>(data), n);
        if (self->tap_) {
            self->tap_->Put(static_cast<const std::uint8_t*>(data), n);
        }
        self->watch_.Arrived(static_cast<std::int64_t>(n), now);
        pa_stream_drop(stream);
    }
    self->Deliver();
}

bool PulseSoundInput::SetTap(const std::shared_ptr<AudioTap>& tap) {
    if (!stream_.Connected()) {
        tap_ = tap;  // no callback runs before the device is open
        return true;
    }
    const PulseLock lock(stream_.Mainloop());
    tap_ = tap;
    return true;
}

void PulseSoundInput::OnTimingInfo(pa_stream* stream, int success, void* userdata) {
    auto* self = static_cast<PulseSoundInput*>(userdata);
    const pa_timing_info* info = success != 0 ? pa_stream_get_timing_info(stream) : nullptr;
    if (info != nullptr && info->read_index_corrupt == 0 && info->write_index_corrupt == 0) {
        // What the server has taken from the source for this stream and not
        // yet handed to this process.
        self->serverHeld_ = info->write_index - info->read_index;
    }
}

void PulseSoundInput::OnWatchTimer(pa_mainloop_api* /*api*/, pa_time_event* e, const struct timeval* /*tv*/,
                                   void* userdata) {
    auto* self = static_cast<PulseSoundInput*>(userdata);
    const pa_usec_t now = pa_rtclock_now();
    // The server's answer to the previous look's question is at most a
    // quarter of a second old; the next question goes out now.
    const std::optional<std::int64_t> held = self->serverHeld_;
    self->serverHeld_.reset();
    if (const auto loss = self->watch_.Check(now, held)) {
        self->ReportDataLost(loss->bytes, loss->at);
    }
    if (pa_operation* op = pa_stream_update_timing_info(self->stream_.Get(), &PulseSoundInput::OnTimingInfo, self)) {
        pa_operation_unref(op);
    }
    if (self->droppedBytes_ > 0 && self->KeptSize() + kSoundBufferBytes <= kMaxKeptBytes) {
        self->ReportDataLost(self->droppedBytes_, self->dropAt_);
        self->droppedBytes_ = 0;
    }
    pa_context_rttime_restart(self->stream_.Connection().Context(), e, now + CaptureLossWatch::kCheckUsec);
}

}  // namespace zolvane2
