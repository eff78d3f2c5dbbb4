#include "app/TRecordingSettingImage.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace zolvane2 {

namespace {

// Moments of the example, in the units of the time axis (0 to 200).
constexpr double kDelayStart = 18;     // the recording reaches back to here
constexpr double kTriggerOn = 30;      // the sound rises above the trigger level
constexpr double kTriggerOff = 100;    // the sound falls below it
constexpr double kKeptEnd = 115;       // end of the quiet part that is kept
constexpr double kNextTrack = 150;     // quiet long enough: the next track begins here
constexpr double kTriggerShare = 0.3;  // trigger level as a share of full scale

QString Tr(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The example waveform: quiet noise, a loud passage between the trigger
// points, quiet again. Deterministic so the drawing never flickers.
double Sample(double t) {
    const double noise = 0.08 * std::sin(t * 2.3) * std::cos(t * 0.7);
    if (t < kTriggerOn - 1 || t > kTriggerOff + 1) {
        return noise;
    }
    const double envelope = 0.55 + 0.35 * std::sin((t - kTriggerOn) / (kTriggerOff - kTriggerOn) * 3.14159);
    return envelope * std::sin(t * 1.9) * (0.7 + 0.3 * std::cos(t * 0.45));
}

}  // namespace

struct TRecordingSettingImage::Geometry {
    int left = 0, right = 0;           // plot, horizontally
    int top = 0, mid = 0, bottom = 0;  // plot, vertically
    int markerTop = 0;                 // text "rises above" row
    int axisTop = 0, bandA = 0, bandB = 0, bandC = 0, end = 0;
    int trigger = 0;                           // trigger line distance from mid
    int line = 0;                              // text line height
    double perUnit = 1;                        // pixels per time unit
    std::array<QRect, SlotCount> label{};      // drawn caption of each editor
    std::array<QPoint, SlotCount> editorAt{};  // top left of each editor

