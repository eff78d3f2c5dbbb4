#pragma once

#include <QObject>
#include <QString>

namespace zolvane2 {

class WindowDialogs;

// The about box: the application title (which carries the recording state) on
// its first line, then the version with the date of the program file, who made
// it and the comment of the version record that the build writes, then the
// copyright, the licence and the homepage.
class TShellAboutDialog final : public QObject {
    Q_OBJECT
public:
    TShellAboutDialog(QWidget* owner, WindowDialogs& dialogs);

    // Shows the box modally over the owner; true when it was shown.
    bool Execute();

    // One string of the version record by key ("\FileVersion",
    // "\CompanyName", "\LegalCopyright", "\Comments"); empty for an unknown key.
    [[nodiscard]] static QString GetVersionString(const QString& key);
    // The lines under the title, joined by "\r\n".
    [[nodiscard]] static QString OtherText(const QString& programFile);
    // The copyright, licence and homepage lines, joined by "\r\n".
    [[nodiscard]] static QString LegalText();

private:
    QWidget* owner_;
    WindowDialogs& dialogs_;
};

}  // namespace zolvane2
