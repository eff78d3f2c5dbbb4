#pragma once

// Counts how often the audio threads show and end the busy pointer; in place
// for the life of the object.

#include <atomic>

#include "platform/BusyPointer.h"

namespace zolvane2::test {

class CountingBusyIndicator final : public BusyIndicator {
public:
    CountingBusyIndicator() { SetBusyIndicator(this); }
    ~CountingBusyIndicator() override { SetBusyIndicator(nullptr); }
    CountingBusyIndicator(const CountingBusyIndicator&) = delete;
    CountingBusyIndicator& operator=(const CountingBusyIndicator&) = delete;

    void Begin() override { ++begins; }
    void End() override { ++ends; }

    std::atomic<int> begins{0};
    std::atomic<int> ends{0};
};

}  // namespace zolvane2::test
