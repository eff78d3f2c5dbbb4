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
