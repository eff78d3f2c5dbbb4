#pragma once

#include <string_view>

#include "platform/Message.h"

namespace zolvane2 {

// Gives every distinct name one identifier for the life of the process, so the
// window and the audio threads that register the same name agree on it.
[[nodiscard]] MsgId RegisterMessageName(std::string_view name);

}  // namespace zolvane2
