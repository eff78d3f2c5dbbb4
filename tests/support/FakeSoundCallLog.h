#pragma once

#include <map>
#include <vector>

#include "platform/SoundBuffer.h"
#include "support/FakeSoundCall.h"

namespace zolvane2::test {

// What both fake devices record of their calls: every call in order, and the
// failures a test asked for, each spent by the next call of its kind.
//
// Not locked itself: the fake device that holds it guards it with its own
// mutex, together with the device state the call goes on to check.
class FakeSoundCallLog {
public:
    // Records the call; kSoundOk unless a failure was asked for.
    [[nodiscard]] SoundResult Enter(FakeSoundCall call);
    // Enter for a call that needs an open device: after an asked-for failure,
    // kSoundErrBadState when the device is not open, as a real one answers.
    [[nodiscard]] SoundResult EnterOpen(FakeSoundCall call, bool open);
    // The next call of that kind fails with code.
    void FailNext(FakeSoundCall call, SoundResult code) { failures_[call] = code; }
    [[nodiscard]] const std::vector<FakeSoundCall>& Calls() const { return calls_; }

private:
    std::vector<FakeSoundCall> calls_;
    std::map<FakeSoundCall, SoundResult> failures_;
};

}  // namespace zolvane2::test
