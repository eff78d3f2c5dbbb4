#pragma once

namespace zolvane2 {

// How the program shows that it is busy for a moment (the window's wait
// pointer). The audio threads only say when; the program decides how.
class BusyIndicator {
public:
    BusyIndicator() = default;
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;
    virtual ~BusyIndicator() = default;

    // Called from any thread, in pairs that may nest.
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// The program's entry sets it (nullptr: nothing is shown) before any audio
// thread starts and clears it only after they have all ended.
void SetBusyIndicator(BusyIndicator* indicator);
[[nodiscard]] BusyIndicator* GetBusyIndicator();

// Busy from construction to destruction, so a step that fails in between
// still ends it.
class BusyPointer {
public:
    BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer();

private:
    BusyIndicator* indicator_;
};

}  // namespace zolvane2
