#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "jobs/LevelOverview.h"

namespace zolvane2 {

class CutPlan;

// A waveform of the file under review with its pieces: the whole file
// (Kind::Overview, with the stretch the zoomed view shows outlined) or a
// zoomed stretch (Kind::Zoom) that the wheel, the keys and a drag zoom and
// scroll, down to single frames. Pieces are numbered, coloured regions;
// boundaries can be dragged in the zoomed view.
//
// The view only draws and tells what the user asked for; the review page
// changes the plan and the view's range.
class TWaveView final : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Overview, Zoom };
    // Reads frames [from, from + count) of interleaved samples; fewer at the end.
    using FrameReader = std::function<std::vector<std::int16_t>(std::int64_t from, std::int64_t count)>;

    static constexpr double kFinestFramesPerPixel = 1.0 / 32;

    TWaveView(Kind kind, QWidget* parent);

    // overview null: nothing to show yet (message instead).
    void SetSource(const LevelOverview* overview, FrameReader reader);
    void SetPlan(const CutPlan* plan) { plan_ = plan; }
    void SetMessage(const QString& text);
    void SetDbScale(bool on);
    void SetCursorFrame(std::int64_t frame);
    [[nodiscard]] std::int64_t CursorFrame() const { return cursor_; }
    // -1: not playing.
    void SetPlayPosition(std::int64_t frame);
    void SetSelectedBoundary(int index);
    [[nodiscard]] int SelectedBoundary() const { return selected_; }

    // The frames shown: from start, framesPerPixel a column.
    void SetView(double start, double framesPerPixel);
    [[nodiscard]] double ViewStart() const { return start_; }
    [[nodiscard]] double FramesPerPixel() const { return framesPerPixel_; }
    // Overview: the stretch the zoomed view shows.
    void SetOutline(double start, double frames);
    // Zoom by factor (< 1 closer) keeping the frame at x where it is.
    void ZoomAt(double factor, double x);
    // Scrolls so that frame is in sight.
    void Reveal(std::int64_t frame);
    [[nodiscard]] std::int64_t FrameAt(double x) const;
    [[nodiscard]] double XOf(double frame) const;

Q_SIGNALS:
    void CursorMoved(std::int64_t frame);
    // At the end of a drag; snap unless Shift was held.
    void BoundaryDragged(int index, std::int64_t frame, bool snap);
    void AddBoundaryAsked(std::int64_t frame);
    void DeleteBoundaryAsked(int index);
    void PlayAsked();
    // Zoom: the range changed. Overview: the zoomed view should centre here.
    void ViewChanged();
    void CentreAsked(std::int64_t frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    [[nodiscard]] std::int64_t TotalFrames() const { return overview_ != nullptr ? overview_->Frames() : 0; }
    // Keeps the range inside the file and the scale between a frame per 32
    // columns and the whole file.
    void Clamp();
    void DrawWave(class QPainter& painter) const;
    void DrawPieces(QPainter& painter) const;
    // The columns' spans from the levels or, closer than their finest
    // block, from the file.
    [[nodiscard]] std::vector<LevelOverview::Span> ColumnSpans(int columns) const;
    [[nodiscard]] int YOf(int lane, int lanes, double value) const;
    void SelectNextBoundary(bool forward);

    Kind kind_;
    const LevelOverview* overview_ = nullptr;
    FrameReader reader_;
    const CutPlan* plan_ = nullptr;
    QString message_;
    bool db_ = false;
    double start_ = 0;
    double framesPerPixel_ = 1;
    double outlineStart_ = 0;
    double outlineFrames_ = 0;
    std::int64_t cursor_ = 0;
    std::int64_t playing_ = -1;
    int selected_ = -1;
    // A drag: of a boundary (dragIndex_ >= 0) or of the view.
    int dragIndex_ = -1;
    std::int64_t dragFrame_ = 0;
    bool panning_ = false;
    bool pressed_ = false;
    double pressX_ = 0;
    double pressStart_ = 0;
};

}  // namespace zolvane2
