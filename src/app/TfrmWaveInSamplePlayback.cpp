// Playback control: the checked rows play one after another through the
// player component fPlayer (TWaveOutPlayer), with intro play and seeking.
//
// Until the player is created the window has no playback: PlayerPlaying() is
// false, so the list commands that need a stopped player stay available.
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

bool TfrmWaveInSample::PlayerPlaying() const {
    return false;
}

void TfrmWaveInSample::StopPlaybackAndWait() {
    // Playback is stopped before the window goes away.
}

void TfrmWaveInSample::btnPlayClick() {}
void TfrmWaveInSample::btnStopPlayClick() {}
void TfrmWaveInSample::btnNextClick() {}
void TfrmWaveInSample::btnPrevClick() {}
void TfrmWaveInSample::btnIntroClick() {}

void TfrmWaveInSample::tbrProgressChange(int /*position*/) {
    if (!AcceptSeek) {
        return;
    }
}

}  // namespace zolvane2
