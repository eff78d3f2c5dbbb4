// Command availability: which buttons of the window can be used, derived in
// one place from the recording run, the playback, the job slot and the rows
// of the list. Every change of one of these calls UpdateCommands; no other
// code enables or disables these buttons.
//
// Threads: main thread only.
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

void TfrmWaveInSample::UpdateCommands() {
    const bool rows = RowCount() > 0;
    const bool recording = RecordingRunning();
    const bool playing = PlayerPlaying();
    const bool job = JobRunning();

    // The capture thread starts one run at a time, and not beside a playback
    // (the two would meet in the status panel); Stop belongs to the run.
    btnRecord->setEnabled(!recording && !playing);
    btnStop->setEnabled(recording);
    // During playback "次File" splits the playing file; once asked, the split
    // waits for the player to stop.
    btnNextTrack->setEnabled(!playback_.SplitAsked());

    // The player's files are neither deleted, renumbered, cut nor joined
    // under it; a job's own commands wait for it to end.
    for (QToolButton* b : {btnPlay, btnDelete, btnRename}) {
        b->setEnabled(rows && !playing);
    }
    for (QToolButton* b : {btnCombine, btnDivide}) {
        b->setEnabled(rows && !job && !playing);
    }
    btnCancel->setEnabled(job);
    for (QToolButton* b : {btnRemove, btnClear, btnCheck, btnUncheck, btnSave, btnCopy, btnInvertCheck, btnCheckFile}) {
        b->setEnabled(rows);
    }

    for (QToolButton* b : {btnStopPlay, btnPrev, btnNext}) {
        b->setEnabled(playing);
    }
    tbrProgress->setEnabled(playing);
}

}  // namespace zolvane2
