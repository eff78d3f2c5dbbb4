#include "app/QtUserMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/MainThreadDispatcher.h"

namespace zolvane2 {

MsgAnswer QtUserMessages::SafeAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::YesNo:
            return MsgAnswer::No;
    }
    return MsgAnswer::Cancel;
}

MsgAnswer QtUserMessages::Show(const UserText& message, const UserText& caption, MsgIcon icon, MsgButtons buttons) {
    // The window speaks Japanese.
    const std::string text = message.Japanese();
    const std::string title = caption.Japanese();
    const bool onMainThread =
        QCoreApplication::instance() != nullptr && QThread::currentThread() == QCoreApplication::instance()->thread();
    if (onMainThread) {
        return ShowOnMainThread(text, title, icon, buttons);
    }
    MsgAnswer answer = SafeAnswer(buttons);
    if (MainThreadDispatcher* dispatcher = GetMainThreadDispatcher()) {
        dispatcher->RunAndWait([&] { answer = ShowOnMainThread(text, title, icon, buttons); });
    }
    return answer;
}

MsgAnswer QtUserMessages::ShowOnMainThread(const std::string& text, const std::string& title, MsgIcon icon,
                                           MsgButtons buttons) {
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(body);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MsgAnswer::Ok;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        default:
            return SafeAnswer(buttons);
    }
}

}  // namespace zolvane2
