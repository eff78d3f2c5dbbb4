// The result list: rows read from track files, the check-mark commands,
// list files, the clipboard, sorting and renaming a file in place.
#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QComboBox>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/FileRename.h"
#include "app/TRadioGroup.h"
#include "app/TSingleLineValidator.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "trackfile/TLongStream.h"
#include "trackfile/TrackFileReader.h"

namespace zolvane2 {

namespace {

// Columns of the view: the caption, then sub-items 0 to 6; sub-items 5 and 6
// (data offset and size) are kept in hidden columns.
constexpr int kColumns = 8;
constexpr int kVisibleColumns = 6;

// Only the file name is edited in place, and the edit does not change the
// caption by itself: the window renames the file first and sets the caption
// when that worked. The rename runs after the editor has closed, so a message
// about a failed rename cannot disturb the editor.
class TResultNameDelegate final : public QStyledItemDelegate {
public:
    TResultNameDelegate(TfrmWaveInSample* window, QObject* parent) : QStyledItemDelegate(parent), window_(window) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() != 0) {
            return nullptr;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setValidator(new TSingleLineValidator(line));
            line->setAcceptDrops(false);
        }
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* /*model*/, const QModelIndex& index) const override {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr) {
            return;
        }
        const QPersistentModelIndex row(index);
        const QString text = line->text();
        QPointer<TfrmWaveInSample> window(window_);
        QMetaObject::invokeMethod(
            window_,
            [window, row, text] {
                if (!window.isNull() && row.isValid()) {
                    window->lvResultEdited(row.row(), text);
                }
            },
            Qt::QueuedConnection);
    }

private:
    TfrmWaveInSample* window_;
};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

void TfrmWaveInSample::CreateResultList() {
    lvResult = new QTreeWidget(tsMain);
    lvResult->setObjectName(QStringLiteral("lvResult"));
    lvResult->setColumnCount(kColumns);
    lvResult->setHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("日時"), QStringLiteral("長さ"),
                               QStringLiteral("Ch."), QStringLiteral("Freq."), QStringLiteral("場所"),
                               QStringLiteral("Offset"), QStringLiteral("Size")});
    lvResult->setColumnHidden(6, true);
    lvResult->setColumnHidden(7, true);
    const int widths[kVisibleColumns] = {200, 100, 75, 50, 50, 200};
    for (int c = 0; c < kVisibleColumns; ++c) {
        lvResult->setColumnWidth(c, widths[c]);
    }
    lvResult->setRootIsDecorated(false);
    lvResult->setUniformRowHeights(true);
    lvResult->setAllColumnsShowFocus(true);
    lvResult->setSelectionMode(QAbstractItemView::SingleSelection);
    lvResult->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvResult->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    lvResult->setItemDelegate(new TResultNameDelegate(this, lvResult));
    lvResult->setSortingEnabled(false);
    lvResult->header()->setSectionsClickable(true);
    lvResult->header()->setStretchLastSection(false);
    lvResult->viewport()->installEventFilter(this);
}

QTreeWidgetItem* TfrmWaveInSample::Row(int row) const {
    return lvResult->topLevelItem(row);
}

int TfrmWaveInSample::RowCount() const {
    return lvResult->topLevelItemCount();
}

QString TfrmWaveInSample::SubItem(int row, int subItem) const {
    const QTreeWidgetItem* item = Row(row);
    return item != nullptr ? item->text(subItem + 1) : QString();
}

QString TfrmWaveInSample::RowPath(int row) const {
    const QTreeWidgetItem* item = Row(row);
    return item != nullptr ? item->text(5) + item->text(0) : QString();
}

bool TfrmWaveInSample::RowChecked(int row) const {
    const QTreeWidgetItem* item = Row(row);
    return item != nullptr && item->checkState(0) == Qt::Checked;
}

