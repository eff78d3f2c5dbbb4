// The dialog of a scheduled recording: its start, and its end as a time or
// as a length.
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QTimeEdit>

#include "app/QtWindowDialogs.h"

namespace zolvane2 {

std::optional<std::pair<QDateTime, QDateTime>> QtWindowDialogs::AskSchedule(QWidget* owner, const QDateTime& start,
                                                                            const QDateTime& end) {
    QDialog box(owner);
    box.setObjectName(QStringLiteral("dlgSchedule"));
    box.setWindowTitle(QStringLiteral("予約録音"));
    auto* form = new QFormLayout(&box);
    auto* from = new QDateTimeEdit(start, &box);
    from->setObjectName(QStringLiteral("dtpScheduleStart"));
    from->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    from->setCalendarPopup(true);
    from->setToolTip(QStringLiteral("録音を始める日時 (この機械の時刻)"));
    form->addRow(QStringLiteral("開始(&S):"), from);
    auto* byEnd = new QRadioButton(QStringLiteral("終了時刻(&E):"), &box);
    byEnd->setToolTip(QStringLiteral("録音を終える日時で指定します"));
    auto* to = new QDateTimeEdit(end, &box);
    to->setObjectName(QStringLiteral("dtpScheduleEnd"));
    to->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    to->setCalendarPopup(true);
    to->setToolTip(QStringLiteral("録音を終える日時"));
    form->addRow(byEnd, to);
    auto* byLength = new QRadioButton(QStringLiteral("長さ(&L):"), &box);
    byLength->setToolTip(QStringLiteral("録音する長さで指定します"));
    auto* length = new QTimeEdit(
        QTime(0, 0).addSecs(static_cast<int>(std::clamp<qint64>(start.secsTo(end), 1, 23 * 3600 + 59 * 60 + 59))),
        &box);
    length->setObjectName(QStringLiteral("tmeScheduleLength"));
    length->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    length->setToolTip(QStringLiteral("録音する長さ (時:分:秒)"));
    form->addRow(byLength, length);
    byLength->setChecked(true);
    to->setEnabled(false);
    QObject::connect(byEnd, &QRadioButton::toggled, to, &QWidget::setEnabled);
    QObject::connect(byLength, &QRadioButton::toggled, length, &QWidget::setEnabled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    form->addRow(buttons);
    if (box.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QDateTime first = from->dateTime();
    const QDateTime last = byEnd->isChecked() ? to->dateTime() : first.addSecs(QTime(0, 0).secsTo(length->time()));
    return std::pair(first, last);
}

}  // namespace zolvane2