    [[nodiscard]] int X(double t) const { return left + static_cast<int>(std::lround(t * perUnit)); }
};

TRecordingSettingImage::TRecordingSettingImage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("imgRecordingSetting"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TRecordingSettingImage::Attach(Slot slot, QWidget* editor, QWidget* unit) {
    attached_[slot] = Attached{editor, unit};
    editor->setParent(this);
    if (unit != nullptr) {
        unit->setParent(this);
    }
    PlaceEditors();
}

namespace {

// Spin edits are given a fixed width; their size hint would be the width of
// their widest possible number.
QSize EditorSize(const QWidget* editor) {
    QSize size = editor->sizeHint();
    if (editor->maximumWidth() < QWIDGETSIZE_MAX) {
        size.setWidth(editor->maximumWidth());
    }
    return size;
}

}  // namespace

int TRecordingSettingImage::BandsHeight() const {
    const int line = fontMetrics().height();
    const int editorH =
        attached_[TriggerLevel].editor != nullptr ? EditorSize(attached_[TriggerLevel].editor).height() : line + 8;
    return (line + 4) + (line + 2) + (line + 4) + (6 + editorH + 4) + (6 + std::max(editorH, 2 * line) + 2);
}

QSize TRecordingSettingImage::sizeHint() const {
    return {400, BandsHeight() + 100};
}
QSize TRecordingSettingImage::minimumSizeHint() const {
    // A low plot still shows the trigger lines apart from the waveform's
    // peaks; it leaves the page room for every cutting mode's row.
    return {MinimumWidth(), BandsHeight() + 48};
}

QSize TRecordingSettingImage::SlotSize(Slot slot) const {
    const Attached& a = attached_[slot];
    QSize size = a.editor != nullptr ? EditorSize(a.editor) : QSize(60, fontMetrics().height() + 8);
    if (a.unit != nullptr) {
        size.rwidth() += 2 + a.unit->sizeHint().width();
    }
    return size;
}

int TRecordingSettingImage::TrackIntervalWidth() const {
    const QFontMetrics fm = fontMetrics();
    return SlotSize(TrackInterval).width() + 6 +
           std::max(fm.horizontalAdvance(Tr("以上の無音部で")), fm.horizontalAdvance(Tr("次トラックを作成")));
}

int TRecordingSettingImage::MinimumWidth() const {
    // The narrowest drawing whose texts do not run into each other: the axis
    // title between the ticks 0 and 50, the trigger level's caption and editor
    // right of the kept quiet part, the falling caption right of its moment,
    // and the two editor groups of the row under the plot side by side.
    const QFontMetrics fm = fontMetrics();
    const int left = fm.horizontalAdvance(QStringLiteral("-35000")) + 10;
    // With width W the plot runs from left to W - 10, so a span of the time
    // axis and the 10 pixels of margin are what each text has.
    const double elapsed =
        fm.horizontalAdvance(Tr("時間経過") + QStringLiteral(" →")) +
        (fm.horizontalAdvance(QStringLiteral("0")) + fm.horizontalAdvance(QStringLiteral("50"))) / 2.0 + 4;
    const double level = fm.horizontalAdvance(Tr("トリガレベル")) + SlotSize(TriggerLevel).width() + 2;
    const double falling = fm.horizontalAdvance(Tr("トリガレベル以下に到達")) + 3 - 10;
    const double perUnit = std::max({1.0, elapsed / 50, level / (200 - kKeptEnd), falling / (200 - kTriggerOff)});
    const int plot = left + static_cast<int>(std::ceil(200 * perUnit)) + 10;
    const int groups = fm.horizontalAdvance(Tr("トリガディレイ")) + 6 + SlotSize(TriggerDelay).width() + 10 +
                       fm.horizontalAdvance(Tr("残す無音部")) + 6 + SlotSize(LastTimeAfterTrigger).width() + 6;
    int lastRow = 0;
    if (attached_[MinimumTrackLength].editor != nullptr) {
        // The row left of the track interval, which starts at its moment.
        const int row = SlotSize(MinimumTrackLength).width() + 6;
        const int beside = left + static_cast<int>(std::ceil((row - left) * 2.0)) + 10;
        lastRow = std::max(beside, row + TrackIntervalWidth() + 4);
    }
    return std::max({plot, groups, lastRow});
}

TRecordingSettingImage::Geometry TRecordingSettingImage::Compute() const {
    Geometry g;
    const QFontMetrics fm = fontMetrics();
    g.line = fm.height();
    const int editorH =
        attached_[TriggerLevel].editor != nullptr ? EditorSize(attached_[TriggerLevel].editor).height() : g.line + 8;
    g.left = fm.horizontalAdvance(QStringLiteral("-35000")) + 10;
    g.right = width() - 10;
    g.perUnit = std::max(1.0, static_cast<double>(g.right - g.left) / 200.0);
    g.markerTop = 2;
    g.top = g.markerTop + g.line + 2;
    // Bands below the plot: time labels, recorded range, two editor rows.
    g.bottom = std::max(g.top + 40, height() - (BandsHeight() - (g.line + 4)));
    g.mid = (g.top + g.bottom) / 2;
    // The half height in whole pixels, as the drawing has always used it.
    const int halfHeight = (g.bottom - g.top) / 2;
    g.trigger = static_cast<int>(static_cast<double>(halfHeight) * kTriggerShare);
    g.axisTop = g.bottom + 2;
    g.bandA = g.axisTop + g.line + 2;
    g.bandB = g.bandA + g.line + 4;
    g.bandC = g.bandB + 6 + editorH + 4;
    g.end = g.bandC + 6 + std::max(editorH, 2 * g.line);

    // Trigger level: caption and editor side by side over the quiet end of
    // the example, between the plot's top and the upper trigger line.
    auto editorSize = [&](Slot s) { return SlotSize(s); };
    const QString levelText = Tr("トリガレベル");
    const QSize levelEditor = editorSize(TriggerLevel);
    const int levelTextW = fm.horizontalAdvance(levelText);
    const int levelY = std::max(g.top + 1, g.mid - g.trigger - levelEditor.height() - 3);
    const int levelX = std::max(g.X(kKeptEnd) + 4, g.right - levelEditor.width() - levelTextW - 6);
    g.label[TriggerLevel] = QRect(levelX, levelY, levelTextW + 4, levelEditor.height());
    g.editorAt[TriggerLevel] = QPoint(levelX + levelTextW + 6, levelY);

    // A caption followed by its editor. The quiet part kept at the end starts
    // under its span, pushed left when it would leave the drawing; the trigger
    // delay starts under its own span, pushed left to make room for it.
    auto groupWidth = [&](Slot s, const QString& text) {
        return fm.horizontalAdvance(text) + 6 + editorSize(s).width();
    };
    auto put = [&](Slot s, const QString& text, int x, int rowTop) {
        const int textW = fm.horizontalAdvance(text);
        g.label[s] = QRect(x, rowTop, textW + 4, std::max(editorSize(s).height(), 2 * g.line));
        g.editorAt[s] = QPoint(x + textW + 6, rowTop);
    };
    const QString delayText = Tr("トリガディレイ");
    const QString keptText = Tr("残す無音部");
    const int keptX = std::max(2, std::min(g.X(kTriggerOff), width() - groupWidth(LastTimeAfterTrigger, keptText) - 4));
    const int delayX = std::max(2, std::min(g.X(kDelayStart), keptX - 10 - groupWidth(TriggerDelay, delayText)));
    put(TriggerDelay, delayText, delayX, g.bandB + 6);
    put(LastTimeAfterTrigger, keptText, keptX, g.bandB + 6);
    // The track interval's editor comes first, its two-line caption after it.
    {
        const QSize size = editorSize(TrackInterval);
        const int total = TrackIntervalWidth();
        const int textW = total - size.width() - 6;
        const int x = std::clamp(g.X(kTriggerOff), 2, std::max(2, width() - total - 4));
        g.editorAt[TrackInterval] = QPoint(x, g.bandC + 6);
        g.label[TrackInterval] = QRect(x + size.width() + 6, g.bandC + 4, textW + 4, 2 * g.line);
    }
    g.editorAt[MinimumTrackLength] = QPoint(2, g.bandC + 6);
    return g;
}

void TRecordingSettingImage::PlaceEditors() {
    const Geometry g = Compute();
    for (int s = 0; s < SlotCount; ++s) {
        const Attached& a = attached_[static_cast<std::size_t>(s)];
        if (a.editor == nullptr) {
            continue;
        }
        const QPoint at = g.editorAt[static_cast<std::size_t>(s)];
        const QSize size = EditorSize(a.editor);
        a.editor->setGeometry(QRect(at, size));
        if (a.unit != nullptr) {
            const QSize unitSize = a.unit->sizeHint();
            a.unit->setGeometry(
                QRect(QPoint(at.x() + size.width() + 2, at.y() + (size.height() - unitSize.height()) / 2), unitSize));
        }
    }
}

void TRecordingSettingImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceEditors();
}

void TRecordingSettingImage::paintEvent(QPaintEvent* /*event*/) {
    const Geometry g = Compute();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor text = palette().color(QPalette::WindowText);
    const QColor guide = palette().color(QPalette::Mid);

    // Level axis with its three labels, time axis with ticks every 50.
    p.setPen(text);
    p.drawLine(g.left, g.top, g.left, g.bottom);
    p.drawLine(g.left, g.mid, g.X(200), g.mid);
    const int labelW = g.left - 6;
    p.drawText(QRect(0, g.top - g.line / 2, labelW, g.line), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("35000"));
    p.drawText(QRect(0, g.mid - g.line / 2, labelW, g.line), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    p.drawText(QRect(0, g.bottom - g.line / 2, labelW, g.line), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("-35000"));
    for (int t = 0; t <= 200; t += 50) {
        const int x = g.X(t);
        p.drawLine(x, g.bottom - 3, x, g.bottom);
        const QString n = QString::number(t);
        const int w = fontMetrics().horizontalAdvance(n);
        const int lx = t == 0 ? x - w / 2 : std::min(x - w / 2, width() - w - 2);
        p.drawText(QRect(lx, g.axisTop, w + 2, g.line), Qt::AlignLeft | Qt::AlignVCenter, n);
    }
    // The axis title sits between the first two tick labels.
    const QString elapsed = Tr("時間経過") + QStringLiteral(" →");
    const int elapsedW = fontMetrics().horizontalAdvance(elapsed);
    p.drawText(QRect((g.X(0) + g.X(50) - elapsedW) / 2, g.axisTop, elapsedW + 4, g.line),
               Qt::AlignLeft | Qt::AlignVCenter, elapsed);

    // Guides at the moments of the example, down to the rows that measure them.
    QPen guidePen(guide, 1, Qt::DotLine);
    p.setPen(guidePen);
    for (double t : {kDelayStart, kTriggerOn, kTriggerOff, kKeptEnd, kNextTrack}) {
        const int bottom = (t == kNextTrack || t == kTriggerOff) ? g.bandC + 6 : g.bandB + 6;
        p.drawLine(g.X(t), g.top, g.X(t), bottom);
    }

    // The recorded part of the waveform is shaded.
    QColor shade = palette().color(QPalette::Highlight);
    shade.setAlpha(40);
    p.fillRect(QRect(QPoint(g.X(kDelayStart), g.top), QPoint(g.X(kKeptEnd), g.bottom)), shade);

    // The waveform.
    QPainterPath wave;
    const double half = (g.bottom - g.top) / 2.0;
    for (int x = g.left; x <= g.X(200); ++x) {
        const double t = (x - g.left) / g.perUnit;
        const QPointF point(x, g.mid - Sample(t) * half);
        if (x == g.left) {
            wave.moveTo(point);
        } else {
            wave.lineTo(point);
        }
    }
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.drawPath(wave);

    // Trigger lines.
    p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DashLine));
    p.drawLine(g.left, g.mid - g.trigger, g.X(200), g.mid - g.trigger);
    p.drawLine(g.left, g.mid + g.trigger, g.X(200), g.mid + g.trigger);

