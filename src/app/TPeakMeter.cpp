#include "app/TPeakMeter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace zolvane2 {

namespace {

// Below −18 dB green, up to −6 dB yellow, above red: the colours of a desk.
constexpr double kYellowDb = -18.0;
constexpr double kRedDb = -6.0;

}  // namespace

TPeakMeter::TPeakMeter(const PeakMeter& meter, QWidget* parent) : QWidget(parent), meter_(meter) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    setMinimumWidth(40);
}

void TPeakMeter::SetTriggerLevel(int level) {
    triggerDb_ = level > 0 ? PeakMeter::DbOf(level) : PeakMeter::kSilenceDb;
    update();
}

void TPeakMeter::SetActive(bool active) {
    active_ = active;
    update();
}

int TPeakMeter::ColumnOf(double db) const {
    return static_cast<int>(std::lround(PeakMeter::BarFraction(db) * std::max(1, width() - 1)));
}

void TPeakMeter::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), QColor(32, 32, 32));
    const int channels = std::clamp(meter_.Channels(), 1, 8);
    const int gap = 1;
    const int barHeight = std::max(1, (height() - gap * (channels + 1)) / channels);
    // Scale marks every 10 dB, so a level can be read off the bars.
    p.setPen(QColor(96, 96, 96));
    for (int db = -50; db < 0; db += 10) {
        const int x = ColumnOf(db);
        p.drawLine(x, 0, x, height());
    }
    if (active_) {
        const int yellow = ColumnOf(kYellowDb);
        const int red = ColumnOf(kRedDb);
        for (int c = 0; c < channels; ++c) {
            const int y = gap + c * (barHeight + gap);
            const int end = ColumnOf(meter_.PeakDb(c));
            auto band = [&](int from, int to, const QColor& colour) {
                const int x1 = std::min(to, end);
                if (x1 > from) {
                    p.fillRect(from, y, x1 - from, barHeight, colour);
                }
            };
            band(0, yellow, QColor(0, 200, 0));
            band(yellow, red, QColor(230, 210, 0));
            band(red, width(), QColor(230, 0, 0));
            if (meter_.HoldDb(c) > PeakMeter::kBottomDb) {
                p.fillRect(ColumnOf(meter_.HoldDb(c)) - 1, y, 2, barHeight, QColor(255, 255, 255));
            }
        }
    }
    if (triggerDb_ > PeakMeter::kBottomDb) {
        const int x = ColumnOf(triggerDb_);
        p.setPen(QColor(255, 0, 0));
        p.drawLine(x, 0, x, height());
    }
}

}  // namespace zolvane2
