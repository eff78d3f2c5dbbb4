// The recording desk: hearing the input while it records (sbMonitor) and
// the scheduled recording (btnSchedule), with its countdown, its place in
// the settings file and the report of a start that was missed.
//
// Threads: everything here runs on the main thread, except the monitor's
// failure handler, which the monitor calls on its own thread and which only
// queues the report for this one.
#include <QBoxLayout>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <chrono>

#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "jobs/TMyMemIniFile.h"
#include "platform/ErrorDisplay.h"
#include "platform/Errors.h"
#include "platform/UserMessages.h"

namespace zolvane2 {

namespace {

constexpr const char* kSection = "tsSetting";
constexpr const char* kScheduleKey = "ScheduledRecording";
constexpr char16_t kScheduleTitle[] = u"予約録音";

QDateTime ToQt(RecordingSchedule::WallTime time) {
    return QDateTime::fromSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count());
}

RecordingSchedule::WallTime FromQt(const QDateTime& time) {
    return RecordingSchedule::WallTime(std::chrono::seconds(time.toSecsSinceEpoch()));
}

QString Local(RecordingSchedule::WallTime time) {
    return ToQt(time).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString Length(RecordingSchedule::Seconds length) {
    return QString::fromStdString(RecordingSchedule::LengthText(length));
}

}  // namespace

void TfrmWaveInSample::CreateDeskControls(QBoxLayout* row, QWidget* parent) {
    sbMonitor = new QToolButton(parent);
    sbMonitor->setObjectName(QStringLiteral("sbMonitor"));
    sbMonitor->setText(QStringLiteral("モニター"));
    sbMonitor->setCheckable(true);
    sbMonitor->setToolTip(
        QStringLiteral("録音中の入力を既定の出力で聞きます (約0.1秒遅れ)。"
                       "録音中にも切り替えられます"));
    row->addWidget(sbMonitor);
    btnSchedule = new QPushButton(QStringLiteral("予約録音…"), parent);
    btnSchedule->setObjectName(QStringLiteral("btnSchedule"));
    btnSchedule->setToolTip(QStringLiteral("日時を決めて録音を予約します。予約中は取り消します"));
    row->addWidget(btnSchedule);
    lblSchedule = new QLabel(parent);
    lblSchedule->setObjectName(QStringLiteral("lblSchedule"));
    lblSchedule->setToolTip(QStringLiteral("予約録音の開始までの時間"));
    lblSchedule->hide();
    row->addWidget(lblSchedule);
    tmrSchedule = new QTimer(this);
    tmrSchedule->setObjectName(QStringLiteral("tmrSchedule"));
    tmrSchedule->setInterval(1000);
}

void TfrmWaveInSample::ConnectDeskControls() {
    sbMonitor->setProperty("HelpContext", 30);
    btnSchedule->setProperty("HelpContext", 31);
    connect(btnSchedule, &QPushButton::clicked, this, &TfrmWaveInSample::btnScheduleClick);
    // While idle the next run takes the button's state (ApplyDesk); a run
    // under way hears of it at once.
    connect(sbMonitor, &QToolButton::toggled, this, [this](bool on) {
        if (fWaveInThread != nullptr && !fWaveInThread->Idle()) {
            (void)fWaveInThread->Queue().Post(waveInMessages_.monitor, on ? 1 : 0);
        }
    });
    connect(tmrSchedule, &QTimer::timeout, this,
            [this] { ScheduleTick(std::chrono::system_clock::now(), std::chrono::steady_clock::now()); });
}

void TfrmWaveInSample::ApplyDesk(RecordingSettings& run) {
    scheduledRun_ = scheduledSeconds_.has_value();
    if (scheduledSeconds_) {
        run.recordingTime = *scheduledSeconds_;
        run.netTime = false;
        scheduledSeconds_.reset();
    }
    fWaveInThread->SetMonitor(sbMonitor->isChecked(), [this](const UserText& reason) {
        const QString text = QString::fromStdString(reason.Japanese());
        QMetaObject::invokeMethod(
            this, [this, text] { Dialogs().ShowNotice(this, QStringLiteral("モニター"), text); }, Qt::QueuedConnection);
    });
}

void TfrmWaveInSample::btnScheduleClick() {
    if (schedule_) {
        CancelSchedule();
        return;
    }
    const QDateTime start = QDateTime::currentDateTime().addSecs(3600);
    const auto chosen = Dialogs().AskSchedule(this, start, start.addSecs(3600));
    if (!chosen) {
        return;
    }
    if (chosen->second <= chosen->first) {
        ShowStandardError("予約録音の終了は開始より後にしてください。");
        return;
    }
    ArmSchedule(RecordingSchedule(FromQt(chosen->first), FromQt(chosen->second)), false);
    // A start already past is told at once, not a second later.
    ScheduleTick(std::chrono::system_clock::now(), std::chrono::steady_clock::now());
}

void TfrmWaveInSample::ArmSchedule(const RecordingSchedule& schedule, bool restored) {
    schedule_ = schedule;
    scheduleRestored_ = restored;
    btnSchedule->setText(QStringLiteral("予約取消"));
    lblSchedule->show();
    StoreSchedule();
    tmrSchedule->start();
}

void TfrmWaveInSample::CancelSchedule() {
    DisarmSchedule();
    StoreSchedule();
}

void TfrmWaveInSample::DisarmSchedule() {
    schedule_.reset();
    tmrSchedule->stop();
    btnSchedule->setText(QStringLiteral("予約録音…"));
    lblSchedule->hide();
    lblSchedule->clear();
}

void TfrmWaveInSample::ScheduleTick(RecordingSchedule::WallTime wall, RecordingSchedule::SteadyTime steady) {
    if (!schedule_) {
        return;
    }
    const RecordingSchedule::Step step = schedule_->Check(wall, steady);
    const QString span = Local(schedule_->Start()) + QStringLiteral(" – ") + Local(schedule_->End());
    QString why;
    if (step.lateness == RecordingSchedule::Lateness::Asleep) {
        why = QStringLiteral("(マシンがスリープしていたか、時計が変更されました)");
    } else if (step.lateness == RecordingSchedule::Lateness::Passed) {
        why = scheduleRestored_ ? QStringLiteral("(その時刻に Zolvane2 が起動していませんでした)")
                                : QStringLiteral("(予約した時点で開始時刻を過ぎていました)");
    }
    switch (step.kind) {
        case RecordingSchedule::Step::Kind::Wait:
            lblSchedule->setText(QStringLiteral("予約 ") + Local(schedule_->Start()) + QStringLiteral(" まで ") +
                                 Length(step.untilStart));
            return;
        case RecordingSchedule::Step::Kind::Missed:
            DisarmSchedule();
            StoreSchedule();
            ShowScheduleNotice(
                QStringLiteral("予約録音 %1 の時間は過ぎていました%2。何も録音していません。").arg(span, why));
            return;
        case RecordingSchedule::Step::Kind::Start:
            break;
    }
    DisarmSchedule();
    StoreSchedule();
    if (RecordingRunning() || fWaveInThread == nullptr || !fWaveInThread->Idle()) {
        ShowScheduleNotice(QStringLiteral("予約録音 %1 を始められませんでした: 録音中です。").arg(span));
        return;
    }
    scheduledSeconds_ = step.length.count();
    StartRecording();
    if (step.lateness != RecordingSchedule::Lateness::OnTime) {
        ShowScheduleNotice(QStringLiteral("予約録音 %1 の開始から %2 過ぎていました%3。残りの %4 を録音します。")
                               .arg(span, Length(step.late), why, Length(step.length)));
    }
    if (RecordingRunning()) {
        // Trigger and gap modes count the time from the first track; the
        // programme ends by the clock all the same.
        QTimer::singleShot(std::chrono::seconds(step.length.count() + 1), this, [this] {
            // Only the scheduled run: the user may have stopped it and
            // started another meanwhile.
            if (scheduledRun_ && RecordingRunning()) {
                btnStopClick();
            }
        });
    }
}

void TfrmWaveInSample::ShowScheduleNotice(const QString& text) {
    // The recording, and an unattended run, go on while it stands.
    Dialogs().ShowNotice(this, QString::fromUtf16(kScheduleTitle), text);
}

void TfrmWaveInSample::StoreSchedule() {
    try {
        if (schedule_) {
            // The per-user folder may not exist yet on a first start.
            QDir().mkpath(QFileInfo(DefaultSettingsFile()).absolutePath());
        }
        TMyMemIniFile ini(DefaultSettingsFile().toStdString());
        StoreSchedule(ini);
    } catch (const Error& e) {
        ShowStandardError(e.what());
    }
}

void TfrmWaveInSample::StoreSchedule(TMyMemIniFile& ini) const {
    const bool kept = !ini.ReadString(kSection, kScheduleKey, "").empty();
    if (kept) {
        ini.DeleteKey(kSection, kScheduleKey);
    }
    if (schedule_) {
        ini.WriteString(kSection, kScheduleKey, schedule_->ToText());
    }
}

void TfrmWaveInSample::RestoreSchedule() {
    std::optional<RecordingSchedule> kept;
    try {
        const TMyMemIniFile ini(DefaultSettingsFile().toStdString());
        kept = RecordingSchedule::FromText(ini.ReadString(kSection, kScheduleKey, ""));
    } catch (const Error&) {
        return;  // LoadSettings has told of a file that cannot be read
    }
    if (kept) {
        ArmSchedule(*kept, true);
        ScheduleTick(std::chrono::system_clock::now(), std::chrono::steady_clock::now());
    }
}

}  // namespace zolvane2