void TfrmWaveInSample::SetRowChecked(int row, bool checked) {
    if (QTreeWidgetItem* item = Row(row)) {
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TfrmWaveInSample::AddFileToList(const QString& path, int row) {
    if (path.isEmpty()) {
        return;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string file = absolute.toStdString();
    std::optional<FileProperties> props;
    try {
        // RAW files take the recording settings; only they need the rate.
        const bool raw = TrackFileReader::IsRawFileName(file);
        const int rate = raw ? SamplingFrequency() : 0;
        props = TrackFileReader::ReadFileProperties(file, rate, rgRecMode->ItemIndex() + 1, GetUserMessages());
    } catch (const Error& e) {
        ShowStandardError(e.what());
        return;
    }
    if (!props) {
        // Another kind of file changes nothing but still refreshes the
        // commands; a missing or rejected one (the reader said why) stops here.
        if (!TrackFileReader::IsTrackFileName(file)) {
            UpdateCommands();
        }
        return;
    }
    const QString rateText = props->raw ? cbSamplingFreq->currentText() : QString::number(props->sampleRate);
    if (row < 0) {
        // Rows that arrive while recording or during a job stay in sight,
        // unless the user has scrolled up to look at others.
        const QScrollBar* bar = lvResult->verticalScrollBar();
        const bool following = bar->value() >= bar->maximum();
        auto* item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(0, Qt::Unchecked);
        item->setText(0, Q(props->fileName));
        item->setText(1, Q(props->dateText));
        item->setText(2, Q(props->lengthText));
        item->setText(3, Q(props->channelText));
        item->setText(4, rateText);
        item->setText(5, Q(props->folder));
        item->setText(6, QString::number(props->dataOffset));
        item->setText(7, QString::number(props->dataSize));
        item->setIcon(0, QFileIconProvider().icon(QFileInfo(absolute)));
        lvResult->addTopLevelItem(item);
        if (following) {
            lvResult->scrollToItem(item);
        }
    } else if (QTreeWidgetItem* item = Row(row)) {
        item->setText(1, Q(props->dateText));
        item->setText(2, Q(props->lengthText));
        item->setText(3, Q(props->channelText));
        item->setText(4, rateText);
        item->setText(7, QString::number(props->dataSize));
        if (!props->raw) {
            item->setText(6, QString::number(props->dataOffset));
        }
    }
    UpdateCommands();
}

bool TfrmWaveInSample::RefreshListItem(int row) {
    const QString path = RowPath(row);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        return false;
    }
    const QString date = Q(TrackFileReader::DateText(static_cast<std::time_t>(info.lastModified().toSecsSinceEpoch())));
    if (date != SubItem(row, 0)) {
        AddFileToList(path, row);
    }
    return true;
}

void TfrmWaveInSample::btnCheckClick(bool check) {
    for (int r = 0; r < RowCount(); ++r) {
        SetRowChecked(r, check);
    }
}

void TfrmWaveInSample::btnInvertCheckClick() {
    for (int r = 0; r < RowCount(); ++r) {
        SetRowChecked(r, !RowChecked(r));
    }
}

void TfrmWaveInSample::btnRemoveClick() {
    for (int r = RowCount() - 1; r >= 0; --r) {
        if (RowChecked(r)) {
            delete lvResult->takeTopLevelItem(r);
        }
    }
    UpdateCommands();
}

void TfrmWaveInSample::btnClearClick() {
    lvResult->clear();
    UpdateCommands();
}

void TfrmWaveInSample::btnOpenWaveClick() {
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("Windows Wave (*.wav *.WAV);;RAW data (*.raw *.RAW);;FLAC (*.flac *.FLAC)");
    request.defaultSuffix = QStringLiteral("wav");
    if (const auto chosen = Dialogs().OpenFile(this, request)) {
        AddFileToList(*chosen, -1);
    }
}

void TfrmWaveInSample::btnOpenListClick() {
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("ファイルリスト (*.txt);;すべてのファイル (*)");
    request.defaultSuffix = QStringLiteral("txt");
    const auto chosen = Dialogs().OpenFile(this, request);
    if (!chosen) {
        return;
    }
    QFile file(*chosen);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowStandardError(UserText(TextId::FileOpen, {chosen->toStdString()}));
        return;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        AddFileToList(line, -1);
    }
}

QString TfrmWaveInSample::ListText() const {
    QString text;
    for (int r = 0; r < RowCount(); ++r) {
        text += RowPath(r) + QStringLiteral("\r\n");
    }
    return text;
}

void TfrmWaveInSample::btnSaveClick() {
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("ファイルリスト (*.txt)");
    request.defaultSuffix = QStringLiteral("txt");
    request.confirmOverwrite = true;
    const auto chosen = Dialogs().SaveFile(this, request);
    if (!chosen) {
        return;
    }
    QFile file(*chosen);
    const QByteArray bytes = ListText().toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ShowStandardError(UserText(TextId::FileCreate, {chosen->toStdString()}));
        return;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        ShowStandardError(UserText(TextId::StreamWrite));
    }
}

