#pragma once

#include <functional>

#include "trackfile/TMemoryStream.h"

namespace zolvane2 {

class Thread;

// The level-data event of both audio threads (the capture thread's
// OnLevelData, the player's OnPlayedEvent). Runs on the main thread while the
// feeding thread waits; ReceivedData holds one block of interleaved signed
// 16-bit samples and is valid only during the call.
using TWaveOutPlayedEvent = std::function<void(Thread* Sender, TMemoryStream& ReceivedData)>;

}  // namespace zolvane2
