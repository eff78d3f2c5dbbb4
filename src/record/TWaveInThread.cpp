#include "record/TWaveInThread.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "platform/BusyPointer.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/NotifyWindow.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {
constexpr std::size_t kErrorTextLimit = 255;
constexpr const char* kDeviceErrorTitle = "Error";

void ShowNoNumberLeft(const std::string& stem, int digits, bool raw, UserMessages& boxes) {
    // A file numbered 0 would be outside the naming scheme, so nothing is
    // recorded.
    ShowStandardError(UserText(TextId::NoFreeTrackNumber, {TrackNaming::TrackFileName(stem, 1, digits, raw)}), boxes);
}
}  // namespace

TWaveInThread::TWaveInThread(std::unique_ptr<SoundInput> input, UserMessages* messages)
    : messages_(TWaveInMessages::Register()),
      boxes_(messages),
      input_(input ? std::move(input) : CreateSoundInput()),
      splitter_(*this, messages) {
    writer_.SetLiveRecording(true);
    deviceNames_ = input_->DeviceNames();
    if (deviceNames_.empty()) {
        deviceNames_.emplace_back(kDefaultInputDeviceName);
    }
    deviceCount_ = static_cast<int>(deviceNames_.size()) - 1;
    if (deviceCount_ == 0) {
        (void)Boxes().Show(UserText(TextId::NoRecordingDevice), UserText(TextId::DeviceError), MsgIcon::Error,
                           MsgButtons::Ok);
    }
}

TWaveInThread::~TWaveInThread() {
    // The members go before the base class could stop the thread, so the
    // thread has to end here while they still exist. A thread that frees
    // itself is being deleted by its own thread, after its body returned.
    if (Running() && !FreeOnTerminate()) {
        Terminate();
        WaitFor();
    }
}

std::string TWaveInThread::BaseFileName() const {
    const std::lock_guard lock(baseFileNameMutex_);
    return baseFileName_;
}

void TWaveInThread::SetBaseFileName(const std::string& name) {
    const std::lock_guard lock(baseFileNameMutex_);
    baseFileName_ = name;
}

void TWaveInThread::Configure(const RecordingSettings& s) {
    // The sample rate comes before the times it converts to frames, the
    // track interval before the time kept after a trigger that it bounds.
    SetDeviceIndex(s.deviceIndex);
    SetSampleRate(s.sampleRate);
    SetTriggerLevel(s.triggerLevel);
    SetTriggerDelay(s.triggerDelay);
    SetTrackInterval(s.trackInterval);
    SetLastTimeAfterTrigger(s.lastTimeAfterTrigger);
    SetMinimumTrackLength(s.minimumTrackLength);
    SetBaseFileName(s.baseFileName);
    SetChannels(s.channels);
    SetDigits(s.digits);
    SetUseTrigger(s.useTrigger);
    SetCutByInterval(s.cutByInterval);
    SetFindGaps(s.findGaps, s.gaps);
    SetIntervalFrames(s.intervalSeconds * s.sampleRate);
    SetRawOutput(s.rawOutput);
    SetFlacOutput(s.flac, s.tags);
    SetRecordingTime(s.recordingTime, s.netTime);
}

void TWaveInThread::SetRecordingTime(std::int64_t seconds, bool netTime) {
    limitSeconds_.store(std::max<std::int64_t>(seconds, 0));
    netTime_.store(netTime);
}

std::vector<CaptureLoss> TWaveInThread::Losses() const {
    const std::lock_guard lock(lossMutex_);
    return losses_;
}

CaptureLoss TWaveInThread::LossAt(std::size_t index) const {
    const std::lock_guard lock(lossMutex_);
    return index < losses_.size() ? losses_[index] : CaptureLoss{};
}

UserMessages& TWaveInThread::Boxes() const {
    return boxes_ != nullptr ? *boxes_ : GetUserMessages();
}

void TWaveInThread::Execute() {
    (void)TWaveInMessages::Register();
    levelStreams_[0] = std::make_unique<TMemoryStream>();
    levelStreams_[1] = std::make_unique<TMemoryStream>();
    while (!quitPending_) {
        if (!HandleMessage(Queue().Get())) {
            break;
        }
    }
    // A recording that is still running is finished properly first, so its
    // last track keeps a valid header.
    if (!idle_.load()) {
        StopRecording(false);
    }
    levelStreams_[0].reset();
    levelStreams_[1].reset();
}

