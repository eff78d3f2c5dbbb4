// Layout of the page "録音表示": the tool rows, the status panel, the level
// display and the result list.
#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/TPaintBox.h"
#include "app/TPeakMeter.h"
#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

namespace {

QFrame* Separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// The status panel's texts: bold Arial in olive, at fixed pixel heights.
void StatusFont(QLabel* label, int pixels, const QColor& colour) {
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(pixels);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// Hidden status items keep their room so the panel does not jump when they
// blink or appear.
void KeepRoomWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

}  // namespace

void TfrmWaveInSample::CreateMainPage() {
    tsMain = new QWidget(PageControl1);
    tsMain->setObjectName(QStringLiteral("tsMain"));
    PageControl1->addTab(tsMain, QStringLiteral("録音表示"));
    auto* page = new QVBoxLayout(tsMain);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(2);

    pnlDisplay = new QFrame(tsMain);
    pnlDisplay->setObjectName(QStringLiteral("pnlDisplay"));
    pnlDisplay->setFixedHeight(137);
    auto* display = new QVBoxLayout(pnlDisplay);
    display->setContentsMargins(0, 0, 0, 0);
    display->setSpacing(1);
    CreateListTools(pnlDisplay);
    auto* lower = new QHBoxLayout;
    lower->setSpacing(4);
    CreateStatusPanel(pnlDisplay);
    lower->addWidget(pnlStatus);
    CreateLevelDisplay(pnlDisplay);
    // The views and, under them, the peak meter.
    auto* meterSide = new QVBoxLayout;
    meterSide->setSpacing(1);
    auto* waveRow = new QHBoxLayout;
    waveRow->setSpacing(4);
    waveRow->addWidget(PageControlWave, 1);
    auto* views = new QVBoxLayout;
    views->setSpacing(0);
    views->addWidget(btnShowWave);
    views->addWidget(btnShowData);
    views->addStretch(1);
    waveRow->addLayout(views);
    meterSide->addLayout(waveRow, 1);
    meterSide->addLayout(CreatePeakMeter(pnlDisplay));
    lower->addLayout(meterSide, 1);
    display->addLayout(lower, 1);
    page->addWidget(pnlDisplay);

    CreateResultList();
    page->addWidget(lvResult, 1);
    CreateRunNote(tsMain, page);
}

void TfrmWaveInSample::CreateListTools(QWidget* parent) {
    auto* files = new QHBoxLayout;
    files->setSpacing(0);
    btnOpenWave =
        ToolButton("btnOpenWave", "document-open", QStyle::SP_DialogOpenButton, "WAVEファイルを開きます", parent);
    btnOpenList = ToolButton("btnOpenList", "folder-open", QStyle::SP_DirOpenIcon, "リストを開きます", parent);
    btnSave = ToolButton("btnSave", "document-save", QStyle::SP_DialogSaveButton, "リストを保存します", parent);
    btnCopy = ToolButton("btnCopy", "edit-copy", QStyle::SP_FileDialogContentsView,
                         "リストをクリップボードにコピーします", parent);
    btnCheck = ToolButton("btnCheck", "edit-select-all", QStyle::SP_DialogApplyButton,
                          "リストの項目をすべてチェックします", parent);
    btnUncheck = ToolButton("btnUncheck", "edit-select-none", QStyle::SP_DialogCancelButton,
                            "リストの項目のチェックをすべて外します", parent);
    btnInvertCheck = ToolButton("btnInvertCheck", "edit-select-invert", QStyle::SP_BrowserReload,
                                "リストの項目のチェックを反転します", parent);
    btnRemove = ToolButton("btnRemove", "list-remove", QStyle::SP_LineEditClearButton,
                           "チェックしたファイルをリストから消去します", parent);
    btnClear = ToolButton("btnClear", "edit-clear", QStyle::SP_DialogResetButton, "リストをすべてクリアします", parent);
    btnDelete =
        ToolButton("btnDelete", "edit-delete", QStyle::SP_TrashIcon, "チェックしたファイルを削除します", parent);
    btnRename = ToolButton("btnRename", "format-list-ordered", QStyle::SP_FileDialogListView,
                           "ファイル名の連番を付け直します", parent);
    btnCheckFile = ToolButton("btnCheckFile", "view-refresh", QStyle::SP_FileDialogInfoView,
                              "ファイルのプロパティをチェックします", parent);
    btnDivide = ToolButton("btnDivide", "edit-cut", QStyle::SP_ToolBarHorizontalExtensionButton,
                           "チェックしたファイルを再分割します", parent);
    btnCombine = ToolButton("btnCombine", "insert-link", QStyle::SP_ToolBarVerticalExtensionButton,
                            "チェックしたファイルを結合します", parent);
    btnCancel = ToolButton("btnCancel", "process-stop", QStyle::SP_BrowserStop, "結合/切り出しを中止します", parent);
    btnReview = ToolButton("btnReview", "view-media-visualization", QStyle::SP_FileDialogContentsView,
                           "選んだファイルを「区切り確認」ページで開きます", parent);

    const std::initializer_list<std::initializer_list<QToolButton*>> groups = {
        {btnOpenWave, btnOpenList, btnSave, btnCopy},
        {btnCheck, btnUncheck, btnInvertCheck, btnRemove, btnClear},
        {btnDelete, btnRename, btnCheckFile},
        {btnDivide, btnCombine, btnCancel, btnReview},
    };
    bool first = true;
    for (const auto& group : groups) {
        if (!first) {
            files->addWidget(Separator(parent));
        }
        first = false;
        for (QToolButton* b : group) {
            files->addWidget(b);
        }
    }
    files->addStretch(1);
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(files);

    auto* play = new QHBoxLayout;
    play->setSpacing(0);
    btnPlay = ToolButton("btnPlay", "media-playback-start", QStyle::SP_MediaPlay,
                         "チェックしたファイルを再生します (チェックがなければ選んでいる行を。Space)", parent);
    btnStopPlay = ToolButton("btnStopPlay", "media-playback-stop", QStyle::SP_MediaStop, "再生を停止します", parent);
    btnPrev = ToolButton("btnPrev", "media-skip-backward", QStyle::SP_MediaSkipBackward, "前の曲を再生", parent);
    btnNext = ToolButton("btnNext", "media-skip-forward", QStyle::SP_MediaSkipForward, "次の曲を再生", parent);
    btnIntro = ToolButton("btnIntro", "media-seek-forward", QStyle::SP_MediaSeekForward, "イントロ再生", parent);
    btnIntro->setCheckable(true);
    for (QToolButton* b : {btnPlay, btnStopPlay, btnPrev, btnNext}) {
        play->addWidget(b);
    }
    play->addWidget(btnIntro);
    play->addWidget(Separator(parent));
    btnExitApps = ToolButton("btnExitApps", "system-shutdown", QStyle::SP_TitleBarCloseButton,
                             "録音/再生終了後、このソフトを終了します", parent);
    btnExitApps->setCheckable(true);
    play->addWidget(btnExitApps);
    CreateDeskControls(play, parent);
    play->addSpacing(6);
    tbrProgress = new QSlider(Qt::Horizontal, parent);
    tbrProgress->setObjectName(QStringLiteral("tbrProgress"));
    tbrProgress->setRange(0, 100);
    tbrProgress->setValue(0);
    tbrProgress->setTickPosition(QSlider::NoTicks);
    play->addWidget(tbrProgress, 1);
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(play);
}

void TfrmWaveInSample::CreateStatusPanel(QWidget* parent) {
    pnlStatus = new QFrame(parent);
    pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    pnlStatus->setFrameShape(QFrame::StyledPanel);
    pnlStatus->setFrameShadow(QFrame::Sunken);
    pnlStatus->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* grid = new QGridLayout(pnlStatus);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);

