#pragma once

#include <QPointer>

#include "app/THelpViewer.h"
#include "app/WindowDialogs.h"

namespace zolvane2 {

// The window's dialogs as the user sees them: Qt file dialogs, a question box
// before deleting, the about box and the help viewer.
class QtWindowDialogs final : public WindowDialogs {
public:
    [[nodiscard]] std::optional<QString> OpenFile(QWidget* owner, const FileRequest& request) override;
    [[nodiscard]] std::optional<QString> SaveFile(QWidget* owner, const FileRequest& request) override;
    [[nodiscard]] std::optional<QString> ChooseFolder(QWidget* owner, const FileRequest& request) override;
    [[nodiscard]] bool ConfirmDelete(QWidget* owner, const QStringList& paths) override;
    [[nodiscard]] bool AskYesNo(QWidget* owner, const QString& title, const QString& text) override;
    void ShowAbout(QWidget* owner, const QString& title, const QString& heading, const QString& text) override;
    void ShowHelp(QWidget* owner, const QString& helpFile, int context) override;
    void ShowNotice(QWidget* owner, const QString& title, const QString& text) override;
    [[nodiscard]] std::optional<std::pair<QDateTime, QDateTime>> AskSchedule(QWidget* owner, const QDateTime& start,
                                                                             const QDateTime& end) override;

private:
    std::optional<QString> Run(QWidget* owner, const FileRequest& request, bool save);
    QPointer<THelpViewer> help_;
};

}  // namespace zolvane2