bool TWaveInThread::HandleMessage(const Message& message) {
    if (message.msg == messages_.quit) {
        return false;
    }
    if (message.msg == WM_QUIT) {
        return !(Terminated() || Queue().IsShutDown());
    }
    try {
        if (message.msg == messages_.start) {
            StartRecording();
        } else if (message.msg == messages_.stop) {
            StopRecording(false);
        } else if (message.msg == messages_.trackChange) {
            TrackChange();
        } else if (message.msg == messages_.monitor) {
            SwitchMonitor(message.wParam != 0);
        } else if (message.msg == MM_WIM_DATA) {
            BufferFilled(message.lParam);
        } else if (message.msg == MM_WIM_DEVICE_LOST) {
            DeviceLost(message.wParam);
        } else if (message.msg == MM_WIM_DATA_LOST) {
            DataLost(message.wParam, message.lParam);
        }
    } catch (const std::exception& e) {
        FailRecording(FailureText(e));
    }
    return true;
}

void TWaveInThread::StartRecording() {
    // Start is posted only while idle; a stray one must not orphan the run.
    if (!idle_.load()) {
        return;
    }
    const std::string base = BaseFileName();
    raw_ = rawOutput_.load();
    format_ = raw_ ? TrackFormat::Raw : flacOutput_ ? TrackFormat::Flac : TrackFormat::Wave;
    writer_.SetFlac(raw_ ? std::nullopt : flacOutput_);
    writer_.SetTags(tags_);
    stem_ = TrackNaming::Stem(base);
    timeLimitReached_.store(false);
    usedFrames_.store(0);
    framesFed_ = 0;
    {
        const std::lock_guard lock(lossMutex_);
        losses_.clear();
    }
    shortDropped_.store(0);
    keptTracks_ = 0;
    trackNumber_ = FindFreeNumber(1);
    if (trackNumber_ == 0) {
        ShowNoNumberLeft(stem_, splitter_.Conditions().Digits, raw_, Boxes());
        PostToWindow(TWaveInReport::Finished(0, FinishStatus::Deleted));
        return;
    }
    // A fixed-length piece counts its file's header into its size.
    splitter_.SplitOptions().headerBytes = writer_.HeaderSizeFor(raw_);
    splitter_.Start();
    if (splitter_.Conditions().Mode() == CutMode::Gaps) {
        gapSplitter_.Start(splitter_.Conditions().SampleRate, splitter_.Conditions().Channels, gapSettings_);
    }
    clock_ = RecordingClock(limitSeconds_.load() * splitter_.Conditions().SampleRate, netTime_.load());
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        blocks_[i] = std::make_unique<Block>();
        blocks_[i]->bytes.assign(static_cast<std::size_t>(kSoundBufferBytes), 0);
        blocks_[i]->header.data = blocks_[i]->bytes.data();
        blocks_[i]->header.length = kSoundBufferBytes;
        blocks_[i]->header.user = i;
    }
    if (input_->DeviceCount() == 0) {
        AbandonStart();
        return;
    }
    const CuttingConditions& c = splitter_.Conditions();
    const SoundResult opened = input_->Open(deviceIndex_.load(), c.SampleRate, c.Channels, QueueHandle());
    if (opened != kSoundOk) {
        ShowDeviceError(opened);
        AbandonStart();
        return;
    }
    deviceOpen_ = true;
    try {
        if (!OpenTrackFile()) {
            // The numbers left were taken meanwhile.
            ShowNoNumberLeft(stem_, c.Digits, raw_, Boxes());
            AbandonStart();
            return;
        }
    } catch (const std::exception& e) {
        ShowStandardError(FailureText(e), Boxes());
        AbandonStart();
        return;
    }
    if (c.Mode() != CutMode::Trigger && c.Mode() != CutMode::Gaps) {
        clock_.TrackStarted(0);
        PostToWindow(TWaveInReport::Triggered(trackNumber_, 0));
    }
    for (auto& block : blocks_) {
        SoundResult r = input_->Prepare(block->header);
        if (r == kSoundOk) {
            r = input_->AddBuffer(block->header);
        }
        if (r != kSoundOk) {
            ShowDeviceError(r);
            AbandonStart();
            return;
        }
    }
    BeginMonitor();
    const SoundResult started = input_->Start();
    if (started != kSoundOk) {
        ShowDeviceError(started);
        AbandonStart();
        return;
    }
    idle_.store(false);
    if (observer_ != nullptr) {
        observer_->RecordingStarted(writer_.FileName(), c);
    }
}

void TWaveInThread::AbandonStart() {
    EndMonitor();
    if (deviceOpen_) {
        (void)input_->Reset();
        DrainQueue();
        (void)input_->Close();
        deviceOpen_ = false;
    }
    FreeBlocks();
    // The header-only file of the first track goes again.
    try {
        (void)CloseTrackFile();
    } catch (const std::exception&) {
        // Nothing was recorded into it; a failed finish changes nothing.
    }
    splitter_.Stop();
    trackNumber_ = 0;
    PostToWindow(TWaveInReport::Finished(0, FinishStatus::Deleted));
}

