#include "cli/LossReport.h"

#include <cstdio>
#include <set>
#include <string>

#include "cli/Language.h"
#include "record/TWaveInThread.h"
#include "trackfile/TrackNaming.h"

namespace zolvane2::cli {

namespace {

// A point or stretch of audio as H:MM:SS.ss.
std::string AudioTimeText(std::int64_t frames, std::int64_t rate) {
    const std::int64_t centis = rate > 0 ? frames * 100 / rate : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", static_cast<long long>(centis / 360000),
                  static_cast<long long>(centis / 6000 % 60), static_cast<long long>(centis / 100 % 60),
                  static_cast<long long>(centis % 100));
    return text;
}

}  // namespace

void ReportLoss(const CaptureLoss& loss, std::int64_t rate) {
    const std::string line = std::string("zolvane2-cli record: ") + Say("audio lost at ", "録音開始から ") +
                             AudioTimeText(loss.atFrame, rate) +
                             Say(" into the run (track ", " の位置で音声が欠落 (トラック ") +
                             TrackNaming::FormatNumber(loss.track, 5) + "): " + AudioTimeText(loss.frames, rate) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void ReportLossSummary(const std::vector<CaptureLoss>& losses, std::int64_t rate) {
    std::int64_t frames = 0;
    std::set<std::int32_t> tracks;
    for (const auto& l : losses) {
        frames += l.frames;
        tracks.insert(l.track);
    }
    std::string trackList;
    for (const std::int32_t t : tracks) {
        trackList += (trackList.empty() ? "" : ", ") + TrackNaming::FormatNumber(t, 5);
    }
    const std::string line = std::string("zolvane2-cli record: ") + Say("dropouts: ", "欠落: ") +
                             std::to_string(losses.size()) + Say(", audio lost in all: ", " 回、失われた音声の合計: ") +
                             AudioTimeText(frames, rate) + Say(", in track(s) ", "、トラック ") + trackList + "\n";
    std::fputs(line.c_str(), stderr);
}

}  // namespace zolvane2::cli