    // Where the sound crosses the level.
    p.setPen(text);
    p.drawText(QRect(g.X(kTriggerOn) + 3, g.markerTop, width() - g.X(kTriggerOn), g.line),
               Qt::AlignLeft | Qt::AlignVCenter, Tr("トリガレベル以上に到達"));
    p.drawText(QRect(g.X(kTriggerOff) + 3, g.mid + g.trigger + 2, width() - g.X(kTriggerOff), g.line),
               Qt::AlignLeft | Qt::AlignVCenter, Tr("トリガレベル以下に到達"));

    auto span = [&](double from, double to, int y) {
        const int x1 = g.X(from);
        const int x2 = g.X(to);
        p.drawLine(x1, y, x2, y);
        p.drawLine(x1, y, x1 + 4, y - 3);
        p.drawLine(x1, y, x1 + 4, y + 3);
        p.drawLine(x2, y, x2 - 4, y - 3);
        p.drawLine(x2, y, x2 - 4, y + 3);
    };
    // Recorded range, with its caption on the arrow.
    const int rangeY = g.bandA + g.line / 2;
    span(kDelayStart, kKeptEnd, rangeY);
    const QString range = Tr("録音範囲");
    const int rangeW = fontMetrics().horizontalAdvance(range) + 8;
    const QRect rangeRect((g.X(kDelayStart) + g.X(kKeptEnd) - rangeW) / 2, g.bandA, rangeW, g.line);
    p.fillRect(rangeRect, palette().color(QPalette::Window));
    p.drawText(rangeRect, Qt::AlignCenter, range);

