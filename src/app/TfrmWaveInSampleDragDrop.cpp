// Files dropped on the window join the list; a row dragged out of the list
// offers its file for copying.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <cstdlib>

#include "app/TDropFileSource.h"
#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

// A drag starts once the pointer has moved this far from the press.
constexpr int kDragDistance = 10;

}  // namespace

void TfrmWaveInSample::dragEnterEvent(QDragEnterEvent* event) {
    // A row dragged out of the list and let go over the window again is not
    // a new file: only drags from other programs are taken.
    if (event->source() != nullptr) {
        return;
    }
    if (!LocalFiles(event->mimeData()).isEmpty() && (event->possibleActions() & Qt::CopyAction) != 0) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void TfrmWaveInSample::dropEvent(QDropEvent* event) {
    if (event->source() != nullptr) {
        return;
    }
    const QStringList paths = LocalFiles(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DropFiles(paths);
}

void TfrmWaveInSample::DropFiles(const QStringList& paths) {
    // In the order the sender lists them; folders and other files add nothing.
    for (const QString& path : paths) {
        AddFileToList(path, -1);
    }
}

void TfrmWaveInSample::lvResultMouseDown(Qt::MouseButton button, const QPoint& at) {
    if (button == Qt::LeftButton) {
        dragStart_ = at;
    }
}

void TfrmWaveInSample::lvResultMouseMove(Qt::MouseButtons buttons, const QPoint& at) {
    if (dragging_ || (buttons & (Qt::LeftButton | Qt::RightButton)) == 0) {
        return;
    }
    if (std::abs(at.x() - dragStart_.x()) < kDragDistance && std::abs(at.y() - dragStart_.y()) < kDragDistance) {
        return;
    }
    DropFileSource1->Files.clear();
    QTreeWidgetItem* item = lvResult->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    DropFileSource1->Files.append(item->text(5) + item->text(0));
    dragging_ = true;
    DropFileSource1->Execute(lvResult);
    dragging_ = false;
}

}  // namespace zolvane2
