// The page "区切り確認": its layout, opening a file and reading its levels,
// and the two waveform views.
#include "app/TReviewPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/TWaveView.h"
#include "app/TfrmWaveInSample.h"
#include "jobs/TBackgroundTask.h"
#include "jobs/TMyMemIniFile.h"
#include "platform/ErrorDisplay.h"
#include "platform/FileSystem.h"
#include "play/TWaveOutPlayer.h"
#include "trackfile/FlacStream.h"
#include "trackfile/TLongFileStream.h"
#include "trackfile/TrackAudio.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

// The page's view choices in the settings file, after the window's own
// sections; these are their values on a first start.
constexpr const char* kSection = "tsReview";
constexpr const char* kDbKey = "cbxReviewDb.Checked";
constexpr const char* kFormatKey = "cbReviewFormat.ItemIndex";
constexpr bool kDefaultDb = false;
constexpr int kDefaultFormat = 0;  // WAVE

}  // namespace

struct TReviewPage::LevelResult {
    std::unique_ptr<LevelOverview> overview;
};

TReviewPage::TReviewPage(TfrmWaveInSample& window, WindowDialogs& dialogs, QWidget* parent)
    : QWidget(parent), window_(window), dialogs_(dialogs) {
    setObjectName(QStringLiteral("tsReview"));
    CreateControls();
    ConnectControls();
    AssignHelpContexts();
    PlanChanged();
}

void TReviewPage::LoadChoices(const TMyMemIniFile& ini) {
    cbxReviewDb->setChecked(ini.ReadBool(kSection, kDbKey, kDefaultDb));
    const int format = ini.ReadInteger(kSection, kFormatKey, kDefaultFormat);
    cbReviewFormat->setCurrentIndex(format >= 0 && format < cbReviewFormat->count() ? format : kDefaultFormat);
}

void TReviewPage::SaveChoices(TMyMemIniFile& ini) const {
    ini.WriteBool(kSection, kDbKey, cbxReviewDb->isChecked());
    ini.WriteInteger(kSection, kFormatKey, cbReviewFormat->currentIndex());
}

TReviewPage::~TReviewPage() {
    // The tasks wait for their workers; the player stops its thread.
    levelTask_.reset();
    gapTask_.reset();
    player_.reset();
}

