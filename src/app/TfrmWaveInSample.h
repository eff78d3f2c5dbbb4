#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/JobSlot.h"
#include "app/LevelMeterNumbers.h"
#include "app/PlaybackSession.h"
#include "app/RecordingRun.h"
#include "app/TfrmWaveInSampleControls.h"
#include "jobs/CuttingSettings.h"
#include "platform/Message.h"
#include "platform/NotifyWindow.h"
#include "platform/SoundInput.h"
#include "record/PeakMeter.h"
#include "record/RecordingSchedule.h"
#include "record/TWaveInThread.h"

// The controls' classes come with TfrmWaveInSampleControls.h.
class QAbstractButton;
class QBoxLayout;
class QHBoxLayout;
class QLayout;
class QTreeWidgetItem;

namespace zolvane2 {

class TDropFileSource;
class TMyMemIniFile;
class TCutThread;
class TShellAboutDialog;
class WindowDialogs;
// The engines the window drives; they live in the Qt-free layers.
class TWaveInThread;
class TWaveOutPlayer;
class TMemoryStream;
class Thread;
struct ThreadState;

// Where the window finds its program file, its command line and its dialogs.
// The program passes its own; tests pass a program path in a temporary folder
// and a dialog service that answers from a script.
struct TWindowOptions {
    QString programPath;               // empty: the running program's file
    QStringList arguments;             // the command line after the program name
    WindowDialogs* dialogs = nullptr;  // null: the real Qt dialogs
};

// The main window: the result list, the recording display, the two settings
// pages and the button bar. One class whose parts live in files by concern:
//   TfrmWaveInSample.cpp              construction, layout of the button bar
//   TfrmWaveInSampleMainPage.cpp      layout of the page "録音表示"
//   TfrmWaveInSampleSettingPages.cpp  layout of the two settings pages
//   TfrmWaveInSampleLifecycle.cpp     creation, show, close, command line, help
//   TfrmWaveInSampleSettings.cpp      settings file and the setting buttons
//   TfrmWaveInSampleEstimate.cpp      recording-size estimate, RAW switch
//   TfrmWaveInSampleList.cpp          the result list and its commands
//   TfrmWaveInSampleFileCommands.cpp  delete, renumber, check files
//   TfrmWaveInSampleDragDrop.cpp      files dropped in, rows dragged out
//   TfrmWaveInSampleRecording.cpp     recording control
//   TfrmWaveInSamplePlayback.cpp      playback control
//   TfrmWaveInSampleLevel.cpp         level display
//   TfrmWaveInSampleJobs.cpp          re-divide and combine commands
//   TfrmWaveInSampleCommands.cpp      which commands are available
//   TfrmWaveInSampleDevices.cpp       the input device list
//   TfrmWaveInSampleMinimumLength.cpp minimum track length, run note
//   TfrmWaveInSampleKeys.cpp          keys and tooltips
//   TfrmWaveInSampleCutModes.cpp      gap mode's boxes, which boxes each
//                                     cutting mode uses
//   TfrmWaveInSampleReview.cpp        the page "区切り確認" (TReviewPage)
//   TfrmWaveInSampleDesk.cpp          monitoring and the scheduled recording
//   TfrmWaveInSampleLosses.cpp        audio a run lost: warning, labels, marks
//   TfrmWaveInSampleControls.h        the handles of the controls, by name
//
// Each concern connects its own controls in its file. The state of a
// recording run, a playback, the job slot and the level numbers lives in
// small objects of its own (RecordingRun, PlaybackSession, JobSlot,
// LevelMeterNumbers); the handlers read and change it there, then call
// UpdateCommands, the one place that enables or disables the commands.
//
// Threads: everything here runs on the main thread. Workers reach the window
// only through the main-thread dispatcher (posted messages, synchronised
// calls such as AddFileToList).
class TfrmWaveInSample final : public QWidget, private TfrmWaveInSampleControls {
    Q_OBJECT
public:
    explicit TfrmWaveInSample(TWindowOptions options = {}, QWidget* parent = nullptr);
    ~TfrmWaveInSample() override;

    // ---- files of the program -------------------------------------------
    [[nodiscard]] QString ProgramPath() const { return programPath_; }
    // Beside the program when its folder is writable, else in the user's
    // configuration folder.
    [[nodiscard]] QString DefaultSettingsFile() const;
    // Beside the program when its folder is writable, else in the music folder.
    [[nodiscard]] QString DefaultBaseFileName() const;

