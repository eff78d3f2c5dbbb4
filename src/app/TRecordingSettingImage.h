#pragma once

#include <QWidget>
#include <array>

namespace zolvane2 {

// The explanatory drawing of the cutting page: a waveform over time with the
// trigger level, the point where the sound rises above it and falls below it,
// the recorded range, the trigger delay, the quiet part kept at the end and the
// quiet stretch that starts the next track. The four spin edits of those values
// are placed on the drawing where the quantity is shown; the drawing keeps
// their places when the page is resized.
class TRecordingSettingImage final : public QWidget {
    Q_OBJECT
public:
    // MinimumTrackLength takes a whole captioned row, put in the free corner
    // left of the track interval.
    enum Slot { TriggerLevel = 0, TriggerDelay, LastTimeAfterTrigger, TrackInterval, MinimumTrackLength, SlotCount };

    explicit TRecordingSettingImage(QWidget* parent = nullptr);

    // Takes editor (and its unit label, may be null) as children placed at slot.
    void Attach(Slot slot, QWidget* editor, QWidget* unit);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Geometry;
    [[nodiscard]] Geometry Compute() const;
    // Height of everything below the plot, and of the row above it.
    [[nodiscard]] int BandsHeight() const;
    // An editor with its unit label.
    [[nodiscard]] QSize SlotSize(Slot slot) const;
    [[nodiscard]] int MinimumWidth() const;
    // The track interval's editor with its two-line caption.
    [[nodiscard]] int TrackIntervalWidth() const;
    void PlaceEditors();

    struct Attached {
        QWidget* editor = nullptr;
        QWidget* unit = nullptr;
    };
    std::array<Attached, SlotCount> attached_{};
};

}  // namespace zolvane2
