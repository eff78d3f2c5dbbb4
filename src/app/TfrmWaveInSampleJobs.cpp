// Re-divide and combine: the commands that start a job thread (TCutThread,
// TCombineThread), its cancel button and its end notification.
//
// Threads: the commands, the cancel button and JobFinished run on the main
// thread. The job reaches the window only through calls that run on the main
// thread while it waits: SetProgress, AddFileToList for every kept file, and
// its end notification JobFinished. jobs_ holds the running job from its
// start until JobFinished; the job deletes itself right after JobFinished
// returned. Which commands a running job leaves available is UpdateCommands'
// to say.
#include <QCheckBox>
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/TRadioGroup.h"
#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/CombineChecks.h"
#include "jobs/TCombineThread.h"
#include "jobs/TCutThread.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/UserMessages.h"

namespace zolvane2 {

namespace {

// One checked, existing row as a job takes it.
struct JobSource {
    std::string path;
    std::int64_t dataOffset = 0;
    std::int64_t dataSize = 0;
    std::int32_t sampleRate = 0;
    std::int32_t channels = 0;
};

std::int64_t ToInt64(const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok ? static_cast<std::int64_t>(value) : 0;
}

std::int32_t ToInt32(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? static_cast<std::int32_t>(value) : 0;
}

// Progress goes to the bar and every kept file into the list; both calls
// arrive on the main thread while the job waits.
template <typename Job>
void ConnectJob(Job& job, TfrmWaveInSample& window) {
    job.SetOnProgress([&window](Thread& /*sender*/, std::int32_t percent) { window.SetProgress(percent); });
    job.SetOnFileFinished(
        [&window](const std::string& path) { window.AddFileToList(QString::fromStdString(path), -1); });
}

// The save dialog opens in the first source's folder with the name of the
// pieces it joins: "Track00001-Track00005.wav" (a file path, so the dialog
// shows that folder rather than the one above it).
QString CombinedFileName(const QString& first, const QString& last, const QString& suffix) {
    const QFileInfo from(first);
    const QString a = from.completeBaseName();
    const QString b = QFileInfo(last).completeBaseName();
    const QString stem = a == b ? a + QStringLiteral("-joined") : a + QLatin1Char('-') + b;
    return from.absolutePath() + QLatin1Char('/') + stem + QLatin1Char('.') + suffix;
}

void ShowMessage(const UserText& text, const UserText& caption) {
    (void)GetUserMessages().Show(text, caption, MsgIcon::None, MsgButtons::Ok);
}

}  // namespace

bool TfrmWaveInSample::JobRunning() const {
    return jobs_.Running();
}

void TfrmWaveInSample::btnDivideClick() {
    // The buttons are off while the player plays or a job runs; a click
    // that still arrives (queued before they went off) starts nothing.
    if (PlayerPlaying()) {
        return;
    }
    (void)RedivideFiles(-1, 0);
}

void TfrmWaveInSample::btnCombineClick() {
    if (PlayerPlaying() || JobRunning()) {
        return;
    }
    CombineFiles();
}

void TfrmWaveInSample::btnCancelClick() {
    jobs_.RequestCancel();
}

bool TfrmWaveInSample::RedivideFiles(int index, double splitSeconds) {
    // Only one job at a time: a second one would take over the cancel
    // button and the progress bar of the first.
    if (JobRunning()) {
        return false;
    }
    std::vector<JobSource> sources;
    std::int64_t total = 0;
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? RowCount() - 1 : std::min(index, RowCount() - 1);
    for (int row = first; row <= last; ++row) {
        if (!RowChecked(row) || !RefreshListItem(row)) {
            continue;
        }
        JobSource s;
        s.path = RowPath(row).toStdString();
        s.sampleRate = ToInt32(SubItem(row, 3));
        s.dataOffset = ToInt64(SubItem(row, 5));
        s.dataSize = ToInt64(SubItem(row, 6));
        s.channels = ChannelCode(SubItem(row, 2).toStdString());
        total += s.dataSize;
        sources.push_back(std::move(s));
    }

    // RAW sources are read with the settings as they stand; a rate that is
    // no number stops here, before anything is started.
    std::int32_t rawRate = 0;
    const std::int32_t rawChannels = rgRecMode->ItemIndex() + 1;
    for (const JobSource& s : sources) {
        if (LowerExtension(s.path) == ".raw" && rawRate == 0) {
            try {
                rawRate = SamplingFrequency();
            } catch (const Error& e) {
                ShowStandardError(e.what());
                return false;
            }
        }
    }

    (void)jobs_.Start(JobSlot::Kind::Redivide);
    UpdateCommands();

    const CuttingSettings settings = SettingsFromControls();
    auto* job = new TCutThread;
    if (index < 0) {
        settings.ApplyTo(*job);
        ShowShortTracksDropped(0);
    } else {
        job->SetUseTrigger(false);
        job->SetCutByInterval(false);
        job->SetIntervalSeconds(splitSeconds);
        job->SetCutOnce(true);
        job->SetFlacOutput(settings.Flac(), settings.tags);
    }
    job->SetTotalBytes(total);
    job->SetRawOutput(settings.RawOutput());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const JobSource& s = sources[i];
        names.push_back(s.path);
        const bool wave = LowerExtension(s.path) == ".wav";
        job->SetSampleRates(i, wave ? s.sampleRate : rawRate);
        job->SetChannelCounts(i, wave ? s.channels : rawChannels);
        job->SetDataOffsets(i, s.dataOffset);
        job->SetDataLengths(i, s.dataSize);
    }
    job->SetFileNames(std::move(names));
    job->SetDigits(settings.digits);
    ConnectJob(*job, *this);
    jobs_.Launch(*job, [this] { JobFinished(); });
    return true;
}

