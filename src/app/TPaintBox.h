#pragma once

#include <QImage>
#include <QWidget>

namespace zolvane2 {

// A surface that code draws into between paint events (the level display
// draws one audio block at a time); the widget shows the last picture and
// keeps it at its own size.
class TPaintBox final : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent = nullptr);

    // Draw here, then call update().
    [[nodiscard]] QImage& Canvas() { return canvas_; }
    void Fill(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage canvas_;
};

}  // namespace zolvane2