QToolButton* TReviewPage::Tool(const char* name, const char* text, const char* hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setText(QString::fromUtf8(text));
    button->setToolTip(QString::fromUtf8(hint));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

void TReviewPage::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);

    auto* top = new QHBoxLayout;
    btnReviewOpen =
        Tool("btnReviewOpen", "開く", "リストで選んだファイル(なければ選んだファイル)を開きます (Ctrl+O)", this);
    lblReviewFile = new QLabel(this);
    lblReviewFile->setObjectName(QStringLiteral("lblReviewFile"));
    lblReviewFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    btnProposeGaps = Tool("btnProposeGaps", "曲間で区切る",
                          "切り出し設定の曲間検出で区切ります。曲数や曲目の時間があれば、それに合わせます", this);
    lblReviewTrackCount = new QLabel(QStringLiteral("曲数"), this);
    lblReviewTrackCount->setObjectName(QStringLiteral("lblReviewTrackCount"));
    sedtReviewTrackCount = new QSpinBox(this);
    sedtReviewTrackCount->setObjectName(QStringLiteral("sedtReviewTrackCount"));
    sedtReviewTrackCount->setRange(0, 999);
    sedtReviewTrackCount->setSpecialValueText(QStringLiteral("自動"));
    sedtReviewTrackCount->setToolTip(
        QStringLiteral("曲間で区切るときの曲数です。「自動」では見つかった曲間の数だけ区切ります"));
    lblReviewTrackCount->setBuddy(sedtReviewTrackCount);
    btnProposeTrigger =
        Tool("btnProposeTrigger", "トリガで区切る", "切り出し設定のトリガレベルと無音部の長さで区切ります", this);
    btnLoadCuts = Tool("btnLoadCuts", "区切りを読み込む", "ラベルファイルかキューシートの区切りを読み込みます", this);
    cbxReviewDb = new QCheckBox(QStringLiteral("dB 表示"), this);
    cbxReviewDb->setObjectName(QStringLiteral("cbxReviewDb"));
    cbxReviewDb->setChecked(kDefaultDb);
    cbxReviewDb->setToolTip(QStringLiteral("波形の縦軸を dB (-60〜0 dB) で表示します。小さな音がよく見えます"));
    top->addWidget(btnReviewOpen);
    top->addWidget(lblReviewFile, 1);
    top->addWidget(btnProposeGaps);
    top->addWidget(lblReviewTrackCount);
    top->addWidget(sedtReviewTrackCount);
    top->addWidget(btnProposeTrigger);
    top->addWidget(btnLoadCuts);
    top->addWidget(cbxReviewDb);
    layout->addLayout(top);

    imgOverview = new TWaveView(TWaveView::Kind::Overview, this);
    imgOverview->setObjectName(QStringLiteral("imgOverview"));
    imgOverview->setToolTip(QStringLiteral("ファイル全体です。クリックかドラッグで、下の拡大表示の位置を移します"));
    imgOverview->setFixedHeight(48);
    imgZoom = new TWaveView(TWaveView::Kind::Zoom, this);
    imgZoom->setObjectName(QStringLiteral("imgZoom"));
    imgZoom->setToolTip(QStringLiteral(
        "ホイールで拡大・縮小、Shift+ホイールかドラッグでスクロールします。区切り線はドラッグで動かせます"
        "(近くの最も静かな所に合わせます。Shift を押しながらでは合わせません)。"
        "ダブルクリックか Insert で区切りを加え、Delete で消します。←→でカーソル、Tab で次の区切り、Space で再生"));
    layout->addWidget(imgOverview);
    layout->addWidget(imgZoom, 3);

    auto* edit = new QHBoxLayout;
    btnReviewUndo = Tool("btnReviewUndo", "元に戻す", "最後の編集を元に戻します (Ctrl+Z)", this);
    btnReviewRedo = Tool("btnReviewRedo", "やり直す", "元に戻した編集をやり直します (Ctrl+Y)", this);
    btnSplitPiece = Tool("btnSplitPiece", "分割", "カーソルの位置でピースを二つに分けます (Insert)", this);
    btnJoinPieces = Tool("btnJoinPieces", "結合", "選んだピースを次のピースとつなげます", this);
    btnDeleteCut = Tool("btnDeleteCut", "区切りを削除", "選んだ区切りを消します (Delete)", this);
    btnPlayCursor = Tool("btnPlayCursor", "カーソルから再生", "カーソルの位置から再生します (Space)", this);
    btnPlayAround =
        Tool("btnPlayAround", "区切りの前後", "選んだ区切り(なければカーソル)の前後 3 秒を再生します", this);
    btnPlayPiece = Tool("btnPlayPiece", "ピースを再生", "選んだピースを再生します", this);
    btnReviewStop = Tool("btnReviewStop", "停止", "再生を止めます", this);
    lblReviewPosition = new QLabel(this);
    lblReviewPosition->setObjectName(QStringLiteral("lblReviewPosition"));
    lblReviewPosition->setToolTip(QStringLiteral("カーソルの位置です"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{btnReviewUndo, btnReviewRedo, btnSplitPiece, btnJoinPieces, btnDeleteCut,
                                         btnPlayCursor, btnPlayAround, btnPlayPiece, btnReviewStop}) {
        edit->addWidget(w);
    }
    edit->addStretch(1);
    edit->addWidget(lblReviewPosition);
    layout->addLayout(edit);

    auto* lower = new QHBoxLayout;
    lvPieces = new QTreeWidget(this);
    lvPieces->setObjectName(QStringLiteral("lvPieces"));
    lvPieces->setRootIsDecorated(false);
    lvPieces->setHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("タイトル"), QStringLiteral("開始"), QStringLiteral("長さ")});
    lvPieces->setToolTip(QStringLiteral("切り出すピースです。タイトルはダブルクリックか F2 で書き換えられます"));
    lvPieces->header()->setStretchLastSection(false);
    lvPieces->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lvPieces->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    auto* side = new QVBoxLayout;
    btnPasteTrackList =
        Tool("btnPasteTrackList", "曲目を貼り付け",
             "クリップボードの曲目リスト(1 行 1 曲、行末に時間)をタイトルにします (一覧で Ctrl+V)", this);
    btnOpenTrackList = Tool("btnOpenTrackList", "曲目を開く", "曲目リストのファイルを開いてタイトルにします", this);
    cbReviewFormat = new QComboBox(this);
    cbReviewFormat->setObjectName(QStringLiteral("cbReviewFormat"));
    cbReviewFormat->addItems({QStringLiteral("WAVE"), QStringLiteral("FLAC")});
    cbReviewFormat->setCurrentIndex(kDefaultFormat);
    cbReviewFormat->setToolTip(QStringLiteral("切り出すファイルの形式です。FLAC ではタイトルをタグに書きます"));
    btnSaveCuts = Tool("btnSaveCuts", "区切りを保存", "区切りを元のファイルの隣にラベルファイルとして保存します", this);
    btnReviewCut = Tool("btnReviewCut", "切り出し", "ピースを選んだフォルダに切り出し、リストに加えます", this);
    btnReviewCancel = Tool("btnReviewCancel", "中止", "切り出しを中止します", this);
    for (QWidget* w : std::initializer_list<QWidget*>{btnPasteTrackList, btnOpenTrackList, cbReviewFormat, btnSaveCuts,
                                                      btnReviewCut, btnReviewCancel}) {
        side->addWidget(w);
    }
    side->addStretch(1);
    lower->addWidget(lvPieces, 1);
    lower->addLayout(side);
    layout->addLayout(lower, 2);

    lblReviewStatus = new QLabel(this);
    lblReviewStatus->setObjectName(QStringLiteral("lblReviewStatus"));
    lblReviewStatus->setWordWrap(true);
    layout->addWidget(lblReviewStatus);

    tmrReview = new QTimer(this);
    tmrReview->setObjectName(QStringLiteral("tmrReview"));
    tmrReview->setInterval(50);
    imgOverview->SetPlan(&plan_);
    imgZoom->SetPlan(&plan_);
    imgOverview->SetMessage(QStringLiteral("リストのファイルを開いてください"));
    imgZoom->SetMessage(QStringLiteral("リストのファイルを選んで「開く」を押すと、波形と区切りを表示します"));
}

