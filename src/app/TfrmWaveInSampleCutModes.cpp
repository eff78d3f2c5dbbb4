// The cutting modes on the cutting page: gap mode's row of boxes, and which
// boxes each mode reads, so that the others are greyed out.
#include <QBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

namespace {

QLabel* Caption(const char* name, const QString& text, const QString& hint, QWidget* page) {
    auto* label = new QLabel(text, page);
    label->setObjectName(QString::fromUtf8(name));
    label->setToolTip(hint);
    return label;
}

}  // namespace

void TfrmWaveInSample::CreateGapRow(QWidget* page, QBoxLayout* layout) {
    const CuttingSettings defaults;
    rbtnGaps = new QRadioButton(QStringLiteral("無音区間で切り出す(ノイズ対応)"), page);
    rbtnGaps->setObjectName(QStringLiteral("rbtnGaps"));
    rbtnGaps->setToolTip(
        QStringLiteral("ヒスノイズやレコードのクリック音があっても、曲間の無音区間で切り出します。"
                       "ノイズの大きさはファイルや録音から測ります。図のトリガディレイ・残す無音部・"
                       "最短トラック長も使います"));
    rbtnGaps->setChecked(defaults.findGaps);
    layout->addWidget(rbtnGaps);

    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addSpacing(22);
    const QString sensitivityHint =
        QStringLiteral("測ったノイズの大きさより何dB上までを無音区間とみなすかを指定します");
    lblGapSensitivity = Caption("lblGapSensitivity", QStringLiteral("感度"), sensitivityHint, page);
    sedtGapSensitivity =
        SpinEdit("sedtGapSensitivity", 0, CuttingSettings::kMaxGapSensitivityDb, defaults.gapSensitivityDb, 48, page);
    sedtGapSensitivity->setToolTip(sensitivityHint);
    lblGapSensitivityUnit = Caption("lblGapSensitivityUnit", QStringLiteral("dB"), sensitivityHint, page);

    const QString gapHint = QStringLiteral("これより短い無音区間は曲の中の休みとみなし、切り出しません");
    lblMinimumGap = Caption("lblMinimumGap", QStringLiteral("最短の無音"), gapHint, page);
    // An hour, as for the minimum track length: far beyond any gap between pieces.
    sedtMinimumGap = SpinEdit("sedtMinimumGap", 0, 3600000, defaults.minimumGapMs, 66, page);
    sedtMinimumGap->setToolTip(gapHint);
    lblMinimumGapUnit = Caption("lblMinimumGapUnit", QStringLiteral("ms"), gapHint, page);

    const QString countHint = QStringLiteral(
        "再分割で、1つのファイルを最も無音区間らしい所でこの数の曲に切り分けます。"
        "0 では無音区間のとおりに切り分けます");
    lblTrackCount = Caption("lblTrackCount", QStringLiteral("曲数"), countHint, page);
    sedtTrackCount = SpinEdit("sedtTrackCount", 0, CuttingSettings::kMaxTrackCount, defaults.trackCount, 58, page);
    sedtTrackCount->setToolTip(countHint);

    lblGapSensitivity->setBuddy(sedtGapSensitivity);
    lblMinimumGap->setBuddy(sedtMinimumGap);
    lblTrackCount->setBuddy(sedtTrackCount);
    row->addWidget(lblGapSensitivity);
    row->addWidget(sedtGapSensitivity);
    row->addWidget(lblGapSensitivityUnit);
    row->addSpacing(8);
    row->addWidget(lblMinimumGap);
    row->addWidget(sedtMinimumGap);
    row->addWidget(lblMinimumGapUnit);
    row->addSpacing(8);
    row->addWidget(lblTrackCount);
    row->addWidget(sedtTrackCount);
    row->addStretch(1);
    layout->addLayout(row);
}

void TfrmWaveInSample::UpdateCutModeControls() {
    // The older modes leave every box of theirs open, as they always have;
    // gap mode greys out those it does not read. It keeps of each gap what
    // the trigger keeps of its silence, and drops short pieces alike.
    const bool gaps = SettingsFromControls().Mode() == CutMode::Gaps;
    const std::pair<QWidget*, bool> controls[] = {
        {sedtTriggerLevel, !gaps},     {sedtTrackInterval, !gaps},
        {sedtTriggerDelay, true},      {sedtLastTimeAfterTrigger, true},
        {lblMinimumTrackLength, true}, {sedtMinimumTrackLength, true},
        {lblGapSensitivity, gaps},     {sedtGapSensitivity, gaps},
        {lblGapSensitivityUnit, gaps}, {lblMinimumGap, gaps},
        {sedtMinimumGap, gaps},        {lblMinimumGapUnit, gaps},
        {lblTrackCount, gaps},         {sedtTrackCount, gaps},
        {lblCuttingTime, !gaps},       {lblCuttingTimeH, !gaps},
        {lblCuttingTimeM, !gaps},      {lblCuttingTimeS, !gaps},
        {sedtCuttingTimeH, !gaps},     {sedtCuttingTimeM, !gaps},
        {sedtCuttingTimeS, !gaps},
    };
    for (const auto& [control, used] : controls) {
        control->setEnabled(settingsEditable_ && used);
    }
}

void TfrmWaveInSample::ConnectCutModes() {
    for (QRadioButton* button : {rbtnUseTrigger, rbtnGaps, rbtnInterval, rbtnNoCut}) {
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                UpdateCutModeControls();
            }
        });
    }
    UpdateCutModeControls();
}

}  // namespace zolvane2
