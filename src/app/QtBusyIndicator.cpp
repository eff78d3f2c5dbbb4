#include "app/QtBusyIndicator.h"

#include <QApplication>

namespace zolvane2 {

QtBusyIndicator::~QtBusyIndicator() {
    if (depth_ > 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtBusyIndicator::Begin() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (depth_++ == 0) {
                QApplication::setOverrideCursor(Qt::WaitCursor);
            }
        },
        Qt::QueuedConnection);
}

void QtBusyIndicator::End() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (depth_ > 0 && --depth_ == 0) {
                QApplication::restoreOverrideCursor();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace zolvane2
