#include "app/TWaveView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "jobs/CutPlan.h"

namespace zolvane2 {

namespace {

constexpr std::array<QRgb, 6> kPieceColours{0x4f8fd8, 0x5cb85c, 0xe0a030, 0xb070d0, 0xd05a5a, 0x40b0b0};
// How near a boundary a press must be to take it, in pixels.
constexpr double kGrab = 5;

}  // namespace

TWaveView::TWaveView(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setFocusPolicy(kind == Kind::Zoom ? Qt::StrongFocus : Qt::ClickFocus);
    setMouseTracking(kind == Kind::Zoom);
    setMinimumHeight(kind == Kind::Zoom ? 90 : 40);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TWaveView::SetSource(const LevelOverview* overview, FrameReader reader) {
    overview_ = overview;
    reader_ = std::move(reader);
    cursor_ = 0;
    playing_ = -1;
    selected_ = -1;
    dragIndex_ = -1;
    start_ = 0;
    framesPerPixel_ = std::max<double>(static_cast<double>(TotalFrames()) / std::max(width(), 1), 1);
    Clamp();
    update();
}

void TWaveView::SetMessage(const QString& text) {
    message_ = text;
    update();
}

void TWaveView::SetDbScale(bool on) {
    db_ = on;
    update();
}

void TWaveView::SetCursorFrame(std::int64_t frame) {
    cursor_ = std::clamp<std::int64_t>(frame, 0, TotalFrames());
    update();
}

void TWaveView::SetPlayPosition(std::int64_t frame) {
    if (frame != playing_) {
        playing_ = frame;
        update();
    }
}

void TWaveView::SetSelectedBoundary(int index) {
    selected_ = index;
    update();
}

void TWaveView::SetView(double start, double framesPerPixel) {
    start_ = start;
    framesPerPixel_ = framesPerPixel;
    Clamp();
    update();
}

void TWaveView::SetOutline(double start, double frames) {
    outlineStart_ = start;
    outlineFrames_ = frames;
    update();
}

void TWaveView::Clamp() {
    const double total = static_cast<double>(TotalFrames());
    const double columns = std::max(width(), 1);
    if (kind_ == Kind::Overview) {
        start_ = 0;
        framesPerPixel_ = std::max(total / columns, kFinestFramesPerPixel);
        return;
    }
    framesPerPixel_ = std::clamp(framesPerPixel_, kFinestFramesPerPixel, std::max(total / columns, 1.0));
    start_ = std::clamp(start_, 0.0, std::max(total - framesPerPixel_ * columns, 0.0));
}

void TWaveView::ZoomAt(double factor, double x) {
    const double anchor = start_ + x * framesPerPixel_;
    framesPerPixel_ *= factor;
    Clamp();
    start_ = anchor - x * framesPerPixel_;
    Clamp();
    update();
    Q_EMIT ViewChanged();
}

void TWaveView::Reveal(std::int64_t frame) {
    const double shown = framesPerPixel_ * width();
    const auto f = static_cast<double>(frame);
    if (f < start_ || f >= start_ + shown) {
        start_ = f - shown / 2;
        Clamp();
        update();
        Q_EMIT ViewChanged();
    }
}

std::int64_t TWaveView::FrameAt(double x) const {
    const auto frame = static_cast<std::int64_t>(std::llround(start_ + x * framesPerPixel_));
    return std::clamp<std::int64_t>(frame, 0, TotalFrames());
}

double TWaveView::XOf(double frame) const {
    return (frame - start_) / framesPerPixel_;
}

int TWaveView::YOf(int lane, int lanes, double value) const {
    const double laneHeight = static_cast<double>(height()) / lanes;
    const double middle = laneHeight * (lane + 0.5);
    const double half = laneHeight / 2 - 1;
    double part = value / 32768.0;
    if (db_) {
        // -60 dB at the middle line, 0 dB at the lane's edge.
        const double magnitude = std::abs(part);
        const double db = magnitude > 0 ? 20 * std::log10(magnitude) : -60;
        part = std::copysign(std::clamp((db + 60) / 60, 0.0, 1.0), value);
    }
    return static_cast<int>(std::lround(middle - part * half));
}

std::vector<LevelOverview::Span> TWaveView::ColumnSpans(int columns) const {
    const int channels = overview_->Channels();
    std::vector<LevelOverview::Span> spans(static_cast<std::size_t>(columns * channels));
    if (framesPerPixel_ >= static_cast<double>(LevelOverview::kBlockFrames[0]) || !reader_) {
        for (int x = 0; x < columns; ++x) {
            const auto from = static_cast<std::int64_t>(start_ + x * framesPerPixel_);
            const auto to = std::max(static_cast<std::int64_t>(start_ + (x + 1) * framesPerPixel_), from + 1);
            for (int c = 0; c < channels; ++c) {
                spans[(static_cast<std::size_t>(x) * static_cast<std::size_t>(channels)) +
                      static_cast<std::size_t>(c)] = overview_->At(c, from, to);
            }
        }
        return spans;
    }
    const auto from = static_cast<std::int64_t>(start_);
    const auto count = static_cast<std::int64_t>(std::ceil(framesPerPixel_ * columns));
    const std::vector<std::int16_t> samples = reader_(from, count);
    const std::int64_t frames = static_cast<std::int64_t>(samples.size()) / channels;
    const int filled =
        static_cast<int>(std::min<double>(columns, std::floor(static_cast<double>(frames) / framesPerPixel_)));
    const std::vector<LevelOverview::Span> read =
        LevelOverview::SpansOfFrames(samples.data(), frames, channels, filled);
    std::copy(read.begin(), read.end(), spans.begin());
    return spans;
}

void TWaveView::DrawWave(QPainter& painter) const {
    const int channels = overview_->Channels();
    const int columns = width();
    painter.setPen(QColor(0x1c3f6e));
    if (framesPerPixel_ < 1 && reader_) {
        // Single frames: a line through the samples, a dot on each when
        // they lie far enough apart.
        const auto from = static_cast<std::int64_t>(start_);
        const auto count = static_cast<std::int64_t>(std::ceil(framesPerPixel_ * columns)) + 2;
        const std::vector<std::int16_t> samples = reader_(from, count);
        const std::int64_t frames = static_cast<std::int64_t>(samples.size()) / channels;
        for (int c = 0; c < channels; ++c) {
            QPainterPath path;
            for (std::int64_t i = 0; i < frames; ++i) {
                const QPointF p(XOf(static_cast<double>(from + i)),
                                YOf(c, channels, samples[static_cast<std::size_t>(i * channels + c)]));
                if (i == 0) {
                    path.moveTo(p);
                } else {
                    path.lineTo(p);
                }
                if (framesPerPixel_ <= 0.25) {
                    painter.drawEllipse(p, 1.5, 1.5);
                }
            }
            painter.drawPath(path);
        }
        return;
    }
    const std::vector<LevelOverview::Span> spans = ColumnSpans(columns);
    std::vector<QLine> lines;
    lines.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(channels));
    for (int x = 0; x < columns; ++x) {
        for (int c = 0; c < channels; ++c) {
            const LevelOverview::Span& s =
                spans[(static_cast<std::size_t>(x) * static_cast<std::size_t>(channels)) + static_cast<std::size_t>(c)];
            if (s.low > s.high) {
                continue;
            }
            const int high = YOf(c, channels, s.high);
            // Negative values go down in both scales.
            const int low = YOf(c, channels, s.low);
            lines.emplace_back(x, high, x, std::max(low, high));
        }
    }
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void TWaveView::DrawPieces(QPainter& painter) const {
    if (plan_ == nullptr) {
        return;
    }
    const std::vector<std::int64_t>& bounds = plan_->Boundaries();
    const int h = height();
    for (int i = 0; i < plan_->PieceCount(); ++i) {
        const double x0 = XOf(static_cast<double>(bounds[static_cast<std::size_t>(i)]));
        const double x1 = XOf(static_cast<double>(bounds[static_cast<std::size_t>(i) + 1]));
        if (x1 < 0 || x0 > width()) {
            continue;
        }
        QColor colour(kPieceColours[static_cast<std::size_t>(i) % kPieceColours.size()]);
        colour.setAlpha(60);
        painter.fillRect(QRectF(x0, 0, x1 - x0, h), colour);
        const QString label = QString::number(i + 1);
        painter.setPen(QColor(0x202020));
        painter.drawText(QPointF(std::max(x0, 0.0) + 3, painter.fontMetrics().ascent() + 1), label);
    }
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const bool chosen = static_cast<int>(i) == selected_;
        const bool dragged = static_cast<int>(i) == dragIndex_;
        const double frame = static_cast<double>(dragged ? dragFrame_ : bounds[i]);
        painter.setPen(QPen(chosen || dragged ? QColor(0xe07000) : QColor(0x303030), chosen ? 3 : 1.5,
                            dragged ? Qt::DashLine : Qt::SolidLine));
        painter.drawLine(QPointF(XOf(frame), 0), QPointF(XOf(frame), h));
    }
}

void TWaveView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xf4f4f4));
    if (overview_ == nullptr || TotalFrames() == 0) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, message_);
        return;
    }
    DrawPieces(painter);
    const int channels = overview_->Channels();
    painter.setPen(QColor(0xb0b0b0));
    for (int c = 0; c < channels; ++c) {
        const int y = YOf(c, channels, 0);
        painter.drawLine(0, y, width(), y);
    }
    DrawWave(painter);
    if (kind_ == Kind::Overview && outlineFrames_ > 0) {
        painter.setPen(QPen(QColor(Qt::black), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(XOf(outlineStart_), 0, std::max(outlineFrames_ / framesPerPixel_, 2.0), height() - 1));
    }
    painter.setPen(QPen(QColor(0x0050ff), 1));
    painter.drawLine(QPointF(XOf(static_cast<double>(cursor_)), 0),
                     QPointF(XOf(static_cast<double>(cursor_)), height()));
    if (playing_ >= 0) {
        painter.setPen(QPen(QColor(0xff0000), 2));
        painter.drawLine(QPointF(XOf(static_cast<double>(playing_)), 0),
                         QPointF(XOf(static_cast<double>(playing_)), height()));
    }
    if (hasFocus() && kind_ == Kind::Zoom) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TWaveView::mousePressEvent(QMouseEvent* event) {
    if (overview_ == nullptr || event->button() != Qt::LeftButton) {
        return;
    }
    const double x = event->position().x();
    if (kind_ == Kind::Overview) {
        pressed_ = true;
        Q_EMIT CentreAsked(FrameAt(x));
        return;
    }
    pressed_ = true;
    pressX_ = x;
    pressStart_ = start_;
    panning_ = false;
    dragIndex_ =
        plan_ != nullptr ? plan_->BoundaryNear(FrameAt(x), static_cast<std::int64_t>(kGrab * framesPerPixel_) + 1) : -1;
    if (dragIndex_ >= 0) {
        dragFrame_ = plan_->Boundaries()[static_cast<std::size_t>(dragIndex_)];
        selected_ = dragIndex_;
    }
}

void TWaveView::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    if (kind_ == Kind::Zoom && plan_ != nullptr && !pressed_) {
        const bool near = plan_->BoundaryNear(FrameAt(x), static_cast<std::int64_t>(kGrab * framesPerPixel_) + 1) >= 0;
        setCursor(near ? Qt::SizeHorCursor : Qt::ArrowCursor);
    }
    if (!pressed_) {
        return;
    }
    if (kind_ == Kind::Overview) {
        Q_EMIT CentreAsked(FrameAt(x));
        return;
    }
    if (dragIndex_ >= 0) {
        dragFrame_ = FrameAt(x);
        update();
        return;
    }
    if (panning_ || std::abs(x - pressX_) > 3) {
        panning_ = true;
        start_ = pressStart_ - (x - pressX_) * framesPerPixel_;
        Clamp();
        update();
        Q_EMIT ViewChanged();
    }
}