void TReviewPage::AssignHelpContexts() {
    const std::pair<QWidget*, int> contexts[] = {
        {this, 40},
        {imgOverview, 41},
        {imgZoom, 41},
        {cbxReviewDb, 41},
        {btnProposeGaps, 42},
        {sedtReviewTrackCount, 42},
        {btnProposeTrigger, 42},
        {btnLoadCuts, 42},
        {btnReviewUndo, 43},
        {btnReviewRedo, 43},
        {btnSplitPiece, 43},
        {btnJoinPieces, 43},
        {btnDeleteCut, 43},
        {lvPieces, 44},
        {btnPasteTrackList, 44},
        {btnOpenTrackList, 44},
        {btnPlayCursor, 45},
        {btnPlayAround, 45},
        {btnPlayPiece, 45},
        {btnReviewStop, 45},
        {cbReviewFormat, 46},
        {btnSaveCuts, 46},
        {btnReviewCut, 46},
        {btnReviewCancel, 46},
    };
    for (const auto& [widget, context] : contexts) {
        widget->setProperty("HelpContext", context);
    }
}

void TReviewPage::ConnectControls() {
    connect(btnProposeGaps, &QToolButton::clicked, this, &TReviewPage::btnProposeGapsClick);
    connect(btnProposeTrigger, &QToolButton::clicked, this, &TReviewPage::btnProposeTriggerClick);
    connect(btnLoadCuts, &QToolButton::clicked, this, &TReviewPage::btnLoadCutsClick);
    connect(btnReviewUndo, &QToolButton::clicked, this, &TReviewPage::btnReviewUndoClick);
    connect(btnReviewRedo, &QToolButton::clicked, this, &TReviewPage::btnReviewRedoClick);
    connect(btnSplitPiece, &QToolButton::clicked, this, &TReviewPage::btnSplitPieceClick);
    connect(btnJoinPieces, &QToolButton::clicked, this, &TReviewPage::btnJoinPiecesClick);
    connect(btnDeleteCut, &QToolButton::clicked, this, &TReviewPage::btnDeleteCutClick);
    connect(btnPasteTrackList, &QToolButton::clicked, this, &TReviewPage::btnPasteTrackListClick);
    connect(btnOpenTrackList, &QToolButton::clicked, this, &TReviewPage::btnOpenTrackListClick);
    connect(btnPlayCursor, &QToolButton::clicked, this, &TReviewPage::btnPlayCursorClick);
    connect(btnPlayAround, &QToolButton::clicked, this, &TReviewPage::btnPlayAroundClick);
    connect(btnPlayPiece, &QToolButton::clicked, this, &TReviewPage::btnPlayPieceClick);
    connect(btnReviewStop, &QToolButton::clicked, this, &TReviewPage::btnReviewStopClick);
    connect(btnSaveCuts, &QToolButton::clicked, this, &TReviewPage::btnSaveCutsClick);
    connect(btnReviewCut, &QToolButton::clicked, this, &TReviewPage::btnReviewCutClick);
    connect(btnReviewCancel, &QToolButton::clicked, &window_, &TfrmWaveInSample::btnCancelClick);
    connect(cbxReviewDb, &QCheckBox::toggled, this, [this](bool on) {
        imgOverview->SetDbScale(on);
        imgZoom->SetDbScale(on);
    });
    connect(lvPieces, &QTreeWidget::itemChanged, this, &TReviewPage::lvPiecesChanged);
    connect(lvPieces, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item == nullptr || filling_) {
            return;
        }
        const int piece = lvPieces->indexOfTopLevelItem(item);
        const std::int64_t start = plan_.Piece(piece).StartFrame;
        imgZoom->SetSelectedBoundary(piece);
        imgZoom->SetCursorFrame(start);
        imgZoom->Reveal(start);
        CursorMoved(start);
    });
    connect(imgZoom, &TWaveView::CursorMoved, this, &TReviewPage::CursorMoved);
    connect(imgZoom, &TWaveView::BoundaryDragged, this, &TReviewPage::MoveBoundary);
    connect(imgZoom, &TWaveView::AddBoundaryAsked, this, &TReviewPage::AddBoundary);
    connect(imgZoom, &TWaveView::DeleteBoundaryAsked, this, &TReviewPage::DeleteBoundary);
    connect(imgZoom, &TWaveView::PlayAsked, this, &TReviewPage::btnPlayCursorClick);
    connect(imgZoom, &TWaveView::ViewChanged, this, &TReviewPage::UpdateViews);
    connect(imgOverview, &TWaveView::CentreAsked, this, [this](std::int64_t frame) {
        const double shown = imgZoom->FramesPerPixel() * imgZoom->width();
        imgZoom->SetView(static_cast<double>(frame) - shown / 2, imgZoom->FramesPerPixel());
        UpdateViews();
    });
    connect(tmrReview, &QTimer::timeout, this, &TReviewPage::Poll);
    const auto shortcut = [this](const QKeySequence& keys, void (TReviewPage::*handler)()) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, handler);
    };
    shortcut(QKeySequence::Undo, &TReviewPage::btnReviewUndoClick);
    shortcut(QKeySequence::Redo, &TReviewPage::btnReviewRedoClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &TReviewPage::btnReviewRedoClick);
    // A track list pasted into the piece list, as into any list.
    auto* paste = new QShortcut(QKeySequence::Paste, lvPieces);
    paste->setContext(Qt::WidgetShortcut);
    connect(paste, &QShortcut::activated, this, &TReviewPage::btnPasteTrackListClick);
    connect(btnReviewOpen, &QToolButton::clicked, &window_, [this] { window_.OpenCurrentRowInReview(); });
    auto* open = new QShortcut(QKeySequence::Open, this);
    open->setContext(Qt::WidgetWithChildrenShortcut);
    connect(open, &QShortcut::activated, &window_, [this] { window_.OpenCurrentRowInReview(); });
}

