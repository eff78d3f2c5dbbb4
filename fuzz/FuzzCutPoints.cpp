// libFuzzer entry for the label file and cue sheet readers (see
// CMakeLists.txt here for how to build and run it). The first byte picks the
// reader and the sampling frequency, the next eight the length of the audio;
// the rest is the file's text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "jobs/CutPointFile.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHead = 9;
    if (size < kHead) {
        return 0;
    }
    static constexpr std::int32_t kRates[] = {1, 100, 8000, 44100, 48000, 192000, 768000, INT32_MAX};
    const bool cue = (data[0] & 1U) != 0;
    const std::int32_t rate = kRates[(data[0] >> 1U) & 7U];
    std::uint64_t length = 0;
    std::memcpy(&length, data + 1, sizeof length);
    const auto totalFrames = static_cast<std::int64_t>(length >> 2U);  // 0 to 2^62 - 1
    const std::string text(reinterpret_cast<const char*>(data + kHead), size - kHead);

    const bool cutPointText = zolvane2::CutPointFile::IsCutPointText(text);
    std::vector<zolvane2::CutPoint> pieces;
    try {
        pieces = cue ? zolvane2::CutPointFile::PiecesFromCue(text, rate, totalFrames)
                     : zolvane2::CutPointFile::PiecesFromLabels(text, rate, totalFrames);
    } catch (const zolvane2::CutPointFileError& e) {
        Require(e.Line() >= 0);
        return 0;
    }
    // Every piece lies inside the audio and holds frames; the pieces of a
    // cue sheet follow each other without gap or overlap.
    Require(!pieces.empty());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Require(pieces[i].StartFrame >= 0 && pieces[i].StartFrame < pieces[i].EndFrame &&
                pieces[i].EndFrame <= totalFrames);
        Require(!cue || i == 0 || pieces[i].StartFrame == pieces[i - 1].EndFrame);
    }
    if (cue) {
        Require(pieces.back().EndFrame == totalFrames);
    }
    // A label file that can be followed at all is one a run may write over.
    Require(cue || cutPointText);
    return 0;
}
