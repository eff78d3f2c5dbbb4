// Layout of the two settings pages, "録音設定" and "切り出し設定".
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <limits>

#include "app/TRadioGroup.h"
#include "app/TRecordingSettingImage.h"
#include "app/TfrmWaveInSample.h"
#include "jobs/RecordingEstimate.h"

namespace zolvane2 {

namespace {

constexpr int kNoMin = std::numeric_limits<int>::min();
constexpr int kNoMax = std::numeric_limits<int>::max();

QLabel* Label(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

// A settings page scrolls when the window is made smaller than its content;
// answers the content's layout.
QVBoxLayout* ScrollingPage(QTabWidget* tabs, const char* name, const char* caption, QWidget*& scroll, QWidget*& content,
                           const QMargins& margins, int spacing) {
    auto* area = new QScrollArea(tabs);
    area->setObjectName(QString::fromUtf8(name));
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    content = new QWidget(area);
    content->setObjectName(QString::fromUtf8(name) + QStringLiteral("Content"));
    area->setWidget(content);
    tabs->addTab(area, QString::fromUtf8(caption));
    scroll = area;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace

QLabel* TfrmWaveInSample::AddTimeRow(QHBoxLayout* row, QWidget* page, const char* name, const char* caption,
                                     const QString& hint, const std::array<std::pair<QSpinBox**, QLabel**>, 3>& parts,
                                     const std::array<int, 3>& values) {
    row->setSpacing(3);
    const std::string base(name);
    QLabel* label = Label(("lbl" + base).c_str(), caption, page);
    row->addWidget(label);
    row->addSpacing(6);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string unit(1, "hms"[i]);
        const std::string named = base + "HMS"[i];
        QSpinBox* spin = SpinEdit(("sedt" + named).c_str(), kNoMin, kNoMax, values.at(i), 58, page);
        QLabel* unitLabel = Label(("lbl" + named).c_str(), unit.c_str(), page);
        spin->setToolTip(hint);
        row->addWidget(spin);
        row->addWidget(unitLabel);
        row->addSpacing(4);
        *parts.at(i).first = spin;
        *parts.at(i).second = unitLabel;
    }
    row->addStretch(1);
    return label;
}

void TfrmWaveInSample::CreateSettingPage() {
    const CuttingSettings defaults;
    QWidget* page = nullptr;
    auto* v = ScrollingPage(PageControl1, "tsSetting", "録音設定", tsSetting, page, QMargins(8, 2, 8, 2), 2);

    lblBaseFileName = Label("lblBaseFileName", "保存するファイル名(実際にはトラック番号nnnnnが付加されます)", page);
    lblBaseFileName->setWordWrap(true);
    v->addWidget(lblBaseFileName);
    auto* nameRow = new QHBoxLayout;
    edtBaseFileName = new QLineEdit(page);
    edtBaseFileName->setObjectName(QStringLiteral("edtBaseFileName"));
    edtBaseFileName->setToolTip(QStringLiteral("保存するファイル名を指定します"));
    lblBaseFileName->setBuddy(edtBaseFileName);
    btnRefFile = new QPushButton(QStringLiteral("参照"), page);
    btnRefFile->setObjectName(QStringLiteral("btnRefFile"));
    nameRow->addWidget(edtBaseFileName, 1);
    nameRow->addWidget(btnRefFile);
    v->addLayout(nameRow);

    auto* timeRow = new QHBoxLayout;
    const QString timeHint = QStringLiteral("最大録音時間を指定します");
    lblRecordingTime = AddTimeRow(timeRow, page, "RecordingTime", "録音時間", timeHint,
                                  {{{&sedtRecordingTimeH, &lblRecordingTimeH},
                                    {&sedtRecordingTimeM, &lblRecordingTimeM},
                                    {&sedtRecordingTimeS, &lblRecordingTimeS}}},
                                  {defaults.recordingHours, defaults.recordingMinutes, defaults.recordingSeconds});
    lblRecordingTime->setToolTip(timeHint);
    v->addLayout(timeRow);
    cbxAbsoluteRecordingTime = new QCheckBox(QStringLiteral("正味の時間(トリガ待ち時間を除いた時間)として計算"), page);
    cbxAbsoluteRecordingTime->setObjectName(QStringLiteral("cbxAbsoluteRecordingTime"));
    cbxAbsoluteRecordingTime->setChecked(defaults.netRecordingTime);
    v->addWidget(cbxAbsoluteRecordingTime);

    auto* modeRow = new QHBoxLayout;
    rgRecMode =
        new TRadioGroup(QStringLiteral("モード"), {QStringLiteral("モノラル"), QStringLiteral("ステレオ")}, 2, page);
    rgRecMode->setObjectName(QStringLiteral("rgRecMode"));
    rgRecMode->setToolTip(QStringLiteral("チャンネル数を指定します"));
    rgRecMode->SetItemIndex(defaults.recModeIndex);
    modeRow->addWidget(rgRecMode);
    modeRow->addSpacing(10);
    auto* precRow = new QHBoxLayout;
    precRow->setSpacing(3);
    lblPrec = Label("lblPrec", "トラック番号の桁数", page);
    sedtPrec = SpinEdit("sedtPrec", 1, 10, defaults.digits, 48, page);
    sedtPrec->setToolTip(QStringLiteral("ファイル名の後に、トラック番号をこの桁数で付加します"));
    lblPrecUnit = Label("lblPrecUnit", "桁", page);
    precRow->addWidget(lblPrec);
    precRow->addWidget(sedtPrec);
    precRow->addWidget(lblPrecUnit);
    modeRow->addLayout(precRow);
    modeRow->addStretch(1);
    v->addLayout(modeRow);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    lblSamplingFreq = Label("lblSamplingFreq", "サンプリング周波数", page);
    cbSamplingFreq = new QComboBox(page);
    cbSamplingFreq->setObjectName(QStringLiteral("cbSamplingFreq"));
    cbSamplingFreq->setEditable(true);
    cbSamplingFreq->setInsertPolicy(QComboBox::NoInsert);
    for (const char* rate : CuttingSettings::SamplingFrequencies()) {
        cbSamplingFreq->addItem(QString::fromUtf8(rate));
    }
    cbSamplingFreq->setCurrentIndex(defaults.samplingIndex);
    cbSamplingFreq->setMinimumWidth(90);
    lblSamplingFreqUnit = Label("lblSamplingFreqUnit", "Hz", page);
    auto* freq = new QHBoxLayout;
    freq->setSpacing(3);
    freq->addWidget(cbSamplingFreq);
    freq->addWidget(lblSamplingFreqUnit);
    freq->addStretch(1);
    grid->addWidget(lblSamplingFreq, 0, 0);
    grid->addLayout(freq, 0, 1);

    lblWaveInDeviceName = Label("lblWaveInDeviceName", "入力デバイス", page);
    cbWaveInDeviceName = new QComboBox(page);
    cbWaveInDeviceName->setObjectName(QStringLiteral("cbWaveInDeviceName"));
    cbWaveInDeviceName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbWaveInDeviceName->setMinimumContentsLength(12);
    grid->addWidget(lblWaveInDeviceName, 1, 0);
    grid->addWidget(cbWaveInDeviceName, 1, 1);
    grid->setColumnStretch(1, 1);
    v->addLayout(grid);

    cbxDisplayWaveForm = new QCheckBox(QStringLiteral("録音/再生中の音を表示する"), page);
    cbxDisplayWaveForm->setObjectName(QStringLiteral("cbxDisplayWaveForm"));
    cbxDisplayWaveForm->setToolTip(QStringLiteral("音をグラフまたは数値で表示します"));
    cbxDisplayWaveForm->setChecked(defaults.displayWaveForm);
    v->addWidget(cbxDisplayWaveForm);

    auto* estimate = new QGridLayout;
    estimate->setHorizontalSpacing(6);
    estimate->setVerticalSpacing(0);
    lblMaxRecTimeCaption = Label("lblMaxRecTimeCaption", "(1ファイルの最大可能録音時間:)", page);
    lblMaxRecTime = Label("lblMaxRecTime", "00h60m00s", page);
    lblRecSizeCaption = Label("lblRecSizeCaption", "必要な最大ディスク容量", page);
    lblRecSize = Label("lblRecSize", "00h60m00s", page);
    lblRecSize->setToolTip(
        QStringLiteral("途中で録音停止したときやトリガ待ち時間によって、必要な容量は少なくなります。"));
    estimate->addWidget(lblRecSizeCaption, 0, 0);
    estimate->addWidget(lblRecSize, 0, 1);
    estimate->addWidget(lblMaxRecTimeCaption, 1, 0);
    estimate->addWidget(lblMaxRecTime, 1, 1);
    // The free space as recording time, beside the space needed.
    lblDiskTimeCaption = Label("lblDiskTimeCaption", "空き容量:", page);
    lblDiskTime = Label("lblDiskTime", "0h00m00s", page);
    for (QLabel* l : {lblDiskTimeCaption, lblDiskTime}) {
        l->setToolTip(
            QStringLiteral("ディスクの空き容量に、今の形式で録音できる時間です (FLAC ではもっと長くなります)"));
    }
    estimate->addWidget(lblDiskTimeCaption, 0, 2);
    estimate->addWidget(lblDiskTime, 0, 3);
    estimate->setColumnStretch(1, 1);
    v->addLayout(estimate);

    lblRAW = Label("lblRAW",
                   "RAW形式で保存すると1ファイル2Gバイトを越えて録音できるようになりますが、一般的なソフトでは再生/"
                   "編集できません。2G以下に切り出して、WAVE形式に保存し直してご利用ください。",
                   page);
    lblRAW->setWordWrap(true);
    QFont small = lblRAW->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    lblRAW->setFont(small);
    v->addWidget(lblRAW);

    auto* rawRow = new QHBoxLayout;
    cbxRAWSave = new QCheckBox(QStringLiteral("RAWファイルを生成"), page);
    cbxRAWSave->setObjectName(QStringLiteral("cbxRAWSave"));
    cbxRAWSave->setChecked(defaults.rawOutput);
    rawRow->addWidget(cbxRAWSave);
    cbxFLACSave = new QCheckBox(QStringLiteral("FLACで保存"), page);
    cbxFLACSave->setObjectName(QStringLiteral("cbxFLACSave"));
    cbxFLACSave->setChecked(defaults.flacOutput);
    cbxFLACSave->setToolTip(
        QStringLiteral("同じ音声を FLAC 形式で圧縮して保存します(2G バイトの制限なし)。"
                       "オンの間は RAW は使えません"));
    rawRow->addWidget(cbxFLACSave);
    pnlSizeWarning = new QLabel(QString::fromStdString(UserText(TextId::WarnFits).Japanese()), page);
    pnlSizeWarning->setObjectName(QStringLiteral("pnlSizeWarning"));
    pnlSizeWarning->setFrameShape(QFrame::Panel);
    pnlSizeWarning->setFrameShadow(QFrame::Sunken);
    pnlSizeWarning->setAlignment(Qt::AlignCenter);
    pnlSizeWarning->setAutoFillBackground(true);
    // The longer warnings take a second line rather than more width.
    pnlSizeWarning->setWordWrap(true);
    pnlSizeWarning->setMargin(2);
    pnlSizeWarning->setMinimumHeight(26);
    rawRow->addWidget(pnlSizeWarning, 1);
    v->addLayout(rawRow);
    v->addStretch(1);
}

void TfrmWaveInSample::CreateCutPage() {
    const CuttingSettings defaults;
    QWidget* page = nullptr;
    auto* v = ScrollingPage(PageControl1, "tsCut", "切り出し設定", tsCut, page, QMargins(4, 4, 4, 4), 2);

    rbtnUseTrigger = new QRadioButton(QStringLiteral("トリガによる録音/切り出しを行う"), page);
    rbtnUseTrigger->setObjectName(QStringLiteral("rbtnUseTrigger"));
    rbtnUseTrigger->setChecked(defaults.useTrigger);
    v->addWidget(rbtnUseTrigger);

    imgRecordingSetting = new TRecordingSettingImage(page);
    sedtTriggerLevel = SpinEdit("sedtTriggerLevel", 0, 32767, defaults.triggerLevel, 70, page);
    sedtTriggerLevel->setToolTip(QStringLiteral("これより大きな音が連続すると録音を行います"));
    sedtTriggerDelay = SpinEdit("sedtTriggerDelay", kNoMin, kNoMax, defaults.triggerDelayMs, 66, page);
    sedtTriggerDelay->setToolTip(QStringLiteral("曲の始めの無音部の長さを指定します"));
    sedtTrackInterval = SpinEdit("sedtTrackInterval", kNoMin, kNoMax, defaults.trackIntervalMs, 66, page);
    sedtTrackInterval->setToolTip(QStringLiteral("曲と曲の間の無音部の長さを指定します"));
    sedtLastTimeAfterTrigger =
        SpinEdit("sedtLastTimeAfterTrigger", kNoMin, kNoMax, defaults.lastTimeAfterTriggerMs, 66, page);
    sedtLastTimeAfterTrigger->setToolTip(QStringLiteral("曲の最後の無音部の長さを指定します"));
    imgRecordingSetting->Attach(TRecordingSettingImage::TriggerLevel, sedtTriggerLevel, nullptr);
    imgRecordingSetting->Attach(TRecordingSettingImage::TriggerDelay, sedtTriggerDelay,
                                Label("lblTriggerDelayUnit", "ms", page));
    imgRecordingSetting->Attach(TRecordingSettingImage::LastTimeAfterTrigger, sedtLastTimeAfterTrigger,
                                Label("lblLastTimeAfterTriggerUnit", "ms", page));
    imgRecordingSetting->Attach(TRecordingSettingImage::TrackInterval, sedtTrackInterval,
                                Label("lblTrackIntervalUnit", "ms", page));
    // The minimum track length goes on the drawing too, in the free corner of
    // its last row, so that the page fits the default size.
    auto* minimumLength = new QWidget(page);
    minimumLength->setObjectName(QStringLiteral("pnlMinimumTrackLength"));
    auto* minimumRow = new QHBoxLayout(minimumLength);
    minimumRow->setContentsMargins(0, 0, 0, 0);
    CreateMinimumTrackLengthRow(minimumLength, minimumRow);
    imgRecordingSetting->Attach(TRecordingSettingImage::MinimumTrackLength, minimumLength, nullptr);
    v->addWidget(imgRecordingSetting, 1);
    // Beside the trigger, whose delay, kept silence and minimum length it uses.
    CreateGapRow(page, v);

    rbtnInterval = new QRadioButton(QStringLiteral("同じサンプル数(一定時間)ごとに録音/切り出しを行う"), page);
    rbtnInterval->setObjectName(QStringLiteral("rbtnInterval"));
    v->addWidget(rbtnInterval);
    auto* cutRow = new QHBoxLayout;
    cutRow->addSpacing(22);
    lblCuttingTime = AddTimeRow(cutRow, page, "CuttingTime", "時間", QStringLiteral("切り出し時間を指定します"),
                                {{{&sedtCuttingTimeH, &lblCuttingTimeH},
                                  {&sedtCuttingTimeM, &lblCuttingTimeM},
                                  {&sedtCuttingTimeS, &lblCuttingTimeS}}},
                                {defaults.pieceHours, defaults.pieceMinutes, defaults.pieceSeconds});
    v->addLayout(cutRow);

    rbtnNoCut = new QRadioButton(QStringLiteral("切り出しを行わない"), page);
    rbtnNoCut->setObjectName(QStringLiteral("rbtnNoCut"));
    v->addWidget(rbtnNoCut);

    auto* buttons = new QHBoxLayout;
    btnSaveSetting = new QPushButton(QStringLiteral("現在の設定を保存"), page);
    btnSaveSetting->setObjectName(QStringLiteral("btnSaveSetting"));
    btnLoadSetting = new QPushButton(QStringLiteral("設定を読み込む"), page);
    btnLoadSetting->setObjectName(QStringLiteral("btnLoadSetting"));
    btnDefaultSetting = new QPushButton(QStringLiteral("初期設定に戻す"), page);
    btnDefaultSetting->setObjectName(QStringLiteral("btnDefaultSetting"));
    for (QPushButton* b : {btnSaveSetting, btnLoadSetting, btnDefaultSetting}) {
        // Narrow windows squeeze the captions rather than the page.
        b->setMinimumWidth(60);
    }
    buttons->addWidget(btnSaveSetting);
    buttons->addWidget(btnLoadSetting);
    buttons->addWidget(btnDefaultSetting);
    v->addLayout(buttons);
}

}  // namespace zolvane2