void TfrmWaveInSample::btnCopyClick() {
    QApplication::clipboard()->setText(ListText());
}

void TfrmWaveInSample::lvResultColumnClick(int column) {
    if (column < 0 || column >= kVisibleColumns) {
        return;
    }
    lvResult->setUpdatesEnabled(false);
    sortDirection_.at(static_cast<std::size_t>(column)) = -sortDirection_.at(static_cast<std::size_t>(column));
    SortRows(column);
    lvResult->setUpdatesEnabled(true);
}

void TfrmWaveInSample::SortRows(int column) {
    // Texts compare by the user's locale, upper and lower case apart; the
    // column's direction turns the order round.
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const int direction = sortDirection_.at(static_cast<std::size_t>(column));
    QTreeWidgetItem* current = lvResult->currentItem();
    std::vector<QTreeWidgetItem*> items;
    while (lvResult->topLevelItemCount() > 0) {
        items.push_back(lvResult->takeTopLevelItem(0));
    }
    std::stable_sort(items.begin(), items.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return collator.compare(a->text(column), b->text(column)) * direction < 0;
    });
    for (QTreeWidgetItem* item : items) {
        lvResult->addTopLevelItem(item);
    }
    if (current != nullptr) {
        lvResult->setCurrentItem(current);
    }
}

void TfrmWaveInSample::lvResultEdited(int row, const QString& newText) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr || newText == item->text(0)) {
        return;
    }
    const QString folder = item->text(5);
    const QString oldPath = folder + item->text(0);
    const QString newPath = folder + newText;
    if (newText.isEmpty() || newText.contains(QLatin1Char('/')) || newText == QStringLiteral(".") ||
        newText == QStringLiteral("..")) {
        ReportError((newText + QStringLiteral("\r\nはファイル名として使えません。")).toStdString(), "Error");
        return;
    }
    // Never replace a file that has the new name, and never move the file to
    // a made-up name either: the rename fails and the user learns why.
    const int error = RenameNoReplace(oldPath, newPath);
    if (error == 0) {
        item->setText(0, newText);
        return;
    }
    if (error == EEXIST) {
        ReportError(
            (newPath + QStringLiteral("\r\nと同じ名前のファイルが既にあるため、名前を変更できません。")).toStdString(),
            "Error");
    } else {
        ReportError((oldPath + QStringLiteral("\r\nの名前を変更できません。(") +
                     QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(")"))
                        .toStdString(),
                    "Error");
    }
}

void TfrmWaveInSample::ConnectListCommands() {
    connect(btnCheck, &QToolButton::clicked, this, [this] { btnCheckClick(true); });
    connect(btnUncheck, &QToolButton::clicked, this, [this] { btnCheckClick(false); });
    connect(btnInvertCheck, &QToolButton::clicked, this, &TfrmWaveInSample::btnInvertCheckClick);
    connect(btnRemove, &QToolButton::clicked, this, &TfrmWaveInSample::btnRemoveClick);
    connect(btnClear, &QToolButton::clicked, this, &TfrmWaveInSample::btnClearClick);
    connect(btnOpenWave, &QToolButton::clicked, this, &TfrmWaveInSample::btnOpenWaveClick);
    connect(btnOpenList, &QToolButton::clicked, this, &TfrmWaveInSample::btnOpenListClick);
    connect(btnSave, &QToolButton::clicked, this, &TfrmWaveInSample::btnSaveClick);
    connect(btnCopy, &QToolButton::clicked, this, &TfrmWaveInSample::btnCopyClick);
    connect(lvResult->header(), &QHeaderView::sectionClicked, this, &TfrmWaveInSample::lvResultColumnClick);
}

}  // namespace zolvane2