    span(kDelayStart, kTriggerOn, g.bandB + 3);
    span(kTriggerOff, kKeptEnd, g.bandB + 3);
    span(kTriggerOff, kNextTrack, g.bandC + 3);
    p.drawText(g.label[TriggerLevel], Qt::AlignLeft | Qt::AlignVCenter, Tr("トリガレベル"));
    p.drawText(QRect(g.label[TriggerDelay].topLeft(), QSize(g.label[TriggerDelay].width(), g.line + 8)),
               Qt::AlignLeft | Qt::AlignVCenter, Tr("トリガディレイ"));
    p.drawText(QRect(g.label[LastTimeAfterTrigger].topLeft(), QSize(g.label[LastTimeAfterTrigger].width(), g.line + 8)),
               Qt::AlignLeft | Qt::AlignVCenter, Tr("残す無音部"));
    const QRect interval = g.label[TrackInterval];
    p.drawText(QRect(interval.x() + 4, interval.y(), interval.width(), g.line), Qt::AlignLeft | Qt::AlignVCenter,
               Tr("以上の無音部で"));
    p.drawText(QRect(interval.x() + 4, interval.y() + g.line, interval.width(), g.line),
               Qt::AlignLeft | Qt::AlignVCenter, Tr("次トラックを作成"));
}

}  // namespace zolvane2
