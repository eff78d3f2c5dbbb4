// Audio a recording run lost: the count while it runs and the marks on the
// rows of the tracks it damaged, and at its end the warning with each place
// and the label file beside the tracks.
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdio>
#include <map>

#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/LossLabelFile.h"
#include "platform/Errors.h"
#include "platform/UserMessages.h"
#include "record/TWaveInThread.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2 {

namespace {

constexpr char16_t kTitle[] = u"音声の欠落";

QString FiveDigits(std::int64_t number) {
    return QString::fromStdString(TrackNaming::FormatNumber(number, 5));
}

QString Place(const CaptureLoss& loss, std::int64_t rate) {
    return QStringLiteral("%1 の %2 (%3秒)")
        .arg(FiveDigits(loss.track), QString::fromStdString(LossLabelFile::TimeText(loss.trackFrame, rate)))
        .arg(rate > 0 ? static_cast<double>(loss.frames) / static_cast<double>(rate) : 0.0, 0, 'f', 1);
}

}  // namespace

void TfrmWaveInSample::OnRecLost(const TWaveInReport& report) {
    if (fWaveInThread == nullptr) {
        return;
    }
    run_.AddLoss(fWaveInThread->LossAt(report.lossIndex));
    lblDropouts->setText(QStringLiteral("欠落 %1回").arg(run_.Losses().size()));
    lblDropouts->setToolTip(QStringLiteral("録音中に音声が途切れました。"));
    lblDropouts->show();
}

void TfrmWaveInSample::ShowRecordingLosses() {
    QStringList tracks;
    QStringList places;
    for (const CaptureLoss& loss : run_.Losses()) {
        const QString track = FiveDigits(loss.track);
        if (!tracks.contains(track)) {
            tracks.append(track);
        }
        places.append(Place(loss, run_.Rate()));
    }
    QString labelLine;
    QString labelFile;
    try {
        labelFile =
            QString::fromStdString(LossLabelFile::WriteFor(recordingSettings_, run_.Losses(), TextLanguage::Japanese));
        labelLine = QString::fromStdString(UserText(TextId::LossLabelsWritten, {labelFile.toStdString()}).Japanese());
    } catch (const Error& e) {
        labelLine = QString::fromStdString(WithSystemReason(e.Text(), e.Code()).Japanese());
    }
    MarkLossRows(labelFile);
    const double seconds = run_.LostSeconds();
    const QString text = QStringLiteral("録音中に音声が%1回途切れ、合計%2秒の音声が失われました。\r\n該当トラック: %3")
                             .arg(run_.Losses().size())
                             .arg(seconds, 0, 'f', 1)
                             .arg(tracks.join(QStringLiteral(", "))) +
                         QStringLiteral("\r\n欠落の位置: ") + places.join(QStringLiteral(", ")) +
                         QStringLiteral("\r\n") + labelLine;
    if (!btnExitApps->isChecked()) {
        (void)GetUserMessages().Show(text.toStdString(), QString::fromUtf16(kTitle).toStdString(), MsgIcon::Warning,
                                     MsgButtons::Ok);
        return;
    }
    // Unattended: the warning goes to the log and stands on the screen
    // while the window closes as it was asked to.
    QString logged = text;
    logged.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fputs(("zolvane2: " + logged.toStdString() + "\n").c_str(), stderr);
    std::fflush(stderr);
    Dialogs().ShowNotice(this, QString::fromUtf16(kTitle), text);
}

void TfrmWaveInSample::MarkLossRows(const QString& labelFile) {
    std::map<std::int32_t, QStringList> byTrack;
    for (const CaptureLoss& loss : run_.Losses()) {
        byTrack[loss.track].append(Place(loss, run_.Rate()));
    }
    const std::string stem = TrackNaming::Stem(recordingSettings_.baseFileName);
    const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const auto& [track, places] : byTrack) {
        const QString path = QFileInfo(QString::fromStdString(TrackNaming::TrackFileName(
                                           stem, track, recordingSettings_.digits, recordingSettings_.Format())))
                                 .absoluteFilePath();
        for (int r = 0; r < RowCount(); ++r) {
            if (RowPath(r) != path) {
                continue;
            }
            QTreeWidgetItem* item = lvResult->topLevelItem(r);
            item->setIcon(0, mark);
            QString tip =
                QStringLiteral("このトラックでは録音中に音声が途切れました: ") + places.join(QStringLiteral(", "));
            if (!labelFile.isEmpty()) {
                tip += QStringLiteral("\n位置のラベル: ") + labelFile;
            }
            item->setToolTip(0, tip);
        }
    }
}

}  // namespace zolvane2
