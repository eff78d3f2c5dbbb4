#pragma once

#include <string>
#include <vector>

namespace zolvane2 {

// Decides, before a run starts, whether it may write a label file or cue
// sheet at a path. Such a file replaces whatever is there, so it is never
// let onto a file the run reads, another file the run writes (a track file
// of any number it may take included), or an existing file that is not
// itself a label file or cue sheet.
//
// Paths are told apart by what they are, not by how they are written: an
// existing file by its device and inode, a name not yet taken by its
// folder's identity and its name; nothing is normalised by the text.
class CutPointTargets {
public:
    enum class Refusal {
        None,
        Input,         // a file the run reads
        Temporary,     // target + ".part" is a file the run reads, or anything but a regular file
        Output,        // a cut-point file the run writes already
        TrackFile,     // a track file name the run may create
        NotCutPoints,  // an existing file that is not a label file or cue sheet, or cannot be read to tell
    };

    void AddInput(const std::string& path);
    // The run may create stem + number + ".wav", ".raw" or "_tooLONG.wav",
    // the number of at least digits digits.
    void AddTrackFiles(const std::string& stem, int digits);

    // Whether target may be written; once it may, it counts as an output for
    // the targets checked after it.
    [[nodiscard]] Refusal Check(const std::string& target);

private:
    struct TrackFiles {
        std::string stem;
        int digits;
    };
    [[nodiscard]] bool IsTrackFileName(const std::string& target) const;

    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::vector<TrackFiles> trackFiles_;
};

}  // namespace zolvane2
