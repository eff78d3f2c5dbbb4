#include "platform/MainThreadDispatcher.h"

#include <atomic>

namespace zolvane2 {

namespace {
std::atomic<MainThreadDispatcher*> g_dispatcher{nullptr};
}

void SetMainThreadDispatcher(MainThreadDispatcher* dispatcher) {
    g_dispatcher.store(dispatcher);
}
MainThreadDispatcher* GetMainThreadDispatcher() {
    return g_dispatcher.load();
}

}  // namespace zolvane2
