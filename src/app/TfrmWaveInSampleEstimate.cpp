// The recording-settings page's estimate: longest file, disk space needed and
// the coloured warning, recomputed whenever a recording condition changes.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/TRadioGroup.h"
#include "app/TfrmWaveInSample.h"
#include "jobs/RecordingEstimate.h"
#include "jobs/TMyMemIniFile.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"

namespace zolvane2 {

int TfrmWaveInSample::SamplingFrequency() const {
    const QString text = cbSamplingFreq->currentText();
    std::int32_t value = 0;
    if (!TMyMemIniFile::ParseInteger(text.toStdString(), value)) {
        throw Error("'" + text.toStdString() + "' は有効な整数値ではありません");
    }
    return value;
}

void TfrmWaveInSample::edtConditionsChange() {
    UpdateRecordingEstimate();
}

void TfrmWaveInSample::UpdateRecordingEstimate() {
    int rate = 0;
    try {
        rate = SamplingFrequency();
    } catch (const Error& e) {
        ShowStandardError(e.what());
        return;
    }
    const int channels = rgRecMode->ItemIndex() + 1;
    const std::int64_t seconds = static_cast<std::int64_t>(sedtRecordingTimeH->value()) * 3600 +
                                 static_cast<std::int64_t>(sedtRecordingTimeM->value()) * 60 +
                                 sedtRecordingTimeS->value();
    const RecordingEstimate estimate =
        EstimateRecording(edtBaseFileName->text().toStdString(), rate, channels, seconds, cbxRAWSave->isChecked());

    lblMaxRecTime->setText(QString::fromStdString(estimate.maxRecTime));
    lblRecSize->setText(QString::fromStdString(estimate.recSize));
    lblDiskTime->setText(estimate.diskTime.empty() ? QStringLiteral("不明")
                                                   : QString::fromStdString(estimate.diskTime));
    const Rgb rgb = SizeWarningRgb(estimate.warning);
    QPalette palette = pnlSizeWarning->palette();
    palette.setColor(QPalette::Window, QColor(rgb.red, rgb.green, rgb.blue));
    palette.setColor(QPalette::WindowText, Qt::black);
    pnlSizeWarning->setPalette(palette);
    pnlSizeWarning->setText(QString::fromStdString(estimate.warningText));

    // A RAW file's length, channels and rate follow the settings.
    for (int r = 0; r < RowCount(); ++r) {
        if (QFileInfo(RowPath(r)).suffix().toUpper() == QStringLiteral("RAW")) {
            AddFileToList(RowPath(r), r);
        }
    }
}

void TfrmWaveInSample::cbxRAWSaveClick() {
    // The base name's extension follows the switch: replaced, or added when
    // the file-name part has none.
    QString name = edtBaseFileName->text();
    const auto slash = name.lastIndexOf(QLatin1Char('/'));
    const auto dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > slash) {
        name.truncate(dot);
    }
    // FLAC wins; RAW is greyed out while it is on.
    cbxRAWSave->setEnabled(cbxFLACSave->isEnabled() && !cbxFLACSave->isChecked());
    name += cbxFLACSave->isChecked()  ? QStringLiteral(".flac")
            : cbxRAWSave->isChecked() ? QStringLiteral(".raw")
                                      : QStringLiteral(".wav");
    edtBaseFileName->setText(name);
    UpdateRecordingEstimate();
}

void TfrmWaveInSample::ConnectEstimate() {
    // Every change of a recording condition recomputes the estimate, also
    // when the settings are loaded (the signals fire only on a change).
    connect(edtBaseFileName, &QLineEdit::textChanged, this, &TfrmWaveInSample::edtConditionsChange);
    connect(sedtRecordingTimeH, &QSpinBox::valueChanged, this, &TfrmWaveInSample::edtConditionsChange);
    connect(sedtRecordingTimeM, &QSpinBox::valueChanged, this, &TfrmWaveInSample::edtConditionsChange);
    connect(sedtRecordingTimeS, &QSpinBox::valueChanged, this, &TfrmWaveInSample::edtConditionsChange);
    connect(cbSamplingFreq, &QComboBox::currentTextChanged, this, &TfrmWaveInSample::edtConditionsChange);
    connect(rgRecMode, &TRadioGroup::ItemIndexChanged, this, &TfrmWaveInSample::edtConditionsChange);
    connect(cbxRAWSave, &QCheckBox::toggled, this, &TfrmWaveInSample::cbxRAWSaveClick);
    connect(cbxFLACSave, &QCheckBox::toggled, this, &TfrmWaveInSample::cbxRAWSaveClick);
}

}  // namespace zolvane2
