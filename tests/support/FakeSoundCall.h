#pragma once

#include <string>

namespace zolvane2::test {

// The calls a fake sound device records and can be told to fail.
enum class FakeSoundCall {
    Open,
    SetVolume,
    Prepare,
    Unprepare,
    AddBuffer,
    Write,
    Start,
    Stop,
    Pause,
    Restart,
    Reset,
    Close
};

[[nodiscard]] inline std::string ToString(FakeSoundCall c) {
    switch (c) {
        case FakeSoundCall::Open:
            return "Open";
        case FakeSoundCall::SetVolume:
            return "SetVolume";
        case FakeSoundCall::Prepare:
            return "Prepare";
        case FakeSoundCall::Unprepare:
            return "Unprepare";
        case FakeSoundCall::AddBuffer:
            return "AddBuffer";
        case FakeSoundCall::Write:
            return "Write";
        case FakeSoundCall::Start:
            return "Start";
        case FakeSoundCall::Stop:
            return "Stop";
        case FakeSoundCall::Pause:
            return "Pause";
        case FakeSoundCall::Restart:
            return "Restart";
        case FakeSoundCall::Reset:
            return "Reset";
        case FakeSoundCall::Close:
            return "Close";
    }
    return "?";
}

}  // namespace zolvane2::test