    const QColor olive(128, 128, 0);
    lblTrackNoDisp = new QLabel(QStringLiteral("Track No."), pnlStatus);
    lblTrackNoDisp->setObjectName(QStringLiteral("lblTrackNoDisp"));
    StatusFont(lblTrackNoDisp, 11, olive);
    lblTrackNo = new QLabel(QStringLiteral("00000"), pnlStatus);
    lblTrackNo->setObjectName(QStringLiteral("lblTrackNo"));
    StatusFont(lblTrackNo, 16, olive);
    lblRecording = new QLabel(QStringLiteral(" REC "), pnlStatus);
    lblRecording->setObjectName(QStringLiteral("lblRecording"));
    StatusFont(lblRecording, 13, Qt::black);
    lblRecording->setFrameShape(QFrame::Box);
    KeepRoomWhenHidden(lblRecording);
    lblRecording->hide();

    auto icon = [this](const char* name, const char* theme, QStyle::StandardPixmap fallback) {
        auto* label = new QLabel(pnlStatus);
        label->setObjectName(QString::fromUtf8(name));
        label->setPixmap(QIcon::fromTheme(QString::fromUtf8(theme), style()->standardIcon(fallback)).pixmap(16, 16));
        KeepRoomWhenHidden(label);
        label->hide();
        return label;
    };
    imgPause = icon("imgPause", "media-playback-pause", QStyle::SP_MediaPause);
    imgPlay = icon("imgPlay", "media-playback-start", QStyle::SP_MediaPlay);

