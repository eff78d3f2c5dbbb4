#include "app/TfrmWaveInSample.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/QtWindowDialogs.h"
#include "app/TDropFileSource.h"
#include "app/TRadioGroup.h"
#include "app/TShellAboutDialog.h"
#include "app/TSingleLineValidator.h"

namespace zolvane2 {

TfrmWaveInSample::TfrmWaveInSample(TWindowOptions options, QWidget* parent)
    : QWidget(parent), options_(std::move(options)) {
    setObjectName(QStringLiteral("frmWaveInSample"));
    programPath_ = options_.programPath.isEmpty() ? QCoreApplication::applicationFilePath() : options_.programPath;
    if (options_.dialogs == nullptr) {
        ownDialogs_ = std::make_unique<QtWindowDialogs>();
    }
    ShellAboutDialog1 = std::make_unique<TShellAboutDialog>(this, Dialogs());
    DropFileSource1 = std::make_unique<TDropFileSource>();
    setWindowTitle(QStringLiteral("Zolvane2"));
    setAcceptDrops(true);
    CreateControls();
    KeepBoxesSingleLine();
    ConnectControls();
    AssignHelpContexts();
    AssignToolTips();
    FormCreate();
}

TfrmWaveInSample::~TfrmWaveInSample() {
    FormDestroy();
}

WindowDialogs& TfrmWaveInSample::Dialogs() const {
    return options_.dialogs != nullptr ? *options_.dialogs : *ownDialogs_;
}

void TfrmWaveInSample::SetDropFileSource(TDropFileSource* source) {
    DropFileSource1.reset(source);
}

QToolButton* TfrmWaveInSample::ToolButton(const char* name, const char* themeIcon, int fallbackIcon, const char* hint,
                                          QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    const QIcon fallback = style()->standardIcon(static_cast<QStyle::StandardPixmap>(fallbackIcon));
    button->setIcon(QIcon::fromTheme(QString::fromUtf8(themeIcon), fallback));
    button->setToolTip(QString::fromUtf8(hint));
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QSpinBox* TfrmWaveInSample::SpinEdit(const char* name, int minimum, int maximum, int value, int width,
                                     QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromUtf8(name));
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setAlignment(Qt::AlignRight);
    spin->setFixedWidth(width);
    // A turned wheel over a page that scrolls must not change a setting.
    spin->setFocusPolicy(Qt::StrongFocus);
    return spin;
}

void TfrmWaveInSample::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(false);
    layout->addWidget(PageControl1, 1);

    tmrPause = new QTimer(this);
    tmrPause->setObjectName(QStringLiteral("tmrPause"));
    tmrPause->setInterval(500);
    tmrTrackTime = new QTimer(this);
    tmrTrackTime->setObjectName(QStringLiteral("tmrTrackTime"));
    // A tenth of a second: the time shown trails the track or the playback by
    // no more than that, where a one-second tick let it lag by a whole second.
    tmrTrackTime->setInterval(100);
    // The playback's own clock: the end of a recorded track does not stop it,
    // nor does the end of a playback stop the recording's.
    tmrPlayTime = new QTimer(this);
    tmrPlayTime->setObjectName(QStringLiteral("tmrPlayTime"));
    tmrPlayTime->setInterval(tmrTrackTime->interval());
    tmrRecordingTime = new QTimer(this);
    tmrRecordingTime->setObjectName(QStringLiteral("tmrRecordingTime"));
    tmrRecordingTime->setInterval(1000);
    tmrIntroPlay = new QTimer(this);
    tmrIntroPlay->setObjectName(QStringLiteral("tmrIntroPlay"));
    tmrIntroPlay->setInterval(20000);

    CreateMainPage();
    CreateSettingPage();
    CreateCutPage();
    CreateReviewPage();
    PageControl1->setCurrentWidget(tsMain);

    CreateButtonBar();
    layout->addWidget(pnlCtrl);
    resize(423, 463);
}

