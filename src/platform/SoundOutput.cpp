#include "platform/SoundOutput.h"

#include <mutex>

#include "platform/PulseSoundOutput.h"

namespace zolvane2 {

namespace {
std::mutex& FactoryMutex() {
    static std::mutex m;
    return m;
}
SoundOutputFactory& Factory() {
    static SoundOutputFactory f;
    return f;
}
}  // namespace

std::unique_ptr<SoundOutput> CreateSoundOutput() {
    SoundOutputFactory f;
    {
        const std::lock_guard lock(FactoryMutex());
        f = Factory();
    }
    if (f) {
        return f();
    }
    return std::make_unique<PulseSoundOutput>();
}

void SetSoundOutputFactory(SoundOutputFactory factory) {
    const std::lock_guard lock(FactoryMutex());
    Factory() = std::move(factory);
}

}  // namespace zolvane2
