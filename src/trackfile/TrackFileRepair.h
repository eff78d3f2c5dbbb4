#pragma once

#include <cstdint>
#include <string>

#include "platform/UserMessages.h"

namespace zolvane2 {

// Mends the header of a WAVE file that an interrupted recording left behind
// (sizes 0, or smaller than the audio present): its RIFF and data sizes are
// rewritten in place to the whole frames the file holds, capped past 2 GB as
// a finished track is (and renamed to ..._tooLONG.wav, unless that name is
// taken). A file that is not a 16-bit PCM WAVE file is refused with the
// reader's message; one whose sizes are right, or whose data chunk is
// followed by further chunks, is left alone.
class TrackFileRepair {
public:
    enum class Verdict {
        Repaired,
        AlreadyRight,
        Refused,  // the reason went to messages
    };

    struct Outcome {
        Verdict verdict = Verdict::Refused;
        std::string fileName;        // the file's name afterwards
        std::uint32_t riffSize = 0;  // the sizes the header holds afterwards
        std::uint32_t dataSize = 0;
    };

    // Opens path for reading and writing with no sharing, so a track still
    // being recorded is never touched (FileOpenError). Other stream errors
    // propagate as well.
    [[nodiscard]] static Outcome Repair(const std::string& path, UserMessages& messages);
};

}  // namespace zolvane2