void TfrmWaveInSample::CreateButtonBar() {
    pnlCtrl = new QFrame(this);
    pnlCtrl->setObjectName(QStringLiteral("pnlCtrl"));
    pnlCtrl->setFrameShape(QFrame::StyledPanel);
    pnlCtrl->setMinimumHeight(65);
    auto* row = new QHBoxLayout(pnlCtrl);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(4);

    auto bigButton = [this](QPushButton* b, const char* name, const char* caption, const char* hint, const char* icon,
                            int fallback) {
        b->setObjectName(QString::fromUtf8(name));
        b->setText(QString::fromUtf8(caption));
        b->setToolTip(QString::fromUtf8(hint));
        b->setIcon(QIcon::fromTheme(QString::fromUtf8(icon),
                                    style()->standardIcon(static_cast<QStyle::StandardPixmap>(fallback))));
        b->setMinimumHeight(44);
        // The bar fits the default width; the buttons give room before the bar grows.
        b->setMinimumWidth(56);
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    };

    sbAutoID = new QToolButton(pnlCtrl);
    sbAutoID->setObjectName(QStringLiteral("sbAutoID"));
    sbAutoID->setText(QStringLiteral("Auto"));
    sbAutoID->setToolTip(QStringLiteral("録音時に自動的に切り出します"));
    sbAutoID->setCheckable(true);
    sbAutoID->setChecked(true);
    sbAutoID->setMinimumSize(52, 44);
    sbAutoID->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    row->addWidget(sbAutoID);

    btnStop = new QPushButton(pnlCtrl);
    bigButton(btnStop, "btnStop", "停止", "録音を終了します", "media-playback-stop", QStyle::SP_MediaStop);
    row->addWidget(btnStop);

    btnRecord = new QPushButton(pnlCtrl);
    bigButton(btnRecord, "btnRecord", "録音", "録音を開始します", "media-record", QStyle::SP_DialogYesButton);
    row->addWidget(btnRecord);

    btnNextTrack = new QPushButton(pnlCtrl);
    bigButton(btnNextTrack, "btnNextTrack", "次File", "次のファイルを作成します", "media-skip-forward",
              QStyle::SP_MediaSkipForward);
    row->addWidget(btnNextTrack);

    ProgressBar1 = new QProgressBar(pnlCtrl);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMinimumWidth(50);
    row->addWidget(ProgressBar1, 1);

    // Help opens the help on a click; its menu holds the about item last,
    // after a separator, and opens with the arrow, Alt+Down or the menu key.
    btnHelp = new QToolButton(pnlCtrl);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setText(QStringLiteral("Help"));
    btnHelp->setToolTip(QStringLiteral("ヘルプを表示します (Alt+↓ でメニュー)"));
    btnHelp->setIcon(
        QIcon::fromTheme(QStringLiteral("help-contents"), style()->standardIcon(QStyle::SP_DialogHelpButton)));
    btnHelp->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnHelp->setPopupMode(QToolButton::MenuButtonPopup);
    btnHelp->setMinimumHeight(44);
    btnHelp->setMinimumWidth(70);
    btnHelp->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    btnHelp->setFocusPolicy(Qt::StrongFocus);
    HelpMenu = new QMenu(btnHelp);
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    QAction* contents = HelpMenu->addAction(QStringLiteral("ヘルプの目次(&H)"));
    connect(contents, &QAction::triggered, this, [this] { ShowHelpContext(1); });
    HelpMenu->addSeparator();
    QAction* about = HelpMenu->addAction(QStringLiteral("バージョン情報..."));
    about->setObjectName(QStringLiteral("actAbout"));
    about->setData(kAboutCommand);
    connect(HelpMenu, &QMenu::triggered, this, [this](QAction* action) {
        if (action->data().isValid()) {
            SystemCommand(action->data().toInt());
        }
    });
    btnHelp->setMenu(HelpMenu);
    btnHelp->installEventFilter(this);
    row->addWidget(btnHelp);
}

void TfrmWaveInSample::KeepBoxesSingleLine() {
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        // Files dropped on a box go to the window, which lists them, instead
        // of being typed into the box as text.
        edit->setAcceptDrops(false);
        if (qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) == nullptr) {
            edit->setValidator(new TSingleLineValidator(edit));
        }
    }
    for (QAbstractSpinBox* spin : findChildren<QAbstractSpinBox*>()) {
        spin->setAcceptDrops(false);
    }
}

void TfrmWaveInSample::ConnectControls() {
    // Each concern connects its own controls, beside its handlers.
    ConnectRecordingControls();
    ConnectListCommands();
    ConnectFileCommands();
    ConnectJobCommands();
    ConnectPlaybackControls();
    ConnectLevelControls();
    ConnectEstimate();
    ConnectCutModes();
    ConnectSettingButtons();
    ConnectHelpAndFileButtons();
    ConnectDeskControls();
    ConnectKeys();
}

void TfrmWaveInSample::AssignHelpContexts() {
    const std::pair<QWidget*, int> contexts[] = {
        {cbWaveInDeviceName, 4},
        {rgRecMode, 5},
        {cbSamplingFreq, 6},
        {sedtRecordingTimeH, 7},
        {sedtRecordingTimeM, 7},
        {sedtRecordingTimeS, 7},
        {cbxAbsoluteRecordingTime, 8},
        {btnNextTrack, 15},
        {edtBaseFileName, 17},
        {btnRefFile, 17},
        {sedtPrec, 17},
        {cbxDisplayWaveForm, 18},
        {cbxRAWSave, 19},
        {cbxFLACSave, 27},
        {rbtnGaps, 28},
        {sedtGapSensitivity, 28},
        {sedtMinimumGap, 28},
        {sedtTrackCount, 28},
        {btnRecord, 20},
        {btnStop, 21},
        {btnHelp, 24},
    };
    for (const auto& [widget, context] : contexts) {
        widget->setProperty("HelpContext", context);
    }
}

}  // namespace zolvane2