bool TReviewPage::Busy() const {
    return levelTask_ != nullptr || gapTask_ != nullptr || triggerRunning_ || cutRunning_;
}

std::string TReviewPage::LabelPath() const {
    return TrackNaming::Stem(source_.path.toStdString()) + ".labels.txt";
}

void TReviewPage::Open(const Source& source) {
    btnReviewStopClick();
    levelTask_.reset();
    gapTask_.reset();
    overview_.reset();
    source_ = source;
    source_.channels = std::max(source_.channels, 1);
    frames_ = source_.dataSize / FrameBytes();
    plan_.Reset(frames_);
    trackTitles_.clear();
    trackSeconds_.clear();
    lblReviewFile->setText(QFileInfo(source_.path).fileName());
    lblReviewFile->setToolTip(source_.path);
    imgOverview->SetSource(nullptr, {});
    imgZoom->SetSource(nullptr, {});
    imgOverview->SetMessage(QStringLiteral("読み込み中..."));
    imgZoom->SetMessage(QStringLiteral("波形を読み込んでいます..."));

    levelResult_ = std::make_shared<LevelResult>();
    const std::string path = source_.path.toStdString();
    const std::int64_t offset = source_.dataOffset;
    const std::int64_t size = source_.dataSize;
    const int channels = source_.channels;
    levelTask_ =
        std::make_unique<TBackgroundTask>([result = levelResult_, path, offset, size, channels](TBackgroundTask& task) {
            auto stream = TrackAudio::Open(path);
            auto overview = LevelOverview::Build(*stream, offset, size, channels,
                                                 [&task, size](std::int64_t done) { return task.Report(done, size); });
            if (overview) {
                result->overview = std::make_unique<LevelOverview>(std::move(*overview));
            }
        });
    levelTask_->Resume();
    tmrReview->start();
    ShowStatus(QStringLiteral("波形を読み込んでいます... 0%"));

    // An earlier review of this file left its cut points beside it.
    if (FileSystem::Exists(LabelPath())) {
        try {
            TakeProposal(
                CutPointFile::PiecesFromLabels(CutPointFile::ReadWhole(LabelPath()), source_.sampleRate, frames_));
        } catch (const std::exception& e) {
            ShowError(QString::fromStdString(LabelPath()) + QStringLiteral("\r\n") + QString::fromStdString(e.what()));
        }
    }
    PlanChanged();
}

