// The minimum track length: its row on the cutting page and the note that
// tells, after a recording or a re-divide, how many short tracks went.
#include <QBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

void TfrmWaveInSample::CreateMinimumTrackLengthRow(QWidget* page, QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    lblMinimumTrackLength = new QLabel(QStringLiteral("最短トラック長"), page);
    lblMinimumTrackLength->setObjectName(QStringLiteral("lblMinimumTrackLength"));
    row->addWidget(lblMinimumTrackLength);
    row->addSpacing(6);
    // An hour is far above any click or noise the setting is meant for.
    sedtMinimumTrackLength =
        SpinEdit("sedtMinimumTrackLength", 0, 3600000, CuttingSettings().minimumTrackLengthMs, 74, page);
    sedtMinimumTrackLength->setToolTip(
        QStringLiteral("これより短いトラック(曲間のクリック音など)は削除します。0で削除しません"));
    lblMinimumTrackLength->setBuddy(sedtMinimumTrackLength);
    row->addWidget(sedtMinimumTrackLength);
    auto* unit = new QLabel(QStringLiteral("ms"), page);
    unit->setObjectName(QStringLiteral("lblMinimumTrackLengthUnit"));
    row->addWidget(unit);
    row->addStretch(1);
    layout->addLayout(row);
}

void TfrmWaveInSample::CreateRunNote(QWidget* page, QBoxLayout* layout) {
    lblRunNote = new QLabel(page);
    lblRunNote->setObjectName(QStringLiteral("lblRunNote"));
    lblRunNote->hide();
    layout->addWidget(lblRunNote);
}

void TfrmWaveInSample::ShowShortTracksDropped(int count) const {
    if (count <= 0) {
        lblRunNote->clear();
        lblRunNote->hide();
        return;
    }
    lblRunNote->setText(QStringLiteral("最短トラック長より短いトラックを%1個削除しました").arg(count));
    lblRunNote->show();
}

}  // namespace zolvane2