void TfrmWaveInSample::CombineFiles() {
    if (JobRunning()) {
        return;
    }
    std::vector<JobSource> sources;
    CombineParameters params;
    std::int64_t total = 0;
    for (int row = 0; row < RowCount(); ++row) {
        if (!RowChecked(row)) {
            continue;
        }
        if (!params.Take(ChannelCode(SubItem(row, 2).toStdString()), ToInt32(SubItem(row, 3)))) {
            ShowMessage(UserText(TextId::ParameterMismatch), kParameterMismatchCaption);
            lvResult->clearSelection();
            lvResult->setCurrentItem(lvResult->topLevelItem(row));
            lvResult->setFocus();
            return;
        }
        if (!RefreshListItem(row)) {
            continue;
        }
        JobSource s;
        s.path = RowPath(row).toStdString();
        s.dataOffset = ToInt64(SubItem(row, 5));
        s.dataSize = ToInt64(SubItem(row, 6));
        total += s.dataSize;
        sources.push_back(std::move(s));
    }
    if (params.Empty()) {
        return;
    }

    WindowDialogs::FileRequest request;
    // The recording page's format is offered first; FLAC follows the two
    // formats of old, whose places stay.
    request.filter = QStringLiteral("Windows Wave (*.wav);;RAW data (*.raw);;FLAC (*.flac)");
    const bool flacChosen = cbxFLACSave->isChecked();
    request.filterIndex = flacChosen ? 2 : cbxRAWSave->isChecked() ? 1 : 0;
    request.defaultSuffix = flacChosen ? QStringLiteral("flac") : QStringLiteral("wav");
    request.confirmOverwrite = true;
    if (!sources.empty()) {
        const QString suffix = flacChosen ? request.defaultSuffix
                                          : (cbxRAWSave->isChecked() ? QStringLiteral("raw") : QStringLiteral("wav"));
        request.initialPath = CombinedFileName(QString::fromStdString(sources.front().path),
                                               QString::fromStdString(sources.back().path), suffix);
    }
    const auto chosen = Dialogs().SaveFile(this, request);
    if (!chosen) {
        return;
    }
    std::string target = chosen->toStdString();
    // Setting the box runs its handler when the state changes, which also
    // gives the base file name the matching extension.
    cbxRAWSave->setChecked(LowerExtension(target) == ".raw");

    // A name ending in .flac is joined into FLAC, which has no 2 GB rule.
    const bool flac = LowerExtension(target) == ".flac";
    const CombineSizeCheck check = CheckCombineTarget(target, total, cbxRAWSave->isChecked() || flac);
    switch (check.verdict) {
        case CombineSizeVerdict::Go:
            break;
        case CombineSizeVerdict::NotEnoughSpace:
        case CombineSizeVerdict::OverFileSystemLimit:
            ShowMessage(check.text, check.caption);
            return;
        case CombineSizeVerdict::AskForRaw: {
            const MsgAnswer answer =
                GetUserMessages().Show(check.text, check.caption, MsgIcon::Question, MsgButtons::YesNoCancel);
            if (answer == MsgAnswer::Cancel) {
                return;
            }
            if (answer == MsgAnswer::Yes) {
                cbxRAWSave->setChecked(true);
                target = ReplaceExtension(target, ".raw");
            }
            break;
        }
    }

    // The output is created empty before any source is read, so a target
    // that is one of the sources would lose that source's audio.
    std::vector<std::string> names;
    names.reserve(sources.size());
    for (const JobSource& s : sources) {
        names.push_back(s.path);
    }
    if (TargetIsASource(target, names)) {
        ShowMessage(target + "\r\nは結合するファイルの一つなので、結合先にできません。", "Error");
        return;
    }

    (void)jobs_.Start(JobSlot::Kind::Combine);
    UpdateCommands();

    auto* job = new TCombineThread;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        job->SetDataOffsets(i, sources[i].dataOffset);
        job->SetDataLengths(i, sources[i].dataSize);
    }
    job->SetFileNames(std::move(names));
    job->SetTotalBytes(total);
    job->SetRawOutput(cbxRAWSave->isChecked());
    if (flac) {
        // The album's tags come along from a first piece in FLAC (every
        // checked file may have gone missing meanwhile).
        TrackTags tags = sources.empty() ? TrackTags{} : JoinedAlbumTags(sources.front().path);
        tags.title = tags.album;
        job->SetFlacOutput(FlacSettings{}, tags);
    }
    job->SetOutputFileName(target);
    job->SetSampleRate(params.frequency);
    job->SetChannels(params.channels);
    ConnectJob(*job, *this);
    jobs_.Launch(*job, [this] { JobFinished(); });
}