    lblTrackTime = new QLabel(QStringLiteral("00000h00m00s"), pnlStatus);
    lblTrackTime->setObjectName(QStringLiteral("lblTrackTime"));
    StatusFont(lblTrackTime, 21, olive);
    KeepRoomWhenHidden(lblTrackTime);
    // Audio lost while recording shows here at once, in the warning colour.
    lblDropouts = new QLabel(pnlStatus);
    lblDropouts->setObjectName(QStringLiteral("lblDropouts"));
    StatusFont(lblDropouts, 11, QColor(204, 0, 0));
    lblDropouts->hide();

    auto* top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(lblTrackNoDisp, 0, Qt::AlignBottom);
    top->addWidget(lblTrackNo, 0, Qt::AlignBottom);
    top->addStretch(1);
    top->addWidget(lblRecording, 0, Qt::AlignVCenter);
    grid->addLayout(top, 0, 0, 1, 2);
    auto* images = new QHBoxLayout;
    images->setSpacing(2);
    images->addWidget(imgPause);
    images->addWidget(imgPlay);
    images->addStretch(1);
    images->addWidget(lblDropouts);
    grid->addLayout(images, 1, 0, 1, 2);
    grid->addWidget(lblTrackTime, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
}

QLayout* TfrmWaveInSample::CreatePeakMeter(QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    QFont small = font();
    small.setPixelSize(9);

    lblClip = new QLabel(QStringLiteral("CLIP"), parent);
    lblClip->setObjectName(QStringLiteral("lblClip"));
    lblClip->setFont(small);
    lblClip->setAlignment(Qt::AlignCenter);
    lblClip->setFrameShape(QFrame::Box);
    lblClip->setAutoFillBackground(true);
    lblClip->setFixedHeight(12);
    lblClip->setToolTip(
        QStringLiteral("音が最大レベルに達すると赤く点灯します。クリックすると消えます"
                       "(次の録音・再生の開始でも消えます)"));
    lblClip->setCursor(Qt::PointingHandCursor);
    lblClip->installEventFilter(this);
    row->addWidget(lblClip);

    imgPeakMeter = new TPeakMeter(peakMeter_, parent);
    imgPeakMeter->setObjectName(QStringLiteral("imgPeakMeter"));
    imgPeakMeter->setToolTip(
        QStringLiteral("ピークレベル (dBFS、左端 -60 dB〜右端 0 dB、10 dB ごとの目盛り、"
                       "チャンネルごとの棒)。白い線は直前 2 秒の最大、赤い線はトリガーレベルです"));
    row->addWidget(imgPeakMeter, 1);

    lblQuiet = new QLabel(parent);
    lblQuiet->setObjectName(QStringLiteral("lblQuiet"));
    lblQuiet->setFont(small);
    lblQuiet->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblQuiet->setFixedHeight(12);
    lblQuiet->setMinimumWidth(QFontMetrics(small).horizontalAdvance(QStringLiteral("静 -100dB")));
    lblQuiet->setToolTip(
        QStringLiteral("静かなところのレベル: 直前 10 秒でいちばん小さかったピークです。"
                       "トリガーレベルはこれより上に設定します"));
    row->addWidget(lblQuiet);
    return row;
}

void TfrmWaveInSample::CreateLevelDisplay(QWidget* parent) {
    PageControlWave = new QStackedWidget(parent);
    PageControlWave->setObjectName(QStringLiteral("PageControlWave"));

    TabSheetWave = new QWidget(PageControlWave);
    TabSheetWave->setObjectName(QStringLiteral("TabSheetWave"));
    auto* waveLayout = new QVBoxLayout(TabSheetWave);
    waveLayout->setContentsMargins(0, 0, 0, 0);
    pnlWave = new QFrame(TabSheetWave);
    pnlWave->setObjectName(QStringLiteral("pnlWave"));
    pnlWave->setFrameShape(QFrame::StyledPanel);
    pnlWave->setFrameShadow(QFrame::Sunken);
    auto* boxLayout = new QVBoxLayout(pnlWave);
    boxLayout->setContentsMargins(1, 1, 1, 1);
    imgWave = new TPaintBox(pnlWave);
    imgWave->setObjectName(QStringLiteral("imgWave"));
    imgWave->setToolTip(QStringLiteral("入力波形を表示します"));
    imgWave->setMinimumSize(60, 40);
    boxLayout->addWidget(imgWave);
    waveLayout->addWidget(pnlWave);
    PageControlWave->addWidget(TabSheetWave);

    TabSheetValue = new QWidget(PageControlWave);
    TabSheetValue->setObjectName(QStringLiteral("TabSheetValue"));
    auto* grid = new QGridLayout(TabSheetValue);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    auto label = [this](const char* name, const char* text, Qt::Alignment align) {
        auto* l = new QLabel(QString::fromUtf8(text), TabSheetValue);
        l->setObjectName(QString::fromUtf8(name));
        l->setAlignment(align | Qt::AlignVCenter);
        return l;
    };
    lblMax = label("lblMax", "Max", Qt::AlignRight);
    lblAvg = label("lblAvg", "Avg", Qt::AlignRight);
    lblch0 = label("lblch0", "L", Qt::AlignLeft);
    lblch1 = label("lblch1", "R", Qt::AlignLeft);
    lblMax0 = label("lblMax0", "0", Qt::AlignRight);
    lblMax1 = label("lblMax1", "0", Qt::AlignRight);
    lblAvg0 = label("lblAvg0", "0", Qt::AlignRight);
    lblAvg1 = label("lblAvg1", "0", Qt::AlignRight);
    for (QLabel* value : {lblMax0, lblMax1, lblAvg0, lblAvg1}) {
        value->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-32768")));
    }
    btnReset0 = new QPushButton(QStringLiteral("Reset"), TabSheetValue);
    btnReset0->setObjectName(QStringLiteral("btnReset0"));
    btnReset1 = new QPushButton(QStringLiteral("Reset"), TabSheetValue);
    btnReset1->setObjectName(QStringLiteral("btnReset1"));
    for (QPushButton* b : {btnReset0, btnReset1}) {
        b->setMinimumWidth(44);
    }
    grid->addWidget(lblMax, 0, 1);
    grid->addWidget(lblAvg, 0, 2);
    grid->addWidget(lblch0, 1, 0);
    grid->addWidget(lblMax0, 1, 1);
    grid->addWidget(lblAvg0, 1, 2);
    grid->addWidget(btnReset0, 1, 3);
    grid->addWidget(lblch1, 2, 0);
    grid->addWidget(lblMax1, 2, 1);
    grid->addWidget(lblAvg1, 2, 2);
    grid->addWidget(btnReset1, 2, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(3, 1);
    PageControlWave->addWidget(TabSheetValue);
    PageControlWave->setCurrentIndex(0);

    btnShowWave = ToolButton("btnShowWave", "view-statistics", QStyle::SP_ComputerIcon, "音を波形表示します", parent);
    btnShowWave->setText(QStringLiteral("波形"));
    btnShowData = ToolButton("btnShowData", "accessories-calculator", QStyle::SP_FileDialogDetailedView,
                             "音を数値で表示します", parent);
    btnShowData->setText(QStringLiteral("数値"));
    auto* views = new QButtonGroup(this);
    views->setObjectName(QStringLiteral("grpShowWave"));
    views->setExclusive(true);
    for (QToolButton* b : {btnShowWave, btnShowData}) {
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setCheckable(true);
        views->addButton(b);
    }
    btnShowWave->setChecked(true);
}

}  // namespace zolvane2