void TReviewPage::Poll() {
    if (levelTask_ != nullptr) {
        if (levelTask_->Done()) {
            LevelsRead();
        } else {
            ShowStatus(QStringLiteral("波形を読み込んでいます... %1%").arg(levelTask_->Percent()));
        }
    }
    if (gapTask_ != nullptr) {
        if (gapTask_->Done()) {
            GapsFound();
        } else {
            ShowStatus(QStringLiteral("曲間を探しています... %1%").arg(gapTask_->Percent()));
        }
    }
    ShowPlayPosition();
    if (levelTask_ == nullptr && gapTask_ == nullptr && !playing_) {
        tmrReview->stop();
    }
}

void TReviewPage::LevelsRead() {
    const std::string error = levelTask_->ErrorText();
    levelTask_.reset();
    if (!error.empty() || levelResult_->overview == nullptr) {
        imgOverview->SetMessage(QString());
        imgZoom->SetMessage(QStringLiteral("読み込めませんでした"));
        ShowStatus(QString());
        if (!error.empty()) {
            ShowError(source_.path + QStringLiteral("\r\n") + QString::fromStdString(error));
        }
        return;
    }
    overview_ = std::move(levelResult_->overview);
    levelResult_.reset();
    frames_ = overview_->Frames();
    const auto reader = [this](std::int64_t from, std::int64_t count) { return ReadFrames(from, count); };
    imgOverview->SetSource(overview_.get(), {});
    imgZoom->SetSource(overview_.get(), reader);
    // A first look: a tenth of the file, at its start.
    imgZoom->SetView(0, static_cast<double>(frames_) / 10 / std::max(imgZoom->width(), 1));
    ShowStatus(QString());
    UpdateViews();
    UpdateButtons();
}

