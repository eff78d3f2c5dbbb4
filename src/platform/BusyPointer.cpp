#include "platform/BusyPointer.h"

#include <atomic>

namespace zolvane2 {

namespace {
std::atomic<BusyIndicator*>& Indicator() {
    static std::atomic<BusyIndicator*> indicator{nullptr};
    return indicator;
}
}  // namespace

void SetBusyIndicator(BusyIndicator* indicator) {
    Indicator().store(indicator);
}

BusyIndicator* GetBusyIndicator() {
    return Indicator().load();
}

BusyPointer::BusyPointer() : indicator_(GetBusyIndicator()) {
    if (indicator_ != nullptr) {
        indicator_->Begin();
    }
}

BusyPointer::~BusyPointer() {
    if (indicator_ != nullptr) {
        indicator_->End();
    }
}

}  // namespace zolvane2
