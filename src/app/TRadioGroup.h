#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QRadioButton;

namespace zolvane2 {

// A captioned group of radio buttons laid out in columns, addressed by item
// index like the settings store it (-1 = none chosen).
class TRadioGroup final : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    [[nodiscard]] int ItemIndex() const { return buttons_.checkedId(); }
    // Out-of-range indexes choose nothing.
    void SetItemIndex(int index);
    [[nodiscard]] int Count() const { return static_cast<int>(buttons_.buttons().size()); }
    [[nodiscard]] QRadioButton* Item(int index) const;

Q_SIGNALS:
    // A different item became chosen, by the user or by SetItemIndex.
    void ItemIndexChanged(int index);

private:
    QButtonGroup buttons_;
};

}  // namespace zolvane2
