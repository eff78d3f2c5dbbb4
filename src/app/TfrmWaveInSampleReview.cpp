// The page "区切り確認" as the window holds it: the page itself, the list's
// ways to open a file there, and the job slot its trigger pass and its cut
// run in.
#include <QAction>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TReviewPage.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/CombineChecks.h"
#include "jobs/TCutThread.h"

namespace zolvane2 {

void TfrmWaveInSample::CreateReviewPage() {
    // Like the settings pages it scrolls when the window is smaller than it,
    // so that it leaves the window's default size as it is.
    auto* area = new QScrollArea(PageControl1);
    area->setObjectName(QStringLiteral("tsReviewArea"));
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    tsReview = new TReviewPage(*this, Dialogs(), area);
    area->setWidget(tsReview);
    PageControl1->addTab(area, QStringLiteral("区切り確認"));
    connect(btnReview, &QToolButton::clicked, this, &TfrmWaveInSample::OpenCurrentRowInReview);
    btnReview->setProperty("HelpContext", 40);

    auto* open = new QAction(QStringLiteral("区切り確認で開く"), lvResult);
    open->setObjectName(QStringLiteral("actReview"));
    open->setToolTip(btnReview->toolTip());
    lvResult->addAction(open);
    lvResult->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(open, &QAction::triggered, this, &TfrmWaveInSample::OpenCurrentRowInReview);
}

void TfrmWaveInSample::OpenRowInReview(int row) {
    if (row < 0 || row >= RowCount() || !RefreshListItem(row)) {
        return;
    }
    TReviewPage::Source source;
    source.path = RowPath(row);
    source.sampleRate = SubItem(row, 3).toInt();
    source.channels = ChannelCode(SubItem(row, 2).toStdString());
    source.dataOffset = SubItem(row, 5).toLongLong();
    source.dataSize = SubItem(row, 6).toLongLong();
    PageControl1->setCurrentWidget(PageControl1->findChild<QScrollArea*>(QStringLiteral("tsReviewArea")));
    tsReview->Open(source);
}

void TfrmWaveInSample::OpenCurrentRowInReview() {
    int row = lvResult->currentItem() != nullptr ? lvResult->indexOfTopLevelItem(lvResult->currentItem()) : -1;
    for (int r = 0; row < 0 && r < RowCount(); ++r) {
        if (RowChecked(r)) {
            row = r;
        }
    }
    if (row < 0) {
        WindowDialogs::FileRequest request;
        request.title = QStringLiteral("区切りを確認するファイル");
        request.filter = QStringLiteral("録音ファイル (*.wav *.raw *.flac);;すべてのファイル (*)");
        const auto chosen = Dialogs().OpenFile(this, request);
        if (!chosen) {
            return;
        }
        AddFileToList(*chosen, -1);
        row = RowCount() - 1;
    }
    OpenRowInReview(row);
}

bool TfrmWaveInSample::LaunchReviewJob(TCutThread& job, std::function<void(const std::string&)> onPiece,
                                       std::function<void()> afterEnd) {
    if (PlayerPlaying() || !jobs_.Start(JobSlot::Kind::Redivide)) {
        return false;
    }
    UpdateCommands();
    job.SetOnProgress([this](Thread& /*sender*/, std::int32_t percent) { SetProgress(percent); });
    if (onPiece) {
        job.SetOnFileFinished(std::move(onPiece));
    }
    jobs_.Launch(job, [this, afterEnd = std::move(afterEnd)] {
        JobFinished();
        afterEnd();
    });
    return true;
}

}  // namespace zolvane2