std::vector<std::int16_t> TReviewPage::ReadFrames(std::int64_t from, std::int64_t count) {
    std::vector<std::int16_t> samples;
    if (Busy()) {
        return samples;  // a task holds the file
    }
    from = std::clamp<std::int64_t>(from, 0, frames_);
    count = std::clamp<std::int64_t>(count, 0, frames_ - from);
    samples.resize(static_cast<std::size_t>(count * source_.channels));
    try {
        // The file is opened for each read only, shared, so that the player
        // and the jobs, which open it for themselves alone, find it free
        // between paints; a FLAC file decodes just the frames read.
        const std::string path = source_.path.toStdString();
        constexpr unsigned kShared = TLongFileStream::fmOpenRead | TLongFileStream::fmShareDenyNone;
        std::unique_ptr<TLongStream> own;
        if (TrackAudio::IsFlacFileName(path)) {
            own = std::make_unique<FlacStream>(path, kShared);
        } else {
            own = std::make_unique<TLongFileStream>(path, kShared);
        }
        TLongStream& stream = *own;
        stream.SetPosition64(source_.dataOffset + from * FrameBytes());
        stream.ReadBuffer(samples.data(), count * FrameBytes());
    } catch (const std::exception&) {
        // Playing now, or cut short since it was read: the levels still show it.
        samples.clear();
    }
    return samples;
}

void TReviewPage::UpdateViews() {
    imgOverview->SetOutline(imgZoom->ViewStart(), imgZoom->FramesPerPixel() * imgZoom->width());
    imgOverview->update();
    imgZoom->update();
}

void TReviewPage::CursorMoved(std::int64_t frame) {
    lblReviewPosition->setText(TimeText(frame));
    imgOverview->SetCursorFrame(frame);
    const int piece = plan_.PieceAt(frame);
    if (piece >= 0 && piece < lvPieces->topLevelItemCount() && imgZoom->SelectedBoundary() < 0) {
        filling_ = true;
        lvPieces->setCurrentItem(lvPieces->topLevelItem(piece));
        filling_ = false;
    }
    UpdateButtons();
}

QString TReviewPage::TimeText(std::int64_t frame) const {
    const double rate = std::max(source_.sampleRate, 1);
    const double seconds = static_cast<double>(frame) / rate;
    const auto whole = static_cast<long long>(std::floor(seconds));
    const int millis = static_cast<int>(std::lround((seconds - static_cast<double>(whole)) * 1000)) % 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'))
        .arg(millis, 3, 10, QLatin1Char('0'));
}

void TReviewPage::ShowStatus(const QString& text) {
    lblReviewStatus->setText(text);
}

void TReviewPage::ShowError(const QString& text) const {
    ShowStandardError(text.toStdString());
}

}  // namespace zolvane2
