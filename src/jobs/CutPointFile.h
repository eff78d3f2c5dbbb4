#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zolvane2 {

// One piece of a source: frames [StartFrame, EndFrame) and its name.
struct CutPoint {
    std::int64_t StartFrame = 0;
    std::int64_t EndFrame = 0;
    std::string Name;

    bool operator==(const CutPoint&) const = default;
};

// A label or cue file that cannot be followed. Line is 1-based, 0 when the
// fault is the file as a whole.
class CutPointFileError : public std::runtime_error {
public:
    enum class Problem {
        BadTime,         // a time that is not a number of seconds of 0 or more, or not mm:ss:ff
        TooLarge,        // a time whose frame number does not fit in 64 bits
        EndBeforeStart,  // a label whose end lies before its start
        Mixed,           // point labels among region labels
        GoesBack,        // a cut point before the one ahead of it
        PastEnd,         // a time after the end of the audio
        NoIndex,         // a cue TRACK without INDEX 01
        Empty,           // no label, no INDEX 01
        NoPiece,         // labels, yet every one of them is shorter than a frame
        OtherFile,       // a cue sheet whose FILE is not the source being cut
        SeveralFiles,    // a cue sheet of more than one FILE
        Unreadable,      // a cue sheet libcue cannot follow
    };
    CutPointFileError(Problem problem, int line, std::string lineText)
        : std::runtime_error(lineText), problem_(problem), line_(line), lineText_(std::move(lineText)) {}

    [[nodiscard]] Problem What() const { return problem_; }
    [[nodiscard]] int Line() const { return line_; }
    [[nodiscard]] const std::string& LineText() const { return lineText_; }

private:
    Problem problem_;
    int line_;
    std::string lineText_;
};

// The two exchange formats of cut points: the label file of Audacity
// ("start TAB end TAB name" per line, seconds with six decimals) and the
// cue sheet (a TRACK with INDEX 01 mm:ss:ff per piece, 75 frames per second).
class CutPointFile {
public:
    // One line per piece, times of its frames at sampleRate.
    [[nodiscard]] static std::string LabelText(const std::vector<CutPoint>& points, std::int32_t sampleRate);
    // A cue sheet whose FILE is sourceName (WAVE, or BINARY for a .raw name)
    // with one TRACK per piece, its INDEX 01 rounded to the nearest 1/75 s;
    // performers[i], when there and not empty, is piece i's PERFORMER.
    [[nodiscard]] static std::string CueText(const std::vector<CutPoint>& points, std::int32_t sampleRate,
                                             const std::string& sourceName,
                                             const std::vector<std::string>& performers = {});

    // The pieces a label file asks for in a source of totalFrames frames:
    // each region label (start < end) in file order, its times rounded to the
    // nearest frame; or, from point labels, the consecutive pieces the source
    // falls into when cut at each of them. Never empty: throws
    // CutPointFileError instead. Lines may end in LF, CR LF or CR alone; a
    // UTF-8 byte-order mark ahead of the first is skipped (both readers).
    [[nodiscard]] static std::vector<CutPoint> PiecesFromLabels(const std::string& text, std::int32_t sampleRate,
                                                                std::int64_t totalFrames);
    // The pieces of a cue sheet: from each INDEX 01 to the next, the last to
    // the end of the source; audio ahead of the first is left out. Each
    // line is checked here first (so that a fault names its line); the
    // sheet is then read through libcue, which gives the tracks' files and
    // times and each TRACK's TITLE as its piece's Name. A sheet of more than
    // one FILE, or, with sourcePath given, whose FILE is neither that file
    // nor one of its name in another format (the same stem), is refused:
    // its times belong to another recording.
    [[nodiscard]] static std::vector<CutPoint> PiecesFromCue(const std::string& text, std::int32_t sampleRate,
                                                             std::int64_t totalFrames,
                                                             const std::string& sourcePath = {});

    // Whether text is one the readers accept as a label file or a cue sheet
    // at any length of audio, or has nothing but blank lines (what the
    // writers leave for a run without pieces). A file that is not may hold
    // anything else and is never to be written over.
    [[nodiscard]] static bool IsCutPointText(const std::string& text);

    // Writes text to path under the temporary name path + ".part" first and
    // renames it over path, so that path is always either the old or the new
    // whole file. The temporary file is always created new, never through a
    // link; a regular file left there by an earlier run is removed first,
    // anything else at that name is refused. Throws WriteError naming the
    // file and the system's reason.
    static void WriteWhole(const std::string& path, const std::string& text);

    // The most a label file or cue sheet is read to: far beyond any real one.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t{16} << 20;
    // The whole file; throws ReadError naming the file and the system's
    // reason, its Code() the errno: EISDIR for a folder, EINVAL for anything
    // else that is not a regular file (a pipe or a device, which could block
    // or never end), EFBIG for more than kMaxFileBytes.
    [[nodiscard]] static std::string ReadWhole(const std::string& path);
};

}  // namespace zolvane2
