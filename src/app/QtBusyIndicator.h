#pragma once

#include <QObject>

#include "platform/BusyPointer.h"

namespace zolvane2 {

// The wait pointer over the whole program while an audio thread is busy.
//
// Threads: Begin and End come from any thread and are handed to the main
// thread in order; only the main thread touches the pointer and depth_.
class QtBusyIndicator final : public QObject, public BusyIndicator {
    Q_OBJECT
public:
    QtBusyIndicator() = default;
    ~QtBusyIndicator() override;

    void Begin() override;
    void End() override;

private:
    int depth_ = 0;
};

}  // namespace zolvane2
