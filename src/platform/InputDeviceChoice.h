#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/SoundInput.h"

namespace zolvane2 {

// The device index (0 the server's default input, n + 1 source n of devices)
// that a user's choice names: an index, a source's server name, or its
// description, exactly or else without regard to ASCII case. nullopt when
// it names no device, or more than one.
[[nodiscard]] std::optional<int> FindInputDevice(const std::string& choice,
                                                 const std::vector<InputDeviceInfo>& devices);

}  // namespace zolvane2
