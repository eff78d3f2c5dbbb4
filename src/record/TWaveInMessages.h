#pragma once

#include "platform/Message.h"

namespace zolvane2 {

// The registered messages shared by the capture thread and its window; both
// sides take their identifiers from Register, so the names live here only.
struct TWaveInMessages {
    MsgId start = 0;        // "WM_WaveInThreadStart"  window → thread (0, 0)
    MsgId stop = 0;         // "WM_WaveInThreadStop"   window → thread, and thread → itself (0, 0)
    MsgId trackChange = 0;  // "WM_TrackChange"        window → thread (0, 0)
    MsgId quit = 0;         // "WM_WaveInThreadQuit"   window → thread (0, 0)
    MsgId triggered = 0;    // "WM_Triggered"  (track number, pre-roll frames)
    MsgId recEnd = 0;       // "WM_RecEnd"     (low: number advance, high: status; new track number)
    MsgId recFinish = 0;    // "WM_RecFinish"  (low: 0, high: status; closed track's number or 0)
    MsgId recLost = 0;      // "WM_RecLost"    (index into Losses(), 0)
    MsgId monitor = 0;      // "WM_WaveInThreadMonitor" window → thread (1 on, 0 off; 0)

    [[nodiscard]] static TWaveInMessages Register();
};

}  // namespace zolvane2
