#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jobs/CutPlan.h"
#include "jobs/CutPointLog.h"
#include "jobs/LevelOverview.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zolvane2 {

class TBackgroundTask;
class TMyMemIniFile;
class TWaveOutPlayer;
class TWaveView;
class TfrmWaveInSample;
class WindowDialogs;

// The page "区切り確認": one file of the result list with its levels, the
// pieces it would be cut into, their titles, listening around the cuts, and
// the cut itself. The pieces come from the gap finder, the trigger rules,
// a label file or cue sheet, or a label file left beside the source by an
// earlier review, which is taken up again when the file is opened.
//
// Threads: main thread. The levels and the gap finder's pass are read by a
// TBackgroundTask each, polled by tmrReview; the trigger rules' dry run and
// the cut run as the window's job.
//
// Parts by concern: TReviewPage.cpp (layout, opening, the views),
// TReviewPageEdit.cpp (proposals, edits, the piece list, the track list),
// TReviewPageCut.cpp (listening, the cut, the label file).
class TReviewPage final : public QWidget {
    Q_OBJECT
public:
    // What a row of the result list tells of its file.
    struct Source {
        QString path;
        std::int64_t dataOffset = 0;
        std::int64_t dataSize = 0;
        std::int32_t sampleRate = 0;
        std::int32_t channels = 0;
    };

    TReviewPage(TfrmWaveInSample& window, WindowDialogs& dialogs, QWidget* parent);
    ~TReviewPage() override;

    // Starts reading the file's levels; a read still running for another
    // file is cancelled.
    void Open(const Source& source);
    [[nodiscard]] const Source& Current() const { return source_; }
    [[nodiscard]] bool LevelsReady() const { return overview_ != nullptr; }
    [[nodiscard]] bool Busy() const;
    [[nodiscard]] const CutPlan& Plan() const { return plan_; }
    // Where the cut points of the open file are kept.
    [[nodiscard]] std::string LabelPath() const;
    // Runs the poll at once (tests wait with it instead of the timer).
    void Poll();
    // The dB scale and the format of the cut, kept in the settings file.
    void LoadChoices(const TMyMemIniFile& ini);
    void SaveChoices(TMyMemIniFile& ini) const;

    // ---- edits (Edit.cpp) ------------------------------------------------
    void btnProposeGapsClick();
    void btnProposeTriggerClick();
    void btnLoadCutsClick();
    void btnReviewUndoClick();
    void btnReviewRedoClick();
    void btnSplitPieceClick();
    void btnJoinPiecesClick();
    void btnDeleteCutClick();
    void btnPasteTrackListClick();
    void btnOpenTrackListClick();
    // Takes a track list: the titles now, the times for the gap finder.
    bool TakeTrackList(const std::string& text, const QString& origin);
    // A boundary dragged to frame; snapped to the quietest point near it.
    void MoveBoundary(int index, std::int64_t frame, bool snap);
    void AddBoundary(std::int64_t frame);
    void DeleteBoundary(int index);

    // ---- listening and cutting (Cut.cpp) ---------------------------------
    void btnPlayCursorClick();
    void btnPlayAroundClick();
    void btnPlayPieceClick();
    void btnReviewStopClick();
    void btnSaveCutsClick();
    void btnReviewCutClick();
    // Writes the label file beside the source unless something that is no
    // label file of ours is there; false after saying why.
    bool SaveCutPoints(const std::string& outputBase, int digits);

private:
    void CreateControls();
    void ConnectControls();
    void AssignHelpContexts();
    QToolButton* Tool(const char* name, const char* text, const char* hint, QWidget* parent);
    // The plan changed: views, piece list, buttons.
    void PlanChanged();
    void FillPieceList();
    void UpdateButtons();
    void UpdateViews();
    void ShowStatus(const QString& text);
    void LevelsRead();
    void GapsFound();
    void TakeProposal(const std::vector<CutPoint>& ranges);
    void StartGapTask();
    void TriggerRunEnded();
    void CutEnded();
    void lvPiecesChanged(QTreeWidgetItem* item, int column);
    void CursorMoved(std::int64_t frame);
    void PlayRange(std::int64_t from, std::int64_t to);
    void ShowPlayPosition();
    [[nodiscard]] std::vector<std::int16_t> ReadFrames(std::int64_t from, std::int64_t count);
    [[nodiscard]] std::int64_t FrameBytes() const { return 2 * static_cast<std::int64_t>(source_.channels); }
    [[nodiscard]] QString TimeText(std::int64_t frame) const;
    [[nodiscard]] int SelectedPiece() const;
    void ShowError(const QString& text) const;

    TfrmWaveInSample& window_;
    WindowDialogs& dialogs_;
    Source source_;
    std::int64_t frames_ = 0;
    CutPlan plan_;
    std::unique_ptr<LevelOverview> overview_;
    std::unique_ptr<TBackgroundTask> levelTask_;
    std::unique_ptr<TBackgroundTask> gapTask_;
    // Kept by the tasks' bodies, read once they are done.
    struct LevelResult;
    std::shared_ptr<LevelResult> levelResult_;
    struct GapResult;
    std::shared_ptr<GapResult> gapResult_;
    CutPointLog triggerLog_;
    bool triggerRunning_ = false;
    QString triggerSource_;  // the file the trigger pass reads
    bool cutRunning_ = false;
    // Of the running cut: whether its pieces take their titles into their
    // names at its end, the titles, and the pieces written so far.
    bool renameWritten_ = false;
    std::vector<std::string> cutTitles_;
    std::vector<std::string> written_;
    // From the track list: titles and times.
    std::vector<std::string> trackTitles_;
    std::vector<double> trackSeconds_;
    std::unique_ptr<TWaveOutPlayer> player_;
    std::int64_t playFrom_ = 0;
    // From Play until the player's end event: the player may not have
    // started yet, and the position is drawn until it has ended.
    bool playing_ = false;
    bool filling_ = false;

    // ---- controls, by the names the help and the tests use ---------------
    QToolButton* btnReviewOpen = nullptr;
    QLabel* lblReviewFile = nullptr;
    QToolButton* btnProposeGaps = nullptr;
    QLabel* lblReviewTrackCount = nullptr;
    QSpinBox* sedtReviewTrackCount = nullptr;
    QToolButton* btnProposeTrigger = nullptr;
    QToolButton* btnLoadCuts = nullptr;
    QCheckBox* cbxReviewDb = nullptr;
    TWaveView* imgOverview = nullptr;
    TWaveView* imgZoom = nullptr;
    QToolButton* btnReviewUndo = nullptr;
    QToolButton* btnReviewRedo = nullptr;
    QToolButton* btnSplitPiece = nullptr;
    QToolButton* btnJoinPieces = nullptr;
    QToolButton* btnDeleteCut = nullptr;
    QToolButton* btnPlayCursor = nullptr;
    QToolButton* btnPlayAround = nullptr;
    QToolButton* btnPlayPiece = nullptr;
    QToolButton* btnReviewStop = nullptr;
    QLabel* lblReviewPosition = nullptr;
    QTreeWidget* lvPieces = nullptr;
    QToolButton* btnPasteTrackList = nullptr;
    QToolButton* btnOpenTrackList = nullptr;
    QComboBox* cbReviewFormat = nullptr;
    QToolButton* btnSaveCuts = nullptr;
    QToolButton* btnReviewCut = nullptr;
    QToolButton* btnReviewCancel = nullptr;
    QLabel* lblReviewStatus = nullptr;
    QTimer* tmrReview = nullptr;
};

}  // namespace zolvane2
