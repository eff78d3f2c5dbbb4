#include "app/TRadioGroup.h"

#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace zolvane2 {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(parent), buttons_(this) {
    // The caption stands in the box before the items rather than above it:
    // a group of one row then takes one row of the page.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(0);
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("Caption"));
    grid->addWidget(label, 0, 0);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        buttons_.addButton(button, i);
        grid->addWidget(button, i % rows, 1 + i / rows);
    }
    connect(&buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            Q_EMIT ItemIndexChanged(id);
        }
    });
}

QRadioButton* TRadioGroup::Item(int index) const {
    return qobject_cast<QRadioButton*>(buttons_.button(index));
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* b = buttons_.button(index)) {
        b->setChecked(true);
        return;
    }
    // Choosing nothing needs the group's exclusivity lifted for a moment.
    if (QAbstractButton* current = buttons_.checkedButton()) {
        buttons_.setExclusive(false);
        current->setChecked(false);
        buttons_.setExclusive(true);
        Q_EMIT ItemIndexChanged(-1);
    }
}

}  // namespace zolvane2
