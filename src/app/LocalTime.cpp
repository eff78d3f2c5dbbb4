#include "app/LocalTime.h"

#include <QDateTime>

namespace zolvane2 {

namespace {
constexpr double kMillisecondsPerDay = 86400000.0;
}

double NowDays() {
    const QDateTime now = QDateTime::currentDateTime();
    return static_cast<double>(now.toMSecsSinceEpoch() + static_cast<qint64>(now.offsetFromUtc()) * 1000) /
           kMillisecondsPerDay;
}

}  // namespace zolvane2
