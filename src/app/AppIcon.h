#pragma once

#include <QIcon>

namespace zolvane2 {

// The program's icon, drawn at start: a waveform cut into pieces on a dark
// tile, so the program needs no image files of its own.
[[nodiscard]] QIcon AppIcon();

}  // namespace zolvane2