    // ---- lifecycle (Lifecycle.cpp) ---------------------------------------
    void FormCreate();
    void FormShow();
    void FormDestroy();
    [[nodiscard]] bool AutoStartPending() const { return autoStart_; }
    // A close that asks nothing, also while recording: the session ends
    // (SIGTERM, SIGHUP). The recording is finished as by Stop.
    void CloseWithoutQuestion();
    void btnRefFileClick();
    void btnHelpClick();
    // The window's commands beyond its buttons; 1034 opens the about box.
    void SystemCommand(int command);
    static constexpr int kAboutCommand = 1034;

    // ---- settings (Settings.cpp) -----------------------------------------
    // An empty name means the default settings file. Errors of the file
    // propagate (FileOpenError, FileCreateError, WriteError).
    void LoadSettings(const QString& fileName);
    void SaveSettings(const QString& fileName);
    void btnSaveSettingClick();
    void btnLoadSettingClick();
    void btnDefaultSettingClick();
    // -1 when the text was typed rather than picked from the list.
    [[nodiscard]] int SamplingFreqItemIndex() const;

    // ---- recording-size estimate (Estimate.cpp) ---------------------------
    void edtConditionsChange();
    void cbxRAWSaveClick();

    // ---- result list (List.cpp) ------------------------------------------
    void AddFileToList(const QString& path, int row);
    [[nodiscard]] bool RefreshListItem(int row);
    [[nodiscard]] QString RowPath(int row) const;
    [[nodiscard]] QString SubItem(int row, int subItem) const;
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] bool RowChecked(int row) const;
    void SetRowChecked(int row, bool checked);
    void btnCheckClick(bool check);
    void btnInvertCheckClick();
    void btnRemoveClick();
    void btnClearClick();
    void btnOpenWaveClick();
    void btnOpenListClick();
    void btnSaveClick();
    void btnCopyClick();
    void lvResultColumnClick(int column);
    // Renames the row's file; the caption follows only when the rename worked.
    void lvResultEdited(int row, const QString& newText);
    [[nodiscard]] int SortDirection(int column) const { return sortDirection_.at(static_cast<std::size_t>(column)); }
    // The lines of the list file and of the clipboard text.
    [[nodiscard]] QString ListText() const;

    // ---- file commands (FileCommands.cpp) --------------------------------
    void btnDeleteClick();
    void btnRenameClick();
    void btnCheckFileClick();

    // ---- drag and drop (DragDrop.cpp) -----------------------------------
    void lvResultMouseDown(Qt::MouseButton button, const QPoint& at);
    void lvResultMouseMove(Qt::MouseButtons buttons, const QPoint& at);
    void SetDropFileSource(TDropFileSource* source);  // takes ownership
    [[nodiscard]] bool DragInProgress() const { return dragging_; }

    // ---- recording control (Recording.cpp) -------------------------------
    void btnRecordClick();
    void btnStopClick();
    void btnNextTrackClick();
    void sbAutoIDClick();
    void rbtnUseTriggerClick();
    void rbtnNoCutClick();
    // Greys out the cutting page's boxes the chosen mode does not read, and
    // all of them while the settings are locked.
    void UpdateCutModeControls();
    void SetProgress(int percent);
    [[nodiscard]] bool RecordingRunning() const;
    // The capture thread (null when the window has none or it was told to quit).
    [[nodiscard]] TWaveInThread* WaveInThread() const { return fWaveInThread; }
    // Where the capture thread posts its reports to this window.
    [[nodiscard]] NotifyWindow* MessageTarget() const { return notifyWindow_.get(); }
    // Audio lost in the recording run so far (or the last one), as its
    // capture thread reported it.
    [[nodiscard]] const std::vector<CaptureLoss>& RecordingLosses() const { return run_.Losses(); }

    // ---- playback control (Playback.cpp) ---------------------------------
    void btnPlayClick();
    void btnStopPlayClick();
    void btnNextClick();
    void btnPrevClick();
    void btnIntroClick();
    void tbrProgressChange(int position);
    // From the start of a playback until FinishPlayback, also between files.
    [[nodiscard]] bool PlayerPlaying() const;
    void fPlayerPlayEnd();
    // The playback side of "次File": stops the playing file to split it at
    // the current position. False when no file plays (the click is then the
    // recorder's).
    bool SplitPlayingFile();
    void RunPendingSplit();
    // The player component, made on first use.
    [[nodiscard]] TWaveOutPlayer& Player();

