#include "record/TWaveInMessages.h"

#include "platform/RegisteredMessages.h"

namespace zolvane2 {

TWaveInMessages TWaveInMessages::Register() {
    return TWaveInMessages{
        RegisterMessageName("WM_WaveInThreadStart"),   RegisterMessageName("WM_WaveInThreadStop"),
        RegisterMessageName("WM_TrackChange"),         RegisterMessageName("WM_WaveInThreadQuit"),
        RegisterMessageName("WM_Triggered"),           RegisterMessageName("WM_RecEnd"),
        RegisterMessageName("WM_RecFinish"),           RegisterMessageName("WM_RecLost"),
        RegisterMessageName("WM_WaveInThreadMonitor"),
    };
}

}  // namespace zolvane2
