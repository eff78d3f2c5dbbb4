#include "app/TShellAboutDialog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include "Version.h"
#include "app/WindowDialogs.h"
#include "platform/ErrorDisplay.h"

namespace zolvane2 {

TShellAboutDialog::TShellAboutDialog(QWidget* owner, WindowDialogs& dialogs)
    : QObject(nullptr), owner_(owner), dialogs_(dialogs) {}

QString TShellAboutDialog::GetVersionString(const QString& key) {
    if (key == QStringLiteral("\\FileVersion")) {
        return QString::fromUtf8(version::FileVersion);
    }
    if (key == QStringLiteral("\\CompanyName")) {
        return QString::fromUtf8(version::CompanyName);
    }
    if (key == QStringLiteral("\\LegalCopyright")) {
        return QString::fromUtf8(version::LegalCopyright);
    }
    if (key == QStringLiteral("\\Comments")) {
        return QString::fromUtf8(version::Comments);
    }
    return {};
}

QString TShellAboutDialog::OtherText(const QString& programFile) {
    const QString date = QFileInfo(programFile).lastModified().toString(QStringLiteral("yyyy/MM/dd"));
    return QStringLiteral("ver. ") + GetVersionString(QStringLiteral("\\FileVersion")) + QStringLiteral(", ") +
           QStringLiteral("Last Update : ") + date + QStringLiteral("\r\n") + QStringLiteral("Created by ") +
           GetVersionString(QStringLiteral("\\CompanyName")) + QStringLiteral("\r\n") +
           GetVersionString(QStringLiteral("\\Comments")) + QStringLiteral("\r\n") + LegalText();
}

QString TShellAboutDialog::LegalText() {
    // The notices the GPL asks an interactive program to show.
    return GetVersionString(QStringLiteral("\\LegalCopyright")) + QStringLiteral("\r\n") +
           QStringLiteral("ライセンス: ") + QString::fromUtf8(version::License) + QStringLiteral("（無保証）\r\n") +
           QStringLiteral("ホームページ: ") + QString::fromUtf8(version::Homepage);
}

bool TShellAboutDialog::Execute() {
    // "バージョン情報#<title>": the part before "#" names the box, the part
    // after it is the box's first line.
    const QString title = QStringLiteral("バージョン情報#") + QString::fromStdString(ApplicationTitle());
    const auto hash = title.indexOf(QLatin1Char('#'));
    dialogs_.ShowAbout(owner_, title.left(hash), title.mid(hash + 1),
                       OtherText(QCoreApplication::applicationFilePath()));
    return true;
}

}  // namespace zolvane2
