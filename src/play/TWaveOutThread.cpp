#include "play/TWaveOutThread.h"

#include <algorithm>
#include <exception>

#include "platform/BusyPointer.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/NotifyWindow.h"
#include "platform/RegisteredMessages.h"
#include "platform/UserMessages.h"
#include "trackfile/TrackAudio.h"

namespace zolvane2 {

namespace {
constexpr std::size_t kErrorTextLimit = 255;
constexpr const char* kDeviceErrorTitle = "Error";
}  // namespace

TWaveOutMessages TWaveOutMessages::Register() {
    return TWaveOutMessages{
        RegisterMessageName("WM_WaveOutThreadStart"),
        RegisterMessageName("WM_WaveOutThreadStop"),
        RegisterMessageName("WM_WaveOutThreadSeek"),
        RegisterMessageName("WM_WaveOutThreadQuit"),
        RegisterMessageName("WM_PlayEnd"),
    };
}

TWaveOutThread::TWaveOutThread(zolvane2::NotifyWindow* notifyWindow)
    : messages_(TWaveOutMessages::Register()), notifyWindow_(notifyWindow) {}

TWaveOutThread::~TWaveOutThread() {
    // The members below go before the base class could stop the thread, so the
    // thread has to end here while they still exist.
    if (Running()) {
        Terminate();
        WaitFor();
    }
}

std::string TWaveOutThread::FileName() const {
    const std::lock_guard lock(fileNameMutex_);
    return fileName_;
}

void TWaveOutThread::SetFileName(const std::string& fileName) {
    const std::lock_guard lock(fileNameMutex_);
    fileName_ = fileName;
}

void TWaveOutThread::Execute() {
    levelStreams_[0] = std::make_unique<TMemoryStream>();
    levelStreams_[1] = std::make_unique<TMemoryStream>();
    while (!quitPending_) {
        if (!HandleMessage(Queue().Get())) {
            break;
        }
    }
    // Quitting does not stop a playback first; the device is still given back.
    ReleasePlayback();
    levelStreams_[0].reset();
    levelStreams_[1].reset();
}

bool TWaveOutThread::HandleMessage(const Message& message) {
    if (message.msg == WM_QUIT || message.msg == messages_.quit) {
        return false;
    }
    try {
        if (message.msg == messages_.start) {
            StartPlayback();
        } else if (message.msg == messages_.stop) {
            if (!stopped_.load()) {
                StopPlayback();
            }
        } else if (message.msg == messages_.seek) {
            SeekPlayback();
        } else if (message.msg == MM_WOM_DONE) {
            BlockDone(message.lParam);
        } else if (message.msg == MM_WOM_DEVICE_LOST) {
            DeviceLost(message.wParam);
        }
    } catch (const std::exception& e) {
        ShowStandardError(TextOf(e));
    }
    return true;
}

void TWaveOutThread::StartPlayback() {
    // A start while playing would orphan the running device; the window waits
    // for the end event before it starts again, so this is only a stray post.
    if (!stopped_.load()) {
        return;
    }
    for (int i = 0; i < kSoundBufferCount; ++i) {
        auto block = std::make_unique<Block>();
        block->bytes.assign(static_cast<std::size_t>(kBlockBytes), 0);
        block->header.data = block->bytes.data();
        block->header.user = static_cast<std::uintptr_t>(i);
        blocks_[static_cast<std::size_t>(i)] = std::move(block);
    }

    std::unique_ptr<SoundOutput> device = CreateSoundOutput();
    if (!device || device->DeviceCount() == 0) {
        ReleasePlayback();
        PostPlayEnd(TPlayEndReason::NoDevice);
        return;
    }
    const int rate = samplesPerSec_.load();
    const SoundResult opened = device->Open(rate, channels_.load(), QueueHandle());
    if (opened == kSoundErrInvalid) {
        // The output takes one or two channels of any rate it can play, so
        // a refused format is the file's rate (a damaged header may give
        // any): the user is told which file and why, not "Invalid argument",
        // and the next file is played as after any file that fails.
        GiveUpStart(UserText(TextId::UnplayableRate, {FileName(), std::to_string(rate)}), TPlayEndReason::FileFailed);
        return;
    }
    if (opened != kSoundOk) {
        GiveUpStart(device->ErrorText(opened).substr(0, kErrorTextLimit));
        return;
    }
    device_ = std::move(device);
    const SoundResult volume = device_->SetVolume(kSoundVolumeFull, kSoundVolumeFull);
    if (volume != kSoundOk) {
        GiveUpStart(device_->ErrorText(volume).substr(0, kErrorTextLimit));
        return;
    }

    try {
        file_ = TrackAudio::Open(FileName());
        // The layout may belong to an earlier file (a failed preparation keeps
        // it) or promise more than the file holds: play only what is there.
        const std::int64_t fileSize = std::max<std::int64_t>(file_->GetSize64(), 0);
        // Settings may change while this playback runs; it keeps its frame.
        playFrameBytes_ = std::max(channels_.load(), 1) * std::int64_t{2};
        playStart_ = std::clamp<std::int64_t>(dataStart_.load(), 0, fileSize);
        playSize_ = std::clamp<std::int64_t>(dataSize_.load(), 0, fileSize - playStart_);
        dataSize_.store(playSize_);
        position_.store(0);
        file_->SetPosition64(playStart_);
        ReadBlock(*blocks_[0]);
        ReadBlock(*blocks_[1]);
    } catch (const std::exception& e) {
        ReleasePlayback();
        ShowStandardError(TextOf(e));
        PostPlayEnd(TPlayEndReason::FileFailed);
        return;
    }

    for (auto& block : blocks_) {
        SoundResult r = device_->Prepare(block->header);
        if (r == kSoundOk) {
            r = device_->Write(block->header);
        }
        if (r != kSoundOk) {
            ShowDeviceError(r);
            StopPlayback();
            return;
        }
    }
    stopped_.store(false);
    HandOverLevel(0);
}

void TWaveOutThread::GiveUpStart(const UserText& text, TPlayEndReason reason) {
    // The device is given back before the box is shown, and the owner hears
    // of the failed start so it does not wait for an end that never comes.
    ReleasePlayback();
    (void)GetUserMessages().Show(text, kDeviceErrorTitle, MsgIcon::Error, MsgButtons::Ok);
    PostPlayEnd(reason);
}

void TWaveOutThread::ReadBlock(Block& block) {
    const std::int64_t frame = playFrameBytes_;
    const std::int64_t remaining = playSize_ - (file_->GetPosition64() - playStart_);
    std::int64_t count = std::clamp<std::int64_t>(remaining, 0, kBlockBytes);
    // Whole frames only: a device cannot play half a frame.
    count -= count % frame;
    std::int64_t got = 0;
    while (got < count) {
        const std::int64_t n = file_->Read(block.bytes.data() + got, count - got);
        if (n <= 0) {
            // The file shrank or could not be read: what is there ends the data.
            break;
        }
        got += n;
    }
    block.header.length = got - got % frame;
    position_.store(file_->GetPosition64() - playStart_);
}

void TWaveOutThread::BlockDone(LParam lParam) {
    if (stopped_.load() || !device_) {
        return;
    }
    const int i = IndexOf(FromLParam(lParam));
    if (i < 0) {
        return;
    }
    const int j = 1 - i;
    Block& done = *blocks_[static_cast<std::size_t>(i)];
    const SoundResult unprepared = device_->Unprepare(done.header);
    if (unprepared != kSoundOk) {
        ShowDeviceError(unprepared);
        return;
    }
    if (blocks_[static_cast<std::size_t>(j)]->header.length == 0) {
        // The other block is the end marker: the last block with sound is over.
        StopPlayback();
        return;
    }
    ReadBlock(done);
    HandOverLevel(j);
    SoundResult r = device_->Prepare(done.header);
    if (r == kSoundOk) {
        r = device_->Write(done.header);
    }
    if (r != kSoundOk) {
        ShowDeviceError(r);
        StopPlayback();
    }
}

void TWaveOutThread::HandOverLevel(int index) {
    const Block& block = *blocks_[static_cast<std::size_t>(index)];
    TMemoryStream& level = *levelStreams_[static_cast<std::size_t>(index)];
    level.Clear();
    level.Append(block.bytes.data(), block.header.length);
    level.SetPosition64(block.header.length);
    levelIndex_.store(index);
    Synchronize([this] { DoPlayed(); });
}

void TWaveOutThread::DoPlayed() {
    if (onPlayedEvent_) {
        onPlayedEvent_(this, *levelStreams_[static_cast<std::size_t>(levelIndex_.load())]);
    }
}

void TWaveOutThread::SeekPlayback() {
    // After the end there is no file to move in; the request is stale.
    if (stopped_.load() || !file_) {
        return;
    }
    std::int64_t offset = std::clamp<std::int64_t>(seekOffset_.load(), 0, playSize_);
    offset -= offset % playFrameBytes_;
    file_->SetPosition64(playStart_ + offset);
}

void TWaveOutThread::StopPlayback() {
    SettleAndClose();
    // The pointer is back before the window hears of the end.
    PostPlayEnd(TPlayEndReason::Played);
}

void TWaveOutThread::SettleAndClose() {
    // The device settles for a second: the user sees that the program works.
    const BusyPointer busy;
    if (device_) {
        const SoundResult paused = device_->Pause();
        if (paused != kSoundOk) {
            ShowDeviceError(paused);
        }
        const SoundResult reset = device_->Reset();
        if (reset != kSoundOk) {
            ShowDeviceError(reset);
        }
    }
    DrainQueue();
    if (device_) {
        for (auto& block : blocks_) {
            if (block && (block->header.flags.load() & kSoundBufferPrepared) != 0U) {
                const SoundResult r = device_->Unprepare(block->header);
                if (r != kSoundOk) {
                    ShowDeviceError(r);
                }
            }
        }
        const SoundResult closed = device_->Close();
        if (closed != kSoundOk) {
            ShowDeviceError(closed);
        }
        device_.reset();
    }
    ReleasePlayback();
}

void TWaveOutThread::DeviceLost(WParam code) {
    if (!device_) {
        return;
    }
    // The server is gone: nothing more will come back, so waiting for the
    // blocks would leave the window playing for ever.
    const std::string text = device_->ErrorText(static_cast<SoundResult>(code));
    (void)device_->Close();
    device_.reset();
    ReleasePlayback();
    (void)GetUserMessages().Show(text.substr(0, kErrorTextLimit), kDeviceErrorTitle, MsgIcon::Error, MsgButtons::Ok);
    PostPlayEnd(TPlayEndReason::Played);
}

void TWaveOutThread::DrainQueue() {
    // The device hands back the reset blocks meanwhile; they and any request
    // posted now are dropped. A quit is kept so the thread still ends.
    Queue().DrainFor(std::chrono::milliseconds(stopDrainMs_.load()), [this](const Message& m) {
        if (m.msg == WM_QUIT || m.msg == messages_.quit) {
            quitPending_ = true;
            return false;
        }
        return true;
    });
}

void TWaveOutThread::ReleasePlayback() {
    if (device_) {
        (void)device_->Close();
    }
    device_.reset();
    blocks_[0].reset();
    blocks_[1].reset();
    file_.reset();
    stopped_.store(true);
}

void TWaveOutThread::ShowDeviceError(SoundResult code) const {
    const std::string text = device_ ? device_->ErrorText(code) : SoundErrorText(code);
    (void)GetUserMessages().Show(text.substr(0, kErrorTextLimit), kDeviceErrorTitle, MsgIcon::Error, MsgButtons::Ok);
}

void TWaveOutThread::PostPlayEnd(TPlayEndReason reason) {
    if (zolvane2::NotifyWindow* window = notifyWindow_.load()) {
        window->PostMessage(messages_.playEnd, static_cast<WParam>(reason), 0);
    }
}

int TWaveOutThread::IndexOf(const SoundBuffer* header) const {
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i] && &blocks_[i]->header == header) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace zolvane2
