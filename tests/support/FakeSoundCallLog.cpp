#include "support/FakeSoundCallLog.h"

namespace zolvane2::test {

SoundResult FakeSoundCallLog::Enter(FakeSoundCall call) {
    calls_.push_back(call);
    const auto it = failures_.find(call);
    if (it == failures_.end()) {
        return kSoundOk;
    }
    const SoundResult r = it->second;
    failures_.erase(it);
    return r;
}

SoundResult FakeSoundCallLog::EnterOpen(FakeSoundCall call, bool open) {
    if (const SoundResult r = Enter(call); r != kSoundOk) {
        return r;
    }
    return open ? kSoundOk : kSoundErrBadState;
}

}  // namespace zolvane2::test
