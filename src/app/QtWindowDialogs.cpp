#include "app/QtWindowDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>

#include "app/AppIcon.h"
#include "platform/ErrorDisplay.h"

namespace zolvane2 {

std::optional<QString> QtWindowDialogs::Run(QWidget* owner, const FileRequest& request, bool save) {
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = request.filter.split(QStringLiteral(";;"));
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 0 && request.filterIndex < filters.size()) {
        dialog.selectNameFilter(filters.at(request.filterIndex));
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialPath.isEmpty()) {
        const QFileInfo info(request.initialPath);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtWindowDialogs::OpenFile(QWidget* owner, const FileRequest& request) {
    return Run(owner, request, false);
}

std::optional<QString> QtWindowDialogs::SaveFile(QWidget* owner, const FileRequest& request) {
    return Run(owner, request, true);
}

std::optional<QString> QtWindowDialogs::ChooseFolder(QWidget* owner, const FileRequest& request) {
    const QString folder = QFileDialog::getExistingDirectory(owner, request.title, request.initialPath);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

bool QtWindowDialogs::ConfirmDelete(QWidget* owner, const QStringList& paths) {
    QString text;
    if (paths.size() == 1) {
        text = QStringLiteral("「%1」をごみ箱に移動しますか?").arg(QFileInfo(paths.constFirst()).fileName());
    } else {
        text = QStringLiteral("これらの %1 個の項目をごみ箱に移動しますか?").arg(paths.size());
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("ファイルの削除"), text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDetailedText(paths.join(QLatin1Char('\n')));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtWindowDialogs::AskYesNo(QWidget* owner, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtWindowDialogs::ShowAbout(QWidget* owner, const QString& title, const QString& heading, const QString& text) {
    QDialog box(owner);
    box.setWindowTitle(title);
    auto* layout = new QGridLayout(&box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(16);
    auto* icon = new QLabel(&box);
    const QIcon appIcon = QApplication::windowIcon().isNull() ? AppIcon() : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(48, 48));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* first = new QLabel(heading, &box);
    first->setTextFormat(Qt::PlainText);
    QFont bold = first->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    first->setFont(bold);
    layout->addWidget(first, 0, 1);
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* lines = new QLabel(body, &box);
    lines->setTextFormat(Qt::PlainText);
    lines->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lines, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons, 2, 0, 1, 2);
    box.exec();
}

void QtWindowDialogs::ShowHelp(QWidget* owner, const QString& helpFile, int context) {
    if (help_.isNull()) {
        help_ = new THelpViewer(owner);
    }
    if (!help_->ShowContext(helpFile, context)) {
        ShowStandardError((helpFile + QStringLiteral("\r\nが見つかりません。")).toStdString());
    }
}

void QtWindowDialogs::ShowNotice(QWidget* owner, const QString& title, const QString& text) {
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* box = new QMessageBox(QMessageBox::Warning, title, body, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The box never keeps the program from ending when the window closes.
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->show();
}

}  // namespace zolvane2
