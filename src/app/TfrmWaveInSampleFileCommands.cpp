// Commands that act on the listed files themselves: delete to the trash,
// renumber after the recording base name, re-check for changes.
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <vector>

#include "app/FileRename.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "platform/ErrorDisplay.h"

namespace zolvane2 {

namespace {

// Where a file waits between the two phases of renumbering, so that rows can
// swap numbers without any rename hitting a name that is still taken.
QString TempPrefix() {
    return QStringLiteral("~temp_rename_for_zolvane2~");
}

constexpr qint64 kWaveLimit = 2147483648LL;

bool Exists(const QString& path) {
    return QFileInfo::exists(path);
}

}  // namespace

void TfrmWaveInSample::btnDeleteClick() {
    QStringList paths;
    for (int r = 0; r < RowCount(); ++r) {
        if (RowChecked(r)) {
            paths.append(RowPath(r));
        }
    }
    if (paths.isEmpty()) {
        return;
    }
    bool done = Dialogs().ConfirmDelete(this, paths);
    if (done) {
        QStringList failed;
        for (const QString& path : paths) {
            if (!QFile::moveToTrash(path)) {
                failed.append(path);
            }
        }
        if (!failed.isEmpty()) {
            done = false;
            ReportError((failed.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nをごみ箱に移動できませんでした。"))
                            .toStdString(),
                        "Error");
        }
    }
    if (done) {
        for (int r = RowCount() - 1; r >= 0; --r) {
            if (RowChecked(r)) {
                delete lvResult->takeTopLevelItem(r);
            }
        }
    } else {
        // Cancelled or partly failed: list again what is still there.
        QStringList all;
        for (int r = 0; r < RowCount(); ++r) {
            all.append(RowPath(r));
        }
        lvResult->clear();
        for (const QString& path : all) {
            AddFileToList(path, -1);
        }
    }
    UpdateCommands();
}

void TfrmWaveInSample::btnRenameClick() {
    const int rows = RowCount();
    // Phase 1: every listed file steps aside under a temporary name. A file
    // that cannot move keeps its name and its row is left out of phase 2.
    std::vector<bool> moved(static_cast<std::size_t>(rows), false);
    QStringList failed;
    for (int r = 0; r < rows; ++r) {
        const QTreeWidgetItem* item = Row(r);
        const QString folder = item->text(5);
        moved[static_cast<std::size_t>(r)] =
            RenameNoReplace(folder + item->text(0), folder + TempPrefix() + item->text(0)) == 0;
        if (!moved[static_cast<std::size_t>(r)]) {
            failed.append(folder + item->text(0));
        }
    }

    // Phase 2: numbers from 1 upward; a number taken by any file (listed
    // files already renamed, or files outside the list) is skipped.
    qint64 counter = 1;
    const QString base = QFileInfo(edtBaseFileName->text()).completeBaseName();
    const int digits = sedtPrec->value();
    for (int r = 0; r < rows; ++r) {
        if (!moved[static_cast<std::size_t>(r)]) {
            continue;
        }
        QTreeWidgetItem* item = Row(r);
        const QString folder = item->text(5);
        const QString caption = item->text(0);
        const auto dot = caption.lastIndexOf(QLatin1Char('.'));
        const QString ext = dot >= 0 ? caption.mid(dot) : QString();
        const QString suffix = (ext.toUpper() == QStringLiteral(".WAV") && item->text(7).toLongLong() >= kWaveLimit)
                                   ? QStringLiteral("_tooLONG")
                                   : QString();
        auto stemFor = [&](qint64 n) {
            return folder + base + QStringLiteral("%1").arg(n, digits, 10, QLatin1Char('0'));
        };
        QString stem = stemFor(counter);
        // The exact target counts as taken too: on a case-sensitive file
        // system "Track00002.WAV" is not found as "Track00002.wav".
        while (Exists(stem + QStringLiteral(".wav")) || Exists(stem + QStringLiteral("_tooLONG.wav")) ||
               Exists(stem + QStringLiteral(".raw")) || Exists(stem + suffix + ext)) {
            ++counter;
            stem = stemFor(counter);
        }
        const QString target = stem + suffix + ext;
        const QString parked = folder + TempPrefix() + caption;
        if (RenameNoReplace(parked, target) == 0) {
            item->setText(0, QFileInfo(target).fileName());
        } else {
            // Back to its old name rather than left under the temporary one.
            (void)RenameNoReplace(parked, folder + caption);
            failed.append(folder + caption);
        }
    }
    if (!failed.isEmpty()) {
        ReportError(
            (failed.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nの名前を変更できませんでした。")).toStdString(),
            "Error");
    }
}

void TfrmWaveInSample::btnCheckFileClick() {
    for (int r = 0; r < RowCount(); ++r) {
        (void)RefreshListItem(r);
    }
}

void TfrmWaveInSample::ConnectFileCommands() {
    connect(btnDelete, &QToolButton::clicked, this, &TfrmWaveInSample::btnDeleteClick);
    connect(btnRename, &QToolButton::clicked, this, &TfrmWaveInSample::btnRenameClick);
    connect(btnCheckFile, &QToolButton::clicked, this, &TfrmWaveInSample::btnCheckFileClick);
}

}  // namespace zolvane2
