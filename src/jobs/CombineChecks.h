#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/UserText.h"
#include "trackfile/TrackTags.h"

namespace zolvane2 {

// Checks the combine command makes before it starts, shared by the window
// (which shows the texts in message boxes) and zolvane2-cli (which prints them).

// Files of different parameters: TextId::ParameterMismatch under this caption.
inline constexpr const char* kParameterMismatchCaption = "Error";

// Channel count of a list row's channel text: "STEREO" 2, "MONO" 1, else 0,
// without regard to case.
[[nodiscard]] int32_t ChannelCode(const std::string& channelsText);

// Collects the parameters of the checked entries in list order.
struct CombineParameters {
    int32_t channels = 0;
    int32_t frequency = 0;
    bool mismatch = false;

    // Takes one checked entry; false (and mismatch set) when its channel
    // code is 0 or its channels or frequency differ from those taken before:
    // it is the offending entry.
    bool Take(int32_t channelCode, int32_t entryFrequency);
    // No checked entry, or none whose channel text is known: nothing to do.
    [[nodiscard]] bool Empty() const { return static_cast<int64_t>(channels) * frequency == 0; }
};

enum class CombineSizeVerdict {
    Go,                   // start the job
    NotEnoughSpace,       // stop with the free-space message
    OverFileSystemLimit,  // stop with the file-system message
    AskForRaw             // ask the 2 GB question (Yes: RAW, No: capped WAVE, Cancel: stop)
};

struct CombineSizeCheck {
    CombineSizeVerdict verdict = CombineSizeVerdict::Go;
    UserText text;     // message or question, empty for Go
    UserText caption;  // TextId::SizeOver unless Go
};

// "このドライブ(FAT32)では 4G以上のファイルを作成することができません。"
[[nodiscard]] UserText FileSystemLimitText(const std::string& fileSystemName, int64_t limit);

// The size checks from given figures: total data bytes (and a WAVE output's
// header) against the free bytes (-1 when unknown), the file system's limit
// and the WAVE limit.
[[nodiscard]] CombineSizeCheck CheckCombineSize(int64_t totalBytes, int64_t freeBytes,
                                                const std::string& fileSystemName, bool rawOutput);

// The same for the file system that will hold target.
[[nodiscard]] CombineSizeCheck CheckCombineTarget(const std::string& target, int64_t totalBytes, bool rawOutput);

// Whether target names the same file as one of the sources (also through
// another spelling or a link). The output is created empty before any source
// is read, so such a target would destroy that source's audio.
[[nodiscard]] bool TargetIsASource(const std::string& target, const std::vector<std::string>& sources);

// The album's tags of a join, from its first piece when that is a tagged
// FLAC file: album, album artist (also as the artist), date, genre and disc.
// Empty for any other file.
[[nodiscard]] TrackTags JoinedAlbumTags(const std::string& firstSource);

// path with its extension replaced by ext (".raw"), or ext added when the
// file name has none.
[[nodiscard]] std::string ReplaceExtension(const std::string& path, const std::string& ext);

// The lower-cased extension of the file name part of path (".wav"), or "".
[[nodiscard]] std::string LowerExtension(const std::string& path);

}  // namespace zolvane2
