#pragma once

#include <QDialog>

class QTextBrowser;

namespace zolvane2 {

// A small window that shows the program's help document (HTML) and scrolls
// to the anchor of a context number ("context4" for context 4).
class THelpViewer final : public QDialog {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // False when the help file cannot be read.
    bool ShowContext(const QString& helpFile, int context);
    [[nodiscard]] static QString AnchorName(int context);

private:
    QTextBrowser* browser_;
    QString loaded_;
};

}  // namespace zolvane2