void TWaveInThread::BufferFilled(LParam lParam) {
    const int index = IndexOf(FromLParam(lParam));
    if (index < 0 || idle_.load()) {
        return;
    }
    Block& block = *blocks_[static_cast<std::size_t>(index)];
    if (trackNumber_ == 0) {
        return;  // no number left: the stop is on its way
    }
    const std::int64_t count = block.header.bytesRecorded.load();
    TMemoryStream& level = *levelStreams_[static_cast<std::size_t>(index)];
    level.Clear();
    level.Append(block.bytes.data(), count);
    level.SetPosition64(count);
    levelIndex_.store(index);
    Synchronize([this] { DoLevelData(); });

    if (!FeedSplitter(block.bytes.data(), count) || idle_.load() || trackNumber_ == 0) {
        return;
    }
    SoundResult r = input_->Prepare(block.header);
    if (r == kSoundOk) {
        r = input_->AddBuffer(block.header);
    }
    if (r != kSoundOk) {
        ShowDeviceError(r);
        // With no block left in circulation nothing would ever come back:
        // the recording ends instead of standing still unnoticed.
        const bool anyQueued = std::any_of(blocks_.begin(), blocks_.end(), [](const auto& b) {
            return b && (b->header.flags.load() & kSoundBufferQueued) != 0U;
        });
        if (!anyQueued) {
            StopRecording(true);
        }
    }
}

bool TWaveInThread::FeedSplitter(const std::uint8_t* bytes, std::int64_t count) {
    const std::int64_t fb = splitter_.Conditions().FrameBytes();
    std::int64_t done = 0;
    while (true) {
        // However a track starts inside a piece this long, the limit is not
        // passed before its end.
        const std::int64_t piece = std::min(count - done, clock_.Left(framesFed_) * fb);
        if (piece > 0) {
            if (splitter_.Conditions().Mode() == CutMode::Gaps) {
                gapSplitter_.ProcessBlock(bytes + done, piece);
            } else {
                splitter_.ProcessBlock(bytes + done, piece);
            }
            if (observer_ != nullptr) {
                observer_->BlockRecorded(bytes + done, piece);
            }
            done += piece;
            framesFed_ += piece / fb;
        }
        usedFrames_.store(clock_.Used(framesFed_));
        if (clock_.Expired(framesFed_)) {
            // What the splitter still holds is dropped, as by Stop.
            timeLimitReached_.store(true);
            StopRecording(false);
            return false;
        }
        if (done >= count || idle_.load() || trackNumber_ == 0) {
            return true;
        }
    }
}

void TWaveInThread::DoLevelData() {
    if (onLevelData_) {
        onLevelData_(this, *levelStreams_[static_cast<std::size_t>(levelIndex_.load())]);
    }
}

void TWaveInThread::TrackChange() {
    // The gap finder's pieces reach their files late; a cut by hand would
    // land in the middle of what it still holds.
    if (idle_.load() || trackNumber_ == 0 || splitter_.Conditions().Mode() == CutMode::Gaps) {
        return;
    }
    if (splitter_.ManualTrackChange() && splitter_.Conditions().Mode() != CutMode::Trigger) {
        clock_.TrackStarted(splitter_.EventFrame());
        PostToWindow(TWaveInReport::Triggered(trackNumber_, 0));
    }
}

void TWaveInThread::StopRecording(bool quiet) {
    if (idle_.load()) {
        return;
    }
    // The device settles for a second: the user sees that the program works.
    // The pointer ends before the run is reported finished, so whoever waits
    // for that report never finds it still busy.
    std::optional<BusyPointer> busy(std::in_place);
    EndMonitor();
    if (deviceOpen_) {
        const SoundResult stopped = input_->Stop();
        if (stopped != kSoundOk && !quiet) {
            ShowDeviceError(stopped);
        }
        const SoundResult reset = input_->Reset();
        if (reset != kSoundOk && !quiet) {
            ShowDeviceError(reset);
        }
        DrainQueue();
        for (auto& block : blocks_) {
            const SoundResult r = input_->Unprepare(block->header);
            if (r != kSoundOk && !quiet) {
                ShowDeviceError(r);
            }
        }
        const SoundResult closed = input_->Close();
        if (closed != kSoundOk && !quiet) {
            ShowDeviceError(closed);
        }
        deviceOpen_ = false;
    }
    FreeBlocks();
    busy.reset();
    idle_.store(true);
    if (trackNumber_ != 0 && splitter_.Conditions().Mode() == CutMode::Gaps) {
        // The open piece keeps what the finder still held of it.
        try {
            gapSplitter_.Finish();
        } catch (const std::exception& e) {
            if (!quiet) {
                ShowStandardError(FailureText(e), Boxes());
            }
        }
    }
    const std::int32_t number = trackNumber_;
    if (number != 0) {
        FinishStatus status = FinishStatus::Deleted;
        try {
            status = CloseTrackFile();
        } catch (const std::exception& e) {
            // The file is there with what was written; only its header sizes
            // could not be patched.
            if (!quiet) {
                ShowStandardError(FailureText(e), Boxes());
            }
            status = FinishStatus::Kept;
        }
        PostToWindow(TWaveInReport::Finished(number, status));
    }
    trackNumber_ = 0;
    splitter_.Stop();
    if (observer_ != nullptr) {
        observer_->RecordingStopped();
    }
}

