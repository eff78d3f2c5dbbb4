#pragma once

#include <functional>

namespace zolvane2 {

// While it lives, tells its owner that the sound input's list of devices may
// have changed, so that the owner reads the list again when it suits it.
//
// The notice comes on a thread of the watch's own and must only copy or
// signal (set a flag, post to the main thread). None comes after the watch
// has been destroyed.
class InputDeviceWatch {
public:
    using Changed = std::function<void()>;

    InputDeviceWatch() = default;
    InputDeviceWatch(const InputDeviceWatch&) = delete;
    InputDeviceWatch& operator=(const InputDeviceWatch&) = delete;
    virtual ~InputDeviceWatch() = default;
};

}  // namespace zolvane2
