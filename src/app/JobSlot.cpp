#include "app/JobSlot.h"

namespace zolvane2 {

bool JobSlot::Start(Kind kind) {
    if (Running() || kind == Kind::None) {
        return false;
    }
    kind_ = kind;
    return true;
}

}  // namespace zolvane2
