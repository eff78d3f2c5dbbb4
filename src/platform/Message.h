#pragma once

#include <cstdint>

namespace zolvane2 {

// Message identifiers of our own message system. Values from 0xC000 up are
// handed out by RegisterMessageName; lower values are fixed system messages.
using MsgId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

struct Message {
    MsgId msg = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

// Fixed identifiers that sound devices use for their notifications.
inline constexpr MsgId MM_WIM_DATA = 0x3C0;
inline constexpr MsgId MM_WOM_DONE = 0x3BD;
// Delivered by a queue that is shut down from outside.
inline constexpr MsgId WM_QUIT = 0x0012;

// Packs two 16-bit words the way the recorder's reports carry them.
[[nodiscard]] constexpr WParam MakeWParam(std::uint16_t low, std::uint16_t high) {
    return static_cast<WParam>(low) | (static_cast<WParam>(high) << 16U);
}
[[nodiscard]] constexpr std::uint16_t LowWord(WParam w) {
    return static_cast<std::uint16_t>(w & 0xFFFFU);
}
[[nodiscard]] constexpr std::uint16_t HighWord(WParam w) {
    return static_cast<std::uint16_t>((w >> 16U) & 0xFFFFU);
}

}  // namespace zolvane2
