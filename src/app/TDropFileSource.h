#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

namespace zolvane2 {

// Offers files to other programs by drag and drop: the list of paths travels
// as file URLs (text/uri-list), and copying is the only action offered, so a
// drop never moves the file away from the list.
class TDropFileSource : public QObject {
    Q_OBJECT
public:
    explicit TDropFileSource(QObject* parent = nullptr) : QObject(parent) {}

    QStringList Files;

    // Runs the drag from source until the user drops or cancels.
    virtual void Execute(QWidget* source);
};

}  // namespace zolvane2
