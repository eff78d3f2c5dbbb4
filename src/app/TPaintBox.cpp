#include "app/TPaintBox.h"

#include <QPainter>

namespace zolvane2 {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_ = QImage(1, 1, QImage::Format_RGB32);
    canvas_.fill(palette().color(QPalette::Button));
}

void TPaintBox::Fill(const QColor& colour) {
    canvas_.fill(colour);
    update();
}

void TPaintBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.drawImage(0, 0, canvas_);
}

void TPaintBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (canvas_.size() != size() && !size().isEmpty()) {
        QImage grown(size(), QImage::Format_RGB32);
        grown.fill(palette().color(QPalette::Button));
        QPainter p(&grown);
        p.drawImage(0, 0, canvas_);
        canvas_ = grown;
    }
}

}  // namespace zolvane2