void TWaveInThread::DeviceLost(WParam code) {
    if (idle_.load()) {
        return;
    }
    // The message names the source that went, so the user knows which one.
    const std::string text = input_->ErrorText(static_cast<SoundResult>(code)).substr(0, kErrorTextLimit);
    const std::string source = input_->SourceText();
    (void)Boxes().Show(source.empty() ? text : source + "\r\n" + text, kDeviceErrorTitle, MsgIcon::None,
                       MsgButtons::Ok);
    StopRecording(true);
}

void TWaveInThread::DataLost(WParam bytes, LParam atBytes) {
    const std::int64_t fb = splitter_.Conditions().FrameBytes();
    if (idle_.load() || fb <= 0 || bytes == 0) {
        return;
    }
    const std::int64_t atFrame = static_cast<std::int64_t>(atBytes) / fb;
    // The loss is noticed a little after the gap: what was written since
    // then lies behind it in the open track.
    const std::int64_t written = std::max<std::int64_t>((writer_.CurrentSize() - writer_.HeaderSize()) / fb, 0);
    const std::int64_t trackFrame = std::clamp<std::int64_t>(written - (framesFed_ - atFrame), 0, written);
    const CaptureLoss loss{atFrame, static_cast<std::int64_t>(bytes) / fb, trackNumber_, trackFrame};
    std::size_t index = 0;
    {
        const std::lock_guard lock(lossMutex_);
        index = losses_.size();
        losses_.push_back(loss);
    }
    PostToWindow(TWaveInReport::Lost(index));
}

void TWaveInThread::BeginMonitor() {
    if (!monitorOn_) {
        return;
    }
    const CuttingConditions& c = splitter_.Conditions();
    monitor_ = std::make_unique<InputMonitor>(c.SampleRate, c.Channels, nullptr, monitorFailed_);
    if (!input_->SetTap(monitor_->Tap())) {
        monitor_.reset();
        if (monitorFailed_) {
            monitorFailed_(UserText(TextId::MonitorFailed, {SoundErrorText(kSoundErrNotSupported)}));
        }
        return;
    }
    monitor_->Resume();
}

void TWaveInThread::SwitchMonitor(bool on) {
    monitorOn_.store(on);
    if (idle_.load() || !deviceOpen_) {
        return;  // the next run starts it, or not
    }
    if (on && !monitor_) {
        BeginMonitor();
    } else if (!on) {
        EndMonitor();
    }
}

void TWaveInThread::EndMonitor() {
    if (monitor_) {
        (void)input_->SetTap(nullptr);
        monitor_.reset();
    }
}

void TWaveInThread::FailRecording(const UserText& text) {
    ShowStandardError(text, Boxes());
    if (!idle_.load()) {
        StopRecording(true);
    }
}

UserText TWaveInThread::FailureText(const std::exception& e) const {
    const auto* error = dynamic_cast<const Error*>(&e);
    UserText text = WithSystemReason(TextOf(e), error != nullptr ? error->Code() : 0);
    if (dynamic_cast<const WriteError*>(&e) != nullptr && !writer_.FileName().empty()) {
        return {TextId::AboutFile, {writer_.FileName(), text}};
    }
    return text;
}

void TWaveInThread::DrainQueue() {
    // The device hands back the reset blocks meanwhile; they and any request
    // posted now are dropped. A quit is kept, so the thread still ends; only
    // a shut-down queue, which has nothing more to give, ends the wait early.
    Queue().DrainFor(std::chrono::milliseconds(stopDrainMs_.load()), [this](const Message& m) {
        if (m.msg == messages_.quit || (m.msg == WM_QUIT && (Terminated() || Queue().IsShutDown()))) {
            quitPending_ = true;
            return !Queue().IsShutDown();
        }
        return true;
    });
}

