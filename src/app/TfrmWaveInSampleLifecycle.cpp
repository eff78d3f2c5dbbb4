// Start and end of the window: creation order, first show, close, the command
// line, the browse button of the base file name, help and the about box.
#include <unistd.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TPaintBox.h"
#include "app/TShellAboutDialog.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/NotifyWindow.h"

namespace zolvane2 {

namespace {

bool FolderWritable(const QString& folder) {
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

// The help relative to the program: the program was installed (even by root,
// who can write to its folder) and must keep its settings and recordings per user.
QString InstalledHelp(const QString& programPath) {
    return QFileInfo(programPath).absolutePath() + QStringLiteral("/" ZOLVANE2_DATA_FROM_BIN "/zolvane2.hlp");
}

bool ProgramFolderIsOurs(const QString& programPath) {
    return !QFileInfo::exists(InstalledHelp(programPath)) && FolderWritable(QFileInfo(programPath).absolutePath());
}

}  // namespace

QString TfrmWaveInSample::DefaultSettingsFile() const {
    // Beside the program as long as it can be written there (an unpacked,
    // portable program); an installed program keeps its settings per user.
    QString beside = programPath_ + QStringLiteral(".ini");
    const QFileInfo besideInfo(beside);
    if (besideInfo.exists() ? besideInfo.isWritable() : ProgramFolderIsOurs(programPath_)) {
        return beside;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Zolvane2/Zolvane2.ini");
}

QString TfrmWaveInSample::DefaultBaseFileName() const {
    const QString programFolder = QFileInfo(programPath_).absolutePath();
    if (ProgramFolderIsOurs(programPath_)) {
        return programFolder + QStringLiteral("/Track.wav");
    }
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || !QFileInfo(music).isDir()) {
        music = QDir::homePath();
    }
    return music + QStringLiteral("/Track.wav");
}

void TfrmWaveInSample::FormCreate() {
    sortDirection_.fill(1);

    waveInMessages_ = TWaveInMessages::Register();
    if (MainThreadDispatcher* dispatcher = GetMainThreadDispatcher()) {
        notifyWindow_ = std::make_unique<DispatchedNotifyWindow>(
            *dispatcher, [this](const Message& message) { HandleMessage(message); });
    }

    AcceptSeek = true;
    CreateCaptureThread();
    CreateDeviceWatch();
    RefreshDeviceList();

    // The level display's scale follows the waveform box as laid out.
    layout()->activate();
    levelNumbers_.Place(imgWave->height());

    dragging_ = false;
    jobs_.Finish();
    try {
        LoadSettings(QString());
    } catch (const Error& e) {
        ShowStandardError(e.what());
    }
    levelNumbers_.Reset(0);
    levelNumbers_.Reset(1);
    ApplyCommandLine(options_.arguments);
    RestoreSchedule();
    UpdateCommands();
}

void TfrmWaveInSample::ApplyCommandLine(const QStringList& arguments) {
    // Only the first two arguments count, each compared whole after upper-casing.
    for (qsizetype i = 0; i < std::min<qsizetype>(2, arguments.size()); ++i) {
        const QString argument = arguments.at(i).toUpper();
        if (argument == QStringLiteral("/AUTOSTART")) {
            autoStart_ = true;
        } else if (argument == QStringLiteral("/AUTOQUIT")) {
            btnExitApps->setChecked(true);
            autoQuit_ = true;
        }
    }
}

void TfrmWaveInSample::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmWaveInSample::FormShow() {
    if (autoStart_) {
        autoStart_ = false;
        StartRecording();
    }
}

void TfrmWaveInSample::closeEvent(QCloseEvent* event) {
    // A recording is not ended by a stray click: the user is asked, except
    // in an unattended run (/AUTOQUIT) or when the session ends.
    if (RecordingRunning() && !autoQuit_ && !closeWithoutQuestion_ && !destroyed_ &&
        !Dialogs().AskYesNo(this, QStringLiteral("Zolvane2"),
                            QStringLiteral("録音中です。録音を終了して閉じますか?"))) {
        event->ignore();
        return;
    }
    FormDestroy();
    event->accept();
}

void TfrmWaveInSample::CloseWithoutQuestion() {
    closeWithoutQuestion_ = true;
    close();
}

void TfrmWaveInSample::FormDestroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    deviceWatch_.reset();
    // What still runs is ended and waited for before the settings are
    // written, so no worker touches the window or its files afterwards.
    StopRunningWork();
    QuitCaptureThread();
    try {
        SaveSettings(QString());
    } catch (const Error& e) {
        ShowStandardError(e.what());
    }
}

void TfrmWaveInSample::btnRefFileClick() {
    const QString current = edtBaseFileName->text();
    WindowDialogs::FileRequest request;
    request.filter = QStringLiteral("Windows Wave (*.wav);;RAW data (*.raw)");
    request.filterIndex = QFileInfo(current).suffix().toLower() == QStringLiteral("raw") ? 1 : 0;
    request.defaultSuffix = QStringLiteral("wav");
    request.initialPath = current;
    request.confirmOverwrite = false;
    const auto chosen = Dialogs().SaveFile(this, request);
    if (!chosen) {
        return;
    }
    edtBaseFileName->setText(*chosen);
    cbxRAWSave->setChecked(QFileInfo(*chosen).suffix().toLower() == QStringLiteral("raw"));
}

void TfrmWaveInSample::btnHelpClick() {
    ShowHelpContext(1);
}

QString TfrmWaveInSample::HelpFile() const {
    QString beside = programPath_ + QStringLiteral(".hlp");
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    const QString installed[] = {
        InstalledHelp(programPath_),
        QStringLiteral(ZOLVANE2_DATA_DIR "/zolvane2.hlp"),
    };
    for (const QString& candidate : installed) {
        if (QFileInfo::exists(candidate)) {
            return QDir::cleanPath(candidate);
        }
    }
    return beside;
}

void TfrmWaveInSample::ShowHelpContext(int context) {
    Dialogs().ShowHelp(this, HelpFile(), context);
}

void TfrmWaveInSample::SystemCommand(int command) {
    if (command == kAboutCommand) {
        ShellAboutDialog1->Execute();
    }
}

bool TfrmWaveInSample::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnHelp && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool altDown = key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier) != 0;
        if (altDown || key->key() == Qt::Key_Menu || key->key() == Qt::Key_F4) {
            btnHelp->showMenu();
            return true;
        }
    }
    if (event->type() == QEvent::Hide && cbWaveInDeviceName != nullptr && watched == cbWaveInDeviceName->view()) {
        // The device list closed: a change that waited for it shows now.
        QMetaObject::invokeMethod(
            this, [this] { RefreshChangedDevices(); }, Qt::QueuedConnection);
    }
    if (watched == lblClip && event->type() == QEvent::MouseButtonPress) {
        lblClipClick();
        return true;
    }
    if (lvResult != nullptr && watched == lvResult->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            lvResultMouseDown(mouse->button(), mouse->position().toPoint());
        } else if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            lvResultMouseMove(mouse->buttons(), mouse->position().toPoint());
            // A move with a button held drags the highlighted row; it must not
            // move the highlight to the row under the pointer first.
            if ((mouse->buttons() & (Qt::LeftButton | Qt::RightButton)) != 0) {
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmWaveInSample::ConnectHelpAndFileButtons() {
    connect(btnHelp, &QToolButton::clicked, this, &TfrmWaveInSample::btnHelpClick);
    connect(btnRefFile, &QPushButton::clicked, this, &TfrmWaveInSample::btnRefFileClick);
    // F1 opens the help at the context of the control that has the focus.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] {
        int context = 0;
        for (QWidget* w = focusWidget(); w != nullptr && context == 0; w = w->parentWidget()) {
            context = w->property("HelpContext").toInt();
        }
        ShowHelpContext(context > 0 ? context : 1);
    });
}

}  // namespace zolvane2