void TWaveView::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_ || event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = false;
    if (kind_ == Kind::Overview) {
        return;
    }
    if (dragIndex_ >= 0) {
        const int index = std::exchange(dragIndex_, -1);
        const bool snap = (event->modifiers() & Qt::ShiftModifier) == 0;
        update();
        if (std::abs(event->position().x() - pressX_) > 1) {
            Q_EMIT BoundaryDragged(index, FrameAt(event->position().x()), snap);
        } else {
            SetCursorFrame(plan_->Boundaries()[static_cast<std::size_t>(index)]);
            Q_EMIT CursorMoved(cursor_);
        }
        return;
    }
    if (!panning_) {
        selected_ = -1;
        SetCursorFrame(FrameAt(event->position().x()));
        Q_EMIT CursorMoved(cursor_);
    }
    panning_ = false;
}

void TWaveView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (kind_ == Kind::Zoom && overview_ != nullptr && event->button() == Qt::LeftButton) {
        Q_EMIT AddBoundaryAsked(FrameAt(event->position().x()));
    }
}

void TWaveView::wheelEvent(QWheelEvent* event) {
    if (kind_ != Kind::Zoom || overview_ == nullptr) {
        event->ignore();
        return;
    }
    const QPoint delta = event->angleDelta();
    const bool sideways = delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier) != 0;
    const int steps = (delta.x() != 0 ? delta.x() : delta.y());
    if (sideways) {
        start_ -= steps / 120.0 * width() / 8 * framesPerPixel_;
        Clamp();
        update();
        Q_EMIT ViewChanged();
    } else {
        ZoomAt(std::pow(0.8, steps / 120.0), event->position().x());
    }
    event->accept();
}

