// Level display: the waveform box and the peak and mean numbers per channel,
// fed block by block by the capture thread and the player.
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>

#include "app/TPaintBox.h"
#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

void TfrmWaveInSample::ClearWaveDisplay(bool idle) {
    imgWave->Fill(idle ? palette().color(QPalette::Button) : QColor(Qt::white));
}

void TfrmWaveInSample::ResetLevelNumbers(int channel) {
    QLabel* const max[] = {lblMax0, lblMax1};
    QLabel* const avg[] = {lblAvg0, lblAvg1};
    if (channel == -1) {
        // Mono: the second row shows nothing; its history stays as it is.
        lblMax1->clear();
        lblAvg1->clear();
        return;
    }
    if (channel < 0 || channel > 1) {
        return;
    }
    const auto c = static_cast<std::size_t>(channel);
    MaxHistory.at(c).fill(0);
    AvgHistory.at(c).fill(0);
    max[c]->setText(QStringLiteral("0"));
    avg[c]->setText(QStringLiteral("0"));
}

void TfrmWaveInSample::btnResetClick(int channel) {
    ResetLevelNumbers(channel);
}

void TfrmWaveInSample::btnShowWaveClick() {
    PageControlWave->setCurrentIndex(btnShowData->isChecked() ? 1 : 0);
}

}  // namespace zolvane2
