#include "platform/SoundInput.h"

#include <mutex>

#include "platform/PulseSoundInput.h"

namespace zolvane2 {

namespace {
std::mutex& FactoryMutex() {
    static std::mutex m;
    return m;
}
SoundInputFactory& Factory() {
    static SoundInputFactory f;
    return f;
}
}  // namespace

// Devices that know no more than their descriptions: the description stands
// for the name as well.
std::vector<InputDeviceInfo> SoundInput::Devices() {
    std::vector<std::string> names = DeviceNames();
    std::vector<InputDeviceInfo> devices;
    for (std::size_t i = 1; i < names.size(); ++i) {
        devices.push_back({names[i], names[i], false});
    }
    return devices;
}

std::unique_ptr<InputDeviceWatch> SoundInput::WatchDevices(const InputDeviceWatch::Changed& /*changed*/) {
    return nullptr;
}

std::unique_ptr<SoundInput> CreateSoundInput() {
    SoundInputFactory f;
    {
        const std::lock_guard lock(FactoryMutex());
        f = Factory();
    }
    if (f) {
        return f();
    }
    return std::make_unique<PulseSoundInput>();
}

void SetSoundInputFactory(SoundInputFactory factory) {
    const std::lock_guard lock(FactoryMutex());
    Factory() = std::move(factory);
}

}  // namespace zolvane2
