#include "platform/PulseStream.h"

#include "platform/PulseLock.h"

namespace zolvane2 {

SoundResult PulseStream::Connect(std::shared_ptr<MessageQueue> owner) {
    if (connection_) {
        return kSoundErrBusy;
    }
    auto connection = std::make_unique<PulseConnection>();
    if (const SoundResult r = connection->Connect(kTimeout); r != kSoundOk) {
        return r;
    }
    connection_ = std::move(connection);
    owner_ = std::move(owner);
    ready_ = false;
    lostReported_ = false;
    return kSoundOk;
}

SoundResult PulseStream::Open(const Settings& settings) {
    const PulseLock lock(connection_->Mainloop());
    connection_->SetOnLost([this](SoundResult code) { ReportLost(code); });
    stream_.reset(pa_stream_new(connection_->Context(), settings.name, &settings.format, nullptr));
    if (!stream_) {
        return connection_->LastError();
    }
    pa_stream_set_state_callback(stream_.get(), &PulseStream::OnState, this);
    int connected = 0;
    if (settings.direction == Direction::Record) {
        pa_stream_set_read_callback(stream_.get(), settings.onRead, settings.userdata);
        connected = pa_stream_connect_record(stream_.get(), settings.device, &settings.attr, settings.flags);
    } else {
        connected = pa_stream_connect_playback(stream_.get(), settings.device, &settings.attr, settings.flags,
                                               settings.volume, nullptr);
    }
    if (connected < 0) {
        return connection_->LastError();
    }
    if (const SoundResult r = connection_->WaitForStream(stream_.get(), kTimeout); r != kSoundOk) {
        return r;
    }
    ready_ = true;
    return kSoundOk;
}

void PulseStream::Close(const std::function<void()>& underLock) {
    if (!connection_) {
        return;
    }
    {
        const PulseLock lock(connection_->Mainloop());
        connection_->SetOnLost(nullptr);
        if (underLock) {
            underLock();
        }
        stream_.reset();
        ready_ = false;
    }
    connection_.reset();
    owner_.reset();
}

SoundResult PulseStream::Usable() const {
    if (lostReported_) {
        return kSoundErrConnectionTerminated;
    }
    if (!connection_->Ready() || !stream_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY) {
        return connection_->LastError();
    }
    return kSoundOk;
}

SoundResult PulseStream::Cork(bool cork) {
    if (const SoundResult r = Usable(); r != kSoundOk) {
        return r;
    }
    return connection_->Cork(stream_.get(), cork, kTimeout);
}

SoundResult PulseStream::Flush() {
    if (const SoundResult r = Usable(); r != kSoundOk) {
        return r;
    }
    return connection_->Flush(stream_.get(), kTimeout);
}

void PulseStream::ReportLost(SoundResult code) {
    if (!ready_ || lostReported_) {
        return;
    }
    lostReported_ = true;
    owner_->Post(lostMessage_, static_cast<WParam>(code), 0);
}

void PulseStream::OnState(pa_stream* stream, void* userdata) {
    auto* self = static_cast<PulseStream*>(userdata);
    if (const std::optional<SoundResult> code = PulseConnection::StreamFailure(stream)) {
        self->ReportLost(*code);
    }
    self->connection_->Signal();
}

}  // namespace zolvane2