    // ---- level display (Level.cpp) ---------------------------------------
    // The level-data event of both audio threads: one block of interleaved
    // 16-bit samples, on the main thread while the feeding thread waits.
    void DisplayWaveData(Thread* Sender, TMemoryStream& ReceivedData);
    // Trigger lines, channel count, history slot, numbers and the peak meter
    // for a new run; the rate counts the meter's hold and quiet time.
    void PrepareLevelDisplay(int triggerLevel, int channels, int sampleRate = 44100);
    // The clip lamp goes out (a click on it does the same).
    void lblClipClick();
    [[nodiscard]] const PeakMeter& Meter() const { return peakMeter_; }
    void btnResetClick(int channel);
    void btnShowWaveClick();

    // ---- re-divide and combine (Jobs.cpp) --------------------------------
    void btnDivideClick();
    void btnCombineClick();
    void btnCancelClick();
    // index -1: every checked row, cut by the cutting page. index >= 0: that
    // row, when checked, split once splitSeconds after its start; this is the
    // player's split at "次File" (PlayingIndex, SamplePosition / SamplesPerSec).
    // Answers whether a job was started: not while another job runs.
    bool RedivideFiles(int index, double splitSeconds);
    void CombineFiles();
    // The end notification of either job: buttons back, progress 0, and the
    // error that ended the job early, when there was one, shown once.
    void JobFinished();
    [[nodiscard]] bool JobRunning() const;
    // The job slot; tests hold it to stand for a job that runs.
    [[nodiscard]] JobSlot& Jobs() { return jobs_; }

