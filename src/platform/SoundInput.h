#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioTap.h"
#include "platform/InputDeviceWatch.h"
#include "platform/MessageQueue.h"
#include "platform/SoundBuffer.h"

namespace zolvane2 {

// The first entry of every input device list: the server's default source.
inline constexpr const char* kDefaultInputDeviceName = "コントロールパネルの設定(WAVE_MAPPER)";

// Reported to the owner's queue when the open device disappears (server gone,
// source removed, stream failed); wParam is the error code. Sent once.
inline constexpr MsgId MM_WIM_DEVICE_LOST = 0x3C1;

// Reported to the owner's queue when audio was lost before it reached the
// blocks: the server's buffer or the device's own one ran over, or the server
// left a hole. wParam: the bytes lost (whole frames); lParam: about how many
// bytes of the run had arrived before the gap.
inline constexpr MsgId MM_WIM_DATA_LOST = 0x3C2;

// One capture source of the sound server.
struct InputDeviceInfo {
    std::string name;         // the server's source name, stable across restarts and re-plugging
    std::string description;  // what DeviceNames shows
    bool isDefault = false;   // the server's default source
};

// A sound-input device, driven by one owner thread.
//
// Open names the owner's queue; every block that the device has filled is
// posted there as MM_WIM_DATA (wParam 0, lParam the SoundBuffer*) in the order
// the blocks were queued and filled. A block is handed back only when it is
// full, except by Stop (the block being filled) and Reset (every queued one).
// Audio that arrives while no block is queued is kept, not dropped, and goes
// into the next blocks. Every call returns kSoundOk or an error code.
class SoundInput {
public:
    SoundInput() = default;
    SoundInput(const SoundInput&) = delete;
    SoundInput& operator=(const SoundInput&) = delete;
    virtual ~SoundInput() = default;

    // The listing (DeviceNames, Devices, DeviceCount) uses nothing of an open
    // device and may be asked from any thread.
    //
    // kDefaultInputDeviceName, then every capture source of the server by its
    // description (monitors of outputs included), in the server's order.
    [[nodiscard]] virtual std::vector<std::string> DeviceNames() = 0;
    // Every capture source of the server, in the order of DeviceNames()
    // without its first entry: source n of Devices() is device index n + 1.
    [[nodiscard]] virtual std::vector<InputDeviceInfo> Devices();
    // Capture sources available now (the default entry not counted); 0 when
    // there are none or the server cannot be reached.
    [[nodiscard]] virtual int DeviceCount() = 0;
    // Whether a sound server answers at all, so that "no source" can be told
    // from "no server". A device without a server is always there.
    [[nodiscard]] virtual bool ServerReachable() { return true; }
    // Calls changed whenever the listing may have changed, for as long as the
    // returned watch lives (see InputDeviceWatch); it may outlive this object.
    // nullptr: this input's listing never changes.
    [[nodiscard]] virtual std::unique_ptr<InputDeviceWatch> WatchDevices(const InputDeviceWatch::Changed& changed);

    // deviceIndex indexes DeviceNames: 0 the default source, n source n - 1.
    // The format is signed 16-bit little-endian, interleaved.
    [[nodiscard]] virtual SoundResult Open(int deviceIndex, int sampleRate, int channels,
                                           std::shared_ptr<MessageQueue> owner) = 0;
    [[nodiscard]] virtual SoundResult Prepare(SoundBuffer& buffer) = 0;
    // Fails with kSoundErrBusy while the block is still queued.
    [[nodiscard]] virtual SoundResult Unprepare(SoundBuffer& buffer) = 0;
    [[nodiscard]] virtual SoundResult AddBuffer(SoundBuffer& buffer) = 0;
    [[nodiscard]] virtual SoundResult Start() = 0;
    // Stops capturing; the block being filled comes back with what it holds.
    [[nodiscard]] virtual SoundResult Stop() = 0;
    // Stops capturing, discards kept audio and hands back every queued block.
    [[nodiscard]] virtual SoundResult Reset() = 0;
    // Blocks still queued are forgotten (never posted).
    [[nodiscard]] virtual SoundResult Close() = 0;
    [[nodiscard]] virtual std::string ErrorText(SoundResult code) const { return SoundErrorText(code); }
    // Everything the device takes in is copied into tap as well, as it
    // arrives, until the tap is taken away (nullptr); false when this input
    // cannot be listened to on the side.
    [[nodiscard]] virtual bool SetTap(const std::shared_ptr<AudioTap>& /*tap*/) { return false; }
    // The source the open device records from, as people know it (empty when
    // not known): messages about the device name it.
    [[nodiscard]] virtual std::string SourceText() const { return {}; }
};

using SoundInputFactory = std::function<std::unique_ptr<SoundInput>()>;

// The sound server's input; tests may put a factory of their own in place
// (nullptr restores the server's).
[[nodiscard]] std::unique_ptr<SoundInput> CreateSoundInput();
void SetSoundInputFactory(SoundInputFactory factory);

}  // namespace zolvane2
