#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QWidget;

namespace zolvane2 {

// What the main window asks of the user outside its own controls: file
// dialogs, the delete confirmation, the about box and the help viewer. The
// program shows real dialogs (QtWindowDialogs); the tests put in a service
// that answers from a script, so every dialog path runs without a person.
// Plain message boxes go through the platform's UserMessages instead, which
// the worker threads share.
class WindowDialogs {
public:
    struct FileRequest {
        QString title;
        QString filter;         // "Windows Wave (*.wav);;RAW data (*.raw)"
        int filterIndex = 0;    // zero-based index of the preselected filter
        QString defaultSuffix;  // without dot, added when the user typed none
        QString initialPath;    // the file name the dialog starts with
        bool confirmOverwrite = false;
    };

    WindowDialogs() = default;
    WindowDialogs(const WindowDialogs&) = delete;
    WindowDialogs& operator=(const WindowDialogs&) = delete;
    virtual ~WindowDialogs() = default;

    // The chosen file, or nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<QString> OpenFile(QWidget* owner, const FileRequest& request) = 0;
    [[nodiscard]] virtual std::optional<QString> SaveFile(QWidget* owner, const FileRequest& request) = 0;
    // A folder (request.title and initialPath only).
    [[nodiscard]] virtual std::optional<QString> ChooseFolder(QWidget* owner, const FileRequest& request) = 0;
    // Asks before files go to the trash; true = go ahead.
    [[nodiscard]] virtual bool ConfirmDelete(QWidget* owner, const QStringList& paths) = 0;
    // A question to answer yes or no; true = yes. No is the default answer.
    [[nodiscard]] virtual bool AskYesNo(QWidget* owner, const QString& title, const QString& text) = 0;
    // title = caption bar, heading = first line (the application title),
    // text = the remaining lines separated by "\r\n".
    virtual void ShowAbout(QWidget* owner, const QString& title, const QString& heading, const QString& text) = 0;
    // Opens the help file at a context number (an anchor of the document).
    virtual void ShowHelp(QWidget* owner, const QString& helpFile, int context) = 0;
    // A warning that is shown without waiting for anyone to read it: an
    // unattended run goes on (and may end the program) while it stands.
    virtual void ShowNotice(QWidget* owner, const QString& title, const QString& text) = 0;
    // Asks for a scheduled recording's start and end, shown first as given;
    // nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<std::pair<QDateTime, QDateTime>> AskSchedule(QWidget* owner,
                                                                                     const QDateTime& start,
                                                                                     const QDateTime& end) = 0;
};

}  // namespace zolvane2