void TfrmWaveInSample::CancelJobAndWait() {
    // A running job is cancelled and its thread waited for, so it does not
    // add rows to a window that is going away. The wait runs the job's calls
    // to the main thread, JobFinished among them.
    btnCancelClick();
    jobs_.WaitForThread();
}

void TfrmWaveInSample::JobFinished() {
    const std::string error = jobs_.ErrorMessage();
    if (const std::optional<std::int32_t> dropped = jobs_.ShortPiecesDropped()) {
        ShowShortTracksDropped(*dropped);
    }
    std::string gapWarnings;
    for (const UserText& warning : jobs_.GapWarnings()) {
        gapWarnings += (gapWarnings.empty() ? "" : "\r\n") + warning.Japanese();
    }
    ProgressBar1->setValue(0);
    jobs_.Finish();
    UpdateCommands();

    // The job stopped early on this error; the user learns of it once.
    if (!error.empty()) {
        ShowStandardError(error);
    }
    // The pieces are cut all the same; the user learns where the track count
    // could not be met.
    if (!gapWarnings.empty()) {
        (void)GetUserMessages().Show(gapWarnings, "無音区間で切り出す", MsgIcon::Warning, MsgButtons::Ok);
    }
    // A split asked for during the job runs now, once the job's thread has
    // let go of the window.
    if (playback_.SplitsWaiting()) {
        QMetaObject::invokeMethod(this, &TfrmWaveInSample::RunPendingSplit, Qt::QueuedConnection);
    }
}

void TfrmWaveInSample::ConnectJobCommands() {
    connect(btnDivide, &QToolButton::clicked, this, &TfrmWaveInSample::btnDivideClick);
    connect(btnCombine, &QToolButton::clicked, this, &TfrmWaveInSample::btnCombineClick);
    connect(btnCancel, &QToolButton::clicked, this, &TfrmWaveInSample::btnCancelClick);
}

}  // namespace zolvane2
