// Level display: the waveform box, the peak and mean numbers per channel and
// the peak meter in dB, fed block by block by the capture thread and the
// player.
//
// Threads: main thread only. DisplayWaveData runs on behalf of a feeding
// thread that waits meanwhile; the stream it gets is the caller's and is
// read only during the call.
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "app/TPaintBox.h"
#include "app/TPeakMeter.h"
#include "app/TfrmWaveInSample.h"
#include "trackfile/TMemoryStream.h"

namespace zolvane2 {

namespace {

// One sample is taken every this many bytes of a block.
constexpr std::int64_t kSampleStride = 96;

std::int16_t SampleAt(const std::uint8_t* bytes, std::int64_t offset) {
    const auto u = static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8U));
    return static_cast<std::int16_t>(u);
}

}  // namespace

void TfrmWaveInSample::ClearWaveDisplay(bool idle) {
    imgWave->Fill(idle ? palette().color(QPalette::Button) : QColor(Qt::white));
    if (idle) {
        // The clip lamp and the quiet reading keep what the run left.
        imgPeakMeter->SetActive(false);
    }
}

void TfrmWaveInSample::ShowPeakMeter() {
    imgPeakMeter->SetActive(true);
    QPalette lamp = palette();
    if (peakMeter_.Clipped()) {
        lamp.setColor(QPalette::Window, QColor(230, 0, 0));
        lamp.setColor(QPalette::WindowText, Qt::white);
    }
    lblClip->setPalette(lamp);
    const std::optional<double> quiet = peakMeter_.QuietDb();
    if (!quiet) {
        lblQuiet->clear();
    } else if (*quiet < PeakMeter::kBottomDb) {
        lblQuiet->setText(QStringLiteral("静 <%1dB").arg(static_cast<int>(PeakMeter::kBottomDb)));
    } else {
        lblQuiet->setText(QStringLiteral("静 %1dB").arg(static_cast<int>(std::lround(*quiet))));
    }
}

void TfrmWaveInSample::lblClipClick() {
    peakMeter_.ClearClip();
    ShowPeakMeter();
    if (!RecordingRunning() && !PlayerPlaying()) {
        imgPeakMeter->SetActive(false);
    }
}

void TfrmWaveInSample::UpdateWaveScale() {
    // The box follows the window's size; the canvas, the middle line, the
    // scale and the trigger lines follow the box.
    const QSize size = imgWave->size();
    if (!size.isEmpty() && imgWave->Canvas().size() != size) {
        imgWave->Canvas() = QImage(size, QImage::Format_RGB32);
        imgWave->Canvas().fill(palette().color(QPalette::Button));
    }
    levelNumbers_.Fit(imgWave->Canvas().height());
}

void TfrmWaveInSample::PrepareLevelDisplay(int triggerLevel, int channels, int sampleRate) {
    levelNumbers_.Prepare(triggerLevel, channels);
    peakMeter_.Start(channels, sampleRate);
    imgPeakMeter->SetTriggerLevel(triggerLevel);
    ShowPeakMeter();
    imgPeakMeter->SetActive(false);
    UpdateWaveScale();
    levelNumbers_.Restart();
    ResetLevelNumbers(0);
    ResetLevelNumbers(levelNumbers_.Channels() >= 2 ? 1 : -1);
}

void TfrmWaveInSample::DisplayWaveData(Thread* /*Sender*/, TMemoryStream& ReceivedData) {
    const std::int64_t size = ReceivedData.Size();
    const int channels = levelNumbers_.Channels();
    // Less than one frame (the empty first block of an empty file) has
    // nothing to show.
    if (size < 2LL * channels) {
        return;
    }
    peakMeter_.Feed(ReceivedData.Data(), size);
    ShowPeakMeter();
    UpdateWaveScale();
    ClearWaveDisplay(false);
    QImage& canvas = imgWave->Canvas();
    const int width = canvas.width();
    const int bottom = canvas.height() - 1;
    QPainter painter(&canvas);

    // Lines beyond the box (a level of 32767) are drawn on its edges.
    painter.setPen(QColor(255, 0, 0));
    const int midY = levelNumbers_.MidY();
    const int lineOffset = levelNumbers_.TriggerOffset();
    for (const int y : {midY + lineOffset, midY - lineOffset}) {
        const int at = std::clamp(y, 0, std::max(0, bottom));
        painter.drawLine(0, at, width, at);
    }

    const std::uint8_t* bytes = ReceivedData.Data();
    const std::int64_t perChannel = size / channels;
    const std::int64_t points = perChannel / kSampleStride;
    const double step = width / (static_cast<double>(perChannel) / kSampleStride);
    const double scale = levelNumbers_.Scale();
    auto yOf = [scale, midY](std::int16_t s) { return static_cast<int>(std::trunc(s * scale + midY)); };

    QColor pen(0, 0, 128);  // navy for the first channel
    for (int c = 0; c < channels; ++c) {
        painter.setPen(pen);
        std::int64_t count = 0;
        double peak = 0;
        double sum = 0;
        auto take = [&](std::int16_t s) {
            peak = std::max(peak, std::abs(static_cast<double>(s)));
            sum += s;
            ++count;
        };
        std::int64_t offset = 2LL * c;
        std::int16_t s = SampleAt(bytes, offset);
        QPoint from(0, yOf(s));
        take(s);
        for (std::int64_t d = 1; d < points; ++d) {
            offset += kSampleStride;
            if (offset + 2 > size) {
                break;
            }
            s = SampleAt(bytes, offset);
            const QPoint to(static_cast<int>(std::trunc(static_cast<double>(d) * step)), yOf(s));
            painter.drawLine(from, to);
            from = to;
            take(s);
        }
        // The numeric page has rows for two channels only.
        if (c < 2) {
            const LevelMeterNumbers::Shown shown = levelNumbers_.Record(c, peak, sum / static_cast<double>(count));
            QLabel* avg = c == 0 ? lblAvg0 : lblAvg1;
            QLabel* max = c == 0 ? lblMax0 : lblMax1;
            avg->setText(QString::number(static_cast<qint64>(shown.mean)));
            max->setText(QString::number(static_cast<qint64>(shown.peak)));
        }
        pen = QColor(0, 128, 0);  // green for the next channel
    }
    painter.end();
    imgWave->update();
    levelNumbers_.Advance();
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
    levelNumbers_.Reset(channel);
    max[c]->setText(QStringLiteral("0"));
    avg[c]->setText(QStringLiteral("0"));
}

void TfrmWaveInSample::btnResetClick(int channel) {
    ResetLevelNumbers(channel);
}

void TfrmWaveInSample::btnShowWaveClick() {
    PageControlWave->setCurrentIndex(btnShowData->isChecked() ? 1 : 0);
}

void TfrmWaveInSample::ConnectLevelControls() {
    connect(btnReset0, &QPushButton::clicked, this, [this] { btnResetClick(0); });
    connect(btnReset1, &QPushButton::clicked, this, [this] { btnResetClick(1); });
    connect(btnShowWave, &QToolButton::clicked, this, &TfrmWaveInSample::btnShowWaveClick);
    connect(btnShowData, &QToolButton::clicked, this, &TfrmWaveInSample::btnShowWaveClick);
    // Between runs the meter's mark follows the level being set.
    imgPeakMeter->SetTriggerLevel(sedtTriggerLevel->value());
    connect(sedtTriggerLevel, &QSpinBox::valueChanged, this, [this](int level) {
        if (!RecordingRunning() && !PlayerPlaying()) {
            imgPeakMeter->SetTriggerLevel(level);
        }
    });
}

}  // namespace zolvane2