    // ---- review page (Review.cpp) ----------------------------------------
    // Opens the row's file on the page "区切り確認" and shows the page.
    void OpenRowInReview(int row);
    // The current row of the list, else the first checked one, else a file
    // chosen in a dialog.
    void OpenCurrentRowInReview();
    // Runs a job of the review page in the job slot, as a re-divide: its
    // progress in the bar, each piece it keeps to onPiece, then JobFinished
    // and afterEnd. False while another job runs.
    bool LaunchReviewJob(TCutThread& job, std::function<void(const std::string&)> onPiece,
                         std::function<void()> afterEnd);
    [[nodiscard]] CuttingSettings ReviewCuttingSettings() const { return SettingsFromControls(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Files of the program.
    // Beside the program (a build folder, an unpacked copy), else in the data
    // folder of an installation; the place beside the program when neither exists.
    [[nodiscard]] QString HelpFile() const;

    // Lifecycle.
    void ApplyCommandLine(const QStringList& arguments);
    void ShowHelpContext(int context);

    // Recording-size estimate.
    void UpdateRecordingEstimate();
    // The text of the sampling-rate box as an integer; a text that is no
    // integer raises Error with the conversion message naming it.
    [[nodiscard]] int SamplingFrequency() const;

    // Settings. Between loading and saving they live in the controls: these
    // read them out when values are needed and put loaded or default ones in.
    [[nodiscard]] CuttingSettings SettingsFromControls() const;
    void ShowSettings(const CuttingSettings& settings);
    // The settings last put in the controls.
    CuttingSettings shownSettings_;
    // The boxes that hold a setting just as it is stored, in loading order.
    [[nodiscard]] std::array<std::pair<QSpinBox*, std::int32_t CuttingSettings::*>, 15> SpinSettings() const;
    // The RAW box is not among them: it goes with the base name.
    [[nodiscard]] std::array<std::pair<QAbstractButton*, bool CuttingSettings::*>, 6> CheckSettings() const;

    // Command availability: the recording, playback and job buttons and the
    // list's commands, derived from the run, the playback, the job slot and
    // the row count. Called after every change of one of them.
    void UpdateCommands();

    // Drag and drop.
    void DropFiles(const QStringList& paths);

    // Recording control.
    void StartRecording();
    void SetRecordingControlsEnabled(bool enabled);

    // Input devices.
    // Lists the input devices again; the wanted device stays chosen by its
    // server name wherever it now stands.
    void RefreshDeviceList();
    // Lists them again when the sound server has told of a change since the
    // last listing, unless a recording runs or the list is open; those call
    // it again when they end.
    void RefreshChangedDevices();
    // The server's name of the device at an index of the list; empty for the
    // default entry.
    [[nodiscard]] QString DeviceNameAt(int index) const;
    // The device the user chose or the settings named, also while unplugged.
    [[nodiscard]] QString PreferredDeviceName() const { return preferredDeviceName_; }
    bool SelectDeviceByName(const QString& name);
    // Chooses the device by name now, or as soon as it is plugged in.
    void SetPreferredDevice(const QString& name);

    // Playback control.
    void FinishPlayback();
    // False when the file is missing or unreadable (the reader reported it).
    bool LoadPlayerFile(const QString& fileName);
    // Splits the listed file once, seconds after its start; while a job runs
    // the split waits and runs when the job has ended.
    void SplitFile(const QString& fileName, double seconds);

    // Level display.
    void ClearWaveDisplay(bool idle);
    void ResetLevelNumbers(int channel);

    // Layout (TfrmWaveInSample.cpp, MainPage.cpp, SettingPages.cpp).
    void CreateControls();
    void CreateButtonBar();
    void CreateMainPage();
    void CreateListTools(QWidget* parent);
    void CreateStatusPanel(QWidget* parent);
    void CreateLevelDisplay(QWidget* parent);
    // The peak meter's column: the clip lamp, the bars and the quiet reading.
    QLayout* CreatePeakMeter(QWidget* parent);
    void CreateResultList();
    void CreateSettingPage();
    void CreateCutPage();
    void CreateReviewPage();
    // Appends to row a caption lbl<name> (returned) and boxes sedt<name>H/M/S
    // with their unit labels, set to the hours, minutes and seconds given.
    QLabel* AddTimeRow(QHBoxLayout* row, QWidget* page, const char* name, const char* caption, const QString& hint,
                       const std::array<std::pair<QSpinBox**, QLabel**>, 3>& parts, const std::array<int, 3>& values);
    // Follows the server's changes to the input devices.
    void CreateDeviceWatch();
    // No one-line box takes a file drop or holds a line break.
    void KeepBoxesSingleLine();
    // The minimum track length row of the cutting page and the note under
    // the result list that says how many short tracks a run left out.
    void CreateMinimumTrackLengthRow(QWidget* page, QBoxLayout* layout);
    void CreateRunNote(QWidget* page, QBoxLayout* layout);
    void ShowShortTracksDropped(int count) const;
    // Gap mode's button and the row of its boxes.
    void CreateGapRow(QWidget* page, QBoxLayout* layout);
    void ConnectCutModes();
    void ConnectControls();
    void ConnectRecordingControls();
    void ConnectListCommands();
    void ConnectFileCommands();
    void ConnectJobCommands();
    void ConnectPlaybackControls();
    void ConnectLevelControls();
    void ConnectEstimate();
    void ConnectSettingButtons();
    void ConnectHelpAndFileButtons();
    // Keys (Keys.cpp): Ctrl+R, Ctrl+. and Esc, Ctrl+N, Space in the list.
    void ConnectKeys();
    void AssignToolTips();
    void AssignHelpContexts();
    QToolButton* ToolButton(const char* name, const char* themeIcon, int fallbackIcon, const char* hint,
                            QWidget* parent);
    QSpinBox* SpinEdit(const char* name, int minimum, int maximum, int value, int width, QWidget* parent);

    // Lifecycle and engines: places for the recording, playback and job
    // engines to hook into creation and shutdown.
    void CreateCaptureThread();
    // Stops what runs before the settings are saved at close: a recording
    // run is stopped, a job cancelled, playback stopped, each waited for.
    void StopRunningWork();
    void StopRecordingAndWait();
    void StopPlaybackAndWait();
    void CancelJobAndWait();
    void QuitCaptureThread();
    void HandleMessage(const Message& message);
    void OnTriggered(const TWaveInReport& report);
    void OnRecEnd(const TWaveInReport& report);
    void OnRecFinish(const TWaveInReport& report);
    void OnRecLost(const TWaveInReport& report);
    void tmrRecordingTimeTimer();
    void tmrTrackTimeTimer();
    void tmrPauseTimer();
    // A track's or a playing file's time in the status panel.
    void ShowTrackTime(double elapsedSeconds);

    // List helpers.
    [[nodiscard]] QTreeWidgetItem* Row(int row) const;
    void SortRows(int column);

    [[nodiscard]] WindowDialogs& Dialogs() const;

    TWindowOptions options_;
    QString programPath_;
    std::unique_ptr<WindowDialogs> ownDialogs_;
    std::unique_ptr<TShellAboutDialog> ShellAboutDialog1;
    std::unique_ptr<TDropFileSource> DropFileSource1;
    std::unique_ptr<NotifyWindow> notifyWindow_;

    // Lifecycle.
    bool autoStart_ = false;
    bool autoQuit_ = false;  // /AUTOQUIT: the run is unattended
    bool closeWithoutQuestion_ = false;
    bool shown_ = false;
    bool destroyed_ = false;

    // Registered messages shared with the capture thread.
    TWaveInMessages waveInMessages_;

    // Input devices as last listed, and the one wanted.
    std::vector<InputDeviceInfo> devices_;
    QString preferredDeviceName_;
    // Set by the watch's thread when the server told of a change, cleared
    // when the list is read; the watch goes first.
    std::shared_ptr<std::atomic<bool>> devicesChanged_;
    std::unique_ptr<InputDeviceWatch> deviceWatch_;

    // Result list.
    std::array<int, 6> sortDirection_{1, 1, 1, 1, 1, 1};

    // Drag out of the list.
    QPoint dragStart_;
    bool dragging_ = false;

    // Engines. The capture thread frees itself after it was told to quit;
    // the player belongs to the window.
    TWaveInThread* fWaveInThread = nullptr;
    TWaveOutPlayer* fPlayer = nullptr;

    // Recording control.
    // From StartRecording to WM_RecFinish: the run " REC " stands for.
    RecordingRun run_;
    // False while a run locks the settings.
    bool settingsEditable_ = true;
    std::shared_ptr<ThreadState> waveInThreadState_;
    // The end of a run that lost audio: the warning names each place, the
    // label file of the losses is written and the tracks' rows are marked.
    // The warning waits for nobody when the window is to close by itself.
    void ShowRecordingLosses();
    void MarkLossRows(const QString& labelFile);
    // The run as handed to the capture thread at the start; it names the
    // run's files (the thread may be gone when its last report is handled).
    RecordingSettings recordingSettings_;
    void SetApplicationTitleText(const QString& state);

    // Playback control.
    bool AcceptSeek = true;
    PlaybackSession playback_;
    // The first checked row after `after` whose file is there starts playing.
    bool StartPlayingFrom(int after);
    bool StartPlayingRow(int row);
    [[nodiscard]] int NextCheckedRow(int after) const;
    void tmrPlayTimeTimer();

    // Re-divide and combine: the running job, its thread and its handle.
    JobSlot jobs_;

    // Level display.
    void UpdateWaveScale();
    void ShowPeakMeter();
    LevelMeterNumbers levelNumbers_;

public:
    // ---- the desk: monitoring and the scheduled recording (Desk.cpp) -----
    void btnScheduleClick();
    // Arms a schedule, shows its countdown and keeps it in the settings
    // file (restored: read from there at the start).
    void ArmSchedule(const RecordingSchedule& schedule, bool restored);
    void CancelSchedule();
    [[nodiscard]] const std::optional<RecordingSchedule>& Schedule() const { return schedule_; }
    // The look of tmrSchedule at the clocks given: the countdown, the start,
    // or the report of a start that was missed.
    void ScheduleTick(RecordingSchedule::WallTime wall, RecordingSchedule::SteadyTime steady);

private:
    void CreateDeskControls(QBoxLayout* row, QWidget* parent);
    void ConnectDeskControls();
    // The run about to start: a scheduled one's length, and the monitor.
    void ApplyDesk(RecordingSettings& run);
    void DisarmSchedule();
    // The armed schedule in the default settings file, after the keys of
    // its section; none there when none is armed.
    void StoreSchedule();
    void StoreSchedule(TMyMemIniFile& ini) const;
    void RestoreSchedule();
    void ShowScheduleNotice(const QString& text);
    std::optional<RecordingSchedule> schedule_;
    bool scheduleRestored_ = false;
    std::optional<std::int64_t> scheduledSeconds_;  // the next run's length
    bool scheduledRun_ = false;                     // the run now is a scheduled one
    PeakMeter peakMeter_;
};

}  // namespace zolvane2
