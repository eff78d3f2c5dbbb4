#include "cli/LossReport.h"

#include <cstdio>
#include <set>
#include <string>

#include "cli/Language.h"
#include "jobs/LossLabelFile.h"
#include "platform/Errors.h"
#include "record/TWaveInThread.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2::cli {

namespace {

std::string AudioTimeText(std::int64_t frames, std::int64_t rate) {
    return LossLabelFile::TimeText(frames, rate);
}

}  // namespace

void ReportLoss(const CaptureLoss& loss, std::int64_t rate) {
    const std::string line = std::string("zolvane2-cli record: ") +
                             Fill(Say("audio lost at %1 into the run (track %2 at %3): %4",
                                      "録音開始から %1 の位置で音声が欠落 (トラック %2 の %3): %4"),
                                  {AudioTimeText(loss.atFrame, rate), TrackNaming::FormatNumber(loss.track, 5),
                                   AudioTimeText(loss.trackFrame, rate), AudioTimeText(loss.frames, rate)}) +
                             "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void ReportLossSummary(const std::vector<CaptureLoss>& losses, std::int64_t rate) {
    std::int64_t frames = 0;
    std::set<std::int32_t> tracks;
    std::string places;
    for (const auto& l : losses) {
        frames += l.frames;
        tracks.insert(l.track);
        places += (places.empty() ? "" : ", ") + TrackNaming::FormatNumber(l.track, 5) + " " +
                  AudioTimeText(l.trackFrame, rate);
    }
    std::string trackList;
    for (const std::int32_t t : tracks) {
        trackList += (trackList.empty() ? "" : ", ") + TrackNaming::FormatNumber(t, 5);
    }
    const std::string line = std::string("zolvane2-cli record: ") + Say("dropouts: ", "欠落: ") +
                             std::to_string(losses.size()) + Say(", audio lost in all: ", " 回、失われた音声の合計: ") +
                             AudioTimeText(frames, rate) + Say(", in track(s) ", "、トラック ") + trackList + "\n" +
                             "zolvane2-cli record: " + Say("lost at (track time): ", "欠落の位置 (トラック 時間): ") +
                             places + "\n";
    std::fputs(line.c_str(), stderr);
}

bool WriteLossLabels(const RecordingSettings& run, const std::vector<CaptureLoss>& losses) {
    std::string line;
    bool written = true;
    try {
        const std::string path = LossLabelFile::WriteFor(run, losses, UserLanguage());
        line = Render(UserText(TextId::LossLabelsWritten, {path}));
    } catch (const Error& e) {
        line = WithReason(Render(e.Text()), e.Code());
        written = false;
    }
    line = "zolvane2-cli record: " + line + "\n";
    std::fputs(line.c_str(), stderr);
    return written;
}

}  // namespace zolvane2::cli
