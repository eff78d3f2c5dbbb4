#include "app/TDropFileSource.h"

#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace zolvane2 {

void TDropFileSource::Execute(QWidget* source) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : Files) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

}  // namespace zolvane2
