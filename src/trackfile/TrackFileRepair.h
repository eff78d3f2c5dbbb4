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
// reader's message, one whose format chunk is too short for PCM with
// TextId::FormatTooShort. One whose sizes are right is left alone: the data chunk
// ends at the end of the file, or what follows it is a run of chunks that
// ends exactly there (anything else past the declared end is audio the
// header leaves out). Disk space reserved past the end of the file, which a
// killed recording leaves allocated, is given back.
//
// A FLAC file killed while being written has a sample count of 0 (not
// known) in its STREAMINFO: it is counted by decoding the frames the file
// holds and written there, so that players show the length. A FLAC file with
// a sample count is left alone; one that is not 16-bit mono or stereo is
// refused with the reader's message.
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
        std::int64_t releasedBytes = 0;  // disk space given back from past the end
        bool flac = false;
        std::int64_t samples = 0;  // FLAC: the sample count STREAMINFO holds afterwards
    };

    // Decides by reading, and opens path for writing only when there is
    // something to mend or space to give back: a right file on a read-only
    // disk is AlreadyRight, one to mend there throws FileOpenError with the
    // system's reason. Both opens share nothing, so a track still being
    // recorded is never touched (FileOpenError). Other stream errors
    // propagate as well.
    [[nodiscard]] static Outcome Repair(const std::string& path, UserMessages& messages);
};

}  // namespace zolvane2
