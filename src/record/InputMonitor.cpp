#include "record/InputMonitor.h"

#include <algorithm>

#include "platform/Message.h"

namespace zolvane2 {

namespace {

std::int64_t BytesFor(int ms, int rate, int channels) {
    return std::max<std::int64_t>(std::int64_t{rate} * ms / 1000, 1) * channels * 2;
}

}  // namespace

InputMonitor::InputMonitor(int sampleRate, int channels, std::unique_ptr<SoundOutput> output, Failed failed)
    : rate_(sampleRate),
      channels_(std::max(channels, 1)),
      blockBytes_(BytesFor(kBlockMs, sampleRate, channels_)),
      output_(output ? std::move(output) : CreateSoundOutput()),
      failed_(std::move(failed)),
      // A source may hand its audio over in bursts of a tenth of a second
      // (a pipe); the tap holds one while the output takes it.
      tap_(std::make_shared<AudioTap>(BytesFor(kTapMs, sampleRate, channels_), channels_ * 2, QueueHandle(), kReady)),
      scratch_(static_cast<std::size_t>(blockBytes_)) {
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        blocks_[i].bytes.assign(static_cast<std::size_t>(blockBytes_), 0);
        blocks_[i].header.data = blocks_[i].bytes.data();
        blocks_[i].header.user = i;
    }
}

InputMonitor::~InputMonitor() {
    Stop();
}

void InputMonitor::Stop() {
    if (Running()) {
        (void)Queue().Post(kQuit);
        WaitFor();
    }
}

void InputMonitor::Execute() {
    Open();
    while (true) {
        const Message m = Queue().Get();
        if (m.msg == kQuit || m.msg == WM_QUIT) {
            break;
        }
        if (m.msg == kReady) {
            Feed();
        } else if (m.msg == MM_WOM_DONE) {
            Done(m.lParam);
            Feed();
        } else if (m.msg == MM_WOM_DEVICE_LOST) {
            Fail(static_cast<SoundResult>(m.wParam));
        }
    }
    Close();
}

void InputMonitor::Open() {
    if (output_->DeviceCount() == 0) {
        Fail(kSoundErrNoEntity);
        return;
    }
    output_->SetLatency(std::chrono::milliseconds(kOutputLatencyMs));
    const SoundResult r = output_->Open(rate_, channels_, QueueHandle());
    if (r != kSoundOk) {
        Fail(r);
        return;
    }
    open_ = true;
}

void InputMonitor::Feed() {
    while (true) {
        auto free = std::find_if(blocks_.begin(), blocks_.end(), [](const Block& b) { return !b.busy; });
        if (!open_ || free == blocks_.end()) {
            // The output is full (or gone): what waits is let go, so that
            // the next audio heard is the newest.
            const auto n = static_cast<std::int64_t>(tap_->Take(scratch_.data(), scratch_.size()));
            dropped_.fetch_add(n);
            if (n == 0) {
                return;
            }
            continue;
        }
        const std::size_t n = tap_->Take(free->bytes.data(), free->bytes.size());
        if (n == 0) {
            return;
        }
        free->header.length = static_cast<std::int64_t>(n);
        SoundResult r = output_->Prepare(free->header);
        if (r == kSoundOk) {
            r = output_->Write(free->header);
        }
        if (r != kSoundOk) {
            Fail(r);
            return;
        }
        free->busy = true;
        played_.fetch_add(static_cast<std::int64_t>(n));
    }
}

void InputMonitor::Done(LParam lParam) {
    const SoundBuffer* header = FromLParam(lParam);
    for (Block& b : blocks_) {
        if (&b.header == header) {
            (void)output_->Unprepare(b.header);
            b.busy = false;
        }
    }
}

void InputMonitor::Fail(SoundResult code) {
    if (!failedOnce_) {
        failedOnce_ = true;
        if (failed_) {
            failed_(UserText(TextId::MonitorFailed, {output_->ErrorText(code)}));
        }
    }
    Close();
}

void InputMonitor::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    (void)output_->Reset();
    for (Block& b : blocks_) {
        if (b.busy || (b.header.flags.load() & kSoundBufferPrepared) != 0U) {
            (void)output_->Unprepare(b.header);
        }
        b.busy = false;
    }
    (void)output_->Close();
}

}  // namespace zolvane2