void TWaveInThread::FreeBlocks() {
    for (auto& block : blocks_) {
        block.reset();
    }
}

bool TWaveInThread::OpenTrackFile() {
    const CuttingConditions& c = splitter_.Conditions();
    // Another program, or a second run into the same names, may take the
    // number between the search and the create: the track then goes to the
    // next free number instead of ending the recording.
    trackNumber_ = static_cast<std::int32_t>(TrackNaming::CreateAtFreeNumber(
        stem_, c.Digits, trackNumber_, c.MaxTrackNumber, [this, &c](std::int64_t number) {
            const std::string name = TrackNaming::TrackFileName(stem_, number, c.Digits, format_);
            if (beforeCreate_) {
                beforeCreate_(name);
            }
            TrackTags tags = trackTags_ ? trackTags_(keptTracks_) : tags_;
            if (tags.trackNumber.empty()) {
                tags.trackNumber = std::to_string(number);
            }
            writer_.SetTags(std::move(tags));
            writer_.OpenOutput(name, c.Channels, c.SampleRate, raw_, TrackFileWriter::Create::New);
            trackFrames_.store(0);
        }));
    return trackNumber_ != 0;
}

FinishStatus TWaveInThread::CloseTrackFile() {
    FinishStatus status = FinishStatus::Deleted;
    const CuttingConditions& c = splitter_.Conditions();
    const std::int64_t frames = (writer_.CurrentSize() - writer_.HeaderSize()) / c.FrameBytes();
    if ((c.Mode() == CutMode::Trigger || c.Mode() == CutMode::Gaps) && frames > 0 && frames < c.MinimumFrames) {
        writer_.DeleteOutput();
        shortDropped_.fetch_add(1);
    } else {
        status = writer_.CloseOutput();
    }
    return status;
}

std::int32_t TWaveInThread::FindFreeNumber(std::int32_t start) const {
    const CuttingConditions& c = splitter_.Conditions();
    return TrackNaming::FindFreeNumber(stem_, c.Digits, start, c.MaxTrackNumber);
}

void TWaveInThread::PostToWindow(const TWaveInReport& report) {
    if (zolvane2::NotifyWindow* w = notifyWindow_.load()) {
        const Message m = report.Encode(messages_);
        w->PostMessage(m.msg, m.wParam, m.lParam);
    }
}

void TWaveInThread::ShowDeviceError(SoundResult code) {
    const std::string text = input_->ErrorText(code);
    (void)Boxes().Show(text.substr(0, kErrorTextLimit), kDeviceErrorTitle, MsgIcon::None, MsgButtons::Ok);
}

int TWaveInThread::IndexOf(const SoundBuffer* header) const {
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i] && &blocks_[i]->header == header) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TWaveInThread::AppendToTrack(const std::uint8_t* bytes, std::int64_t count) {
    writer_.Append(bytes, count);
    trackFrames_.fetch_add(count / splitter_.Conditions().FrameBytes());
}

bool TWaveInThread::CutTrack() {
    const std::int32_t old = trackNumber_;
    const FinishStatus status = CloseTrackFile();
    if (status != FinishStatus::Deleted) {
        ++keptTracks_;
    }
    clock_.TrackEnded(status, EventFrame());
    trackNumber_ = FindFreeNumber(old);
    bool opened = false;
    if (trackNumber_ != 0) {
        try {
            opened = OpenTrackFile();
        } catch (const std::exception&) {
            // The closed track is reported before the failure ends the run.
            PostToWindow(TWaveInReport::TrackEnded(old, status, trackNumber_));
            throw;
        }
    }
    if (!opened) {
        // No number is left: the run ends here.
        trackNumber_ = 0;
        PostToWindow(TWaveInReport::Finished(old, status));
        Queue().Post(messages_.stop);
        return false;
    }
    // Reported once the file is open, so the number is the one it got.
    PostToWindow(TWaveInReport::TrackEnded(old, status, trackNumber_));
    return true;
}

std::int64_t TWaveInThread::EventFrame() const {
    return splitter_.Conditions().Mode() == CutMode::Gaps ? gapSplitter_.EventFrame() : splitter_.EventFrame();
}

void TWaveInThread::TrackTriggered(std::int64_t preRollFrames) {
    clock_.TrackStarted(EventFrame());
    PostToWindow(TWaveInReport::Triggered(trackNumber_, preRollFrames));
}

std::int64_t TWaveInThread::CurrentTrackSize() {
    return writer_.CurrentSize();
}

}  // namespace zolvane2
