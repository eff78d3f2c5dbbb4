#include "app/THelpViewer.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace zolvane2 {

THelpViewer::THelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Zolvane2 ヘルプ"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(true);
    resize(520, 480);
}

QString THelpViewer::AnchorName(int context) {
    return QStringLiteral("context%1").arg(context);
}

bool THelpViewer::ShowContext(const QString& helpFile, int context) {
    if (loaded_ != helpFile) {
        QFile file(helpFile);
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        // The file ends in .hlp, so it is handed over as HTML text rather than
        // by its name, whose suffix would make the browser show it as plain text.
        browser_->setHtml(QString::fromUtf8(file.readAll()));
        loaded_ = helpFile;
    }
    show();
    raise();
    activateWindow();
    browser_->scrollToAnchor(AnchorName(context));
    return true;
}

}  // namespace zolvane2
