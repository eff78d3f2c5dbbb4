#pragma once

#include <QWidget>

#include "record/PeakMeter.h"

namespace zolvane2 {

// Draws the readings of a PeakMeter: one bar per channel, from −60 dB at the
// left to 0 dB at the right, the peak hold as a line beyond each bar and the
// trigger level as a red mark across them. The readings stay the
// meter's; the widget only paints them when asked to update.
class TPeakMeter final : public QWidget {
    Q_OBJECT
public:
    explicit TPeakMeter(const PeakMeter& meter, QWidget* parent = nullptr);

    // The trigger level in sample units (0..32767); 0 draws no mark.
    void SetTriggerLevel(int level);
    // Idle: the bars are empty, the mark stays.
    void SetActive(bool active);
    [[nodiscard]] bool Active() const { return active_; }
    // The pixel column of a level in dB inside the widget (0 dB at the right).
    [[nodiscard]] int ColumnOf(double db) const;

    [[nodiscard]] QSize sizeHint() const override { return {120, 12}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PeakMeter& meter_;
    double triggerDb_ = PeakMeter::kSilenceDb;
    bool active_ = false;
};

}  // namespace zolvane2