void TWaveView::SelectNextBoundary(bool forward) {
    if (plan_ == nullptr || plan_->Boundaries().empty()) {
        return;
    }
    const std::vector<std::int64_t>& b = plan_->Boundaries();
    int index = -1;
    if (forward) {
        const auto at = std::upper_bound(b.begin(), b.end(), cursor_);
        index = at == b.end() ? 0 : static_cast<int>(at - b.begin());
    } else {
        const auto at = std::lower_bound(b.begin(), b.end(), cursor_);
        index = at == b.begin() ? static_cast<int>(b.size()) - 1 : static_cast<int>(at - b.begin()) - 1;
    }
    selected_ = index;
    SetCursorFrame(b[static_cast<std::size_t>(index)]);
    Reveal(cursor_);
    Q_EMIT CursorMoved(cursor_);
}

bool TWaveView::event(QEvent* event) {
    // Tab goes from boundary to boundary here rather than to the next control.
    if (kind_ == Kind::Zoom && event->type() == QEvent::KeyPress && overview_ != nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            SelectNextBoundary(key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier) == 0);
            return true;
        }
    }
    return QWidget::event(event);
}

void TWaveView::keyPressEvent(QKeyEvent* event) {
    if (kind_ != Kind::Zoom || overview_ == nullptr) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double step = std::max(framesPerPixel_, 1.0) * ((event->modifiers() & Qt::ControlModifier) != 0 ? 50 : 1);
    const double cursorX = std::clamp(XOf(static_cast<double>(cursor_)), 0.0, static_cast<double>(width()));
    const auto moveCursor = [this](double frame) {
        selected_ = -1;
        SetCursorFrame(static_cast<std::int64_t>(std::llround(frame)));
        Reveal(cursor_);
        Q_EMIT CursorMoved(cursor_);
    };
    switch (event->key()) {
        case Qt::Key_Left:
            moveCursor(static_cast<double>(cursor_) - step);
            break;
        case Qt::Key_Right:
            moveCursor(static_cast<double>(cursor_) + step);
            break;
        case Qt::Key_Home:
            moveCursor(0);
            break;
        case Qt::Key_End:
            moveCursor(static_cast<double>(TotalFrames()));
            break;
        case Qt::Key_Up:
        case Qt::Key_Plus:
            ZoomAt(0.5, cursorX);
            break;
        case Qt::Key_Down:
        case Qt::Key_Minus:
            ZoomAt(2, cursorX);
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            start_ += (event->key() == Qt::Key_PageUp ? -0.9 : 0.9) * width() * framesPerPixel_;
            Clamp();
            update();
            Q_EMIT ViewChanged();
            break;
        case Qt::Key_Insert:
        case Qt::Key_B:
            Q_EMIT AddBoundaryAsked(cursor_);
            break;
        case Qt::Key_Delete:
            if (selected_ >= 0) {
                Q_EMIT DeleteBoundaryAsked(selected_);
            }
            break;
        case Qt::Key_Space:
            Q_EMIT PlayAsked();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TWaveView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Clamp();
}

}  // namespace zolvane2
