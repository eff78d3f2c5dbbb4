#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "trackfile/TrackFormat.h"

namespace zolvane2 {

// Names of numbered track files: stem + zero-padded number + extension.
// A number is taken when stem+number+".wav", stem+number+"_tooLONG.wav",
// stem+number+".raw" or stem+number+".flac" exists, whatever the current
// mode, so that recordings in one format never reuse another's numbers.
class TrackNaming {
public:
    // The base file name without its extension: from the last dot of the
    // file-name part on; dots in directory names do not count.
    [[nodiscard]] static std::string Stem(const std::string& baseFileName);
    // "%" digits "." digits "d", e.g. "%5.5d".
    [[nodiscard]] static std::string NumberFormat(int digits);
    // number zero-padded to at least digits digits (more when it needs them).
    [[nodiscard]] static std::string FormatNumber(std::int64_t number, int digits);
    // stem + number + (".raw" or ".wav")
    [[nodiscard]] static std::string TrackFileName(const std::string& stem, std::int64_t number, int digits, bool raw);
    // stem + number + the format's extension
    [[nodiscard]] static std::string TrackFileName(const std::string& stem, std::int64_t number, int digits,
                                                   TrackFormat format);
    // stem + number + "_tooLONG.wav"
    [[nodiscard]] static std::string CappedFileName(const std::string& stem, std::int64_t number, int digits);

    [[nodiscard]] static bool IsNumberTaken(const std::string& stem, std::int64_t number, int digits);

    // The recorder's search: the first number from start upward, at most
    // maxNumber, that is not taken; 0 when none is left.
    [[nodiscard]] static std::int32_t FindFreeNumber(const std::string& stem, int digits, std::int32_t start,
                                                     std::int32_t maxNumber);
    // The re-divide search: the same without an upper limit.
    [[nodiscard]] static std::int64_t FindFreeNumberUnbounded(const std::string& stem, int digits, std::int64_t start);

    // Creates the file of the first free number from start on, at most
    // maxNumber: create(number) makes it and throws FileCreateError with
    // EEXIST when someone else (another program, a second run into the same
    // names) took the name since the search, which then goes on past it.
    // Returns the number created; 0 when none is left. Other errors propagate.
    [[nodiscard]] static std::int64_t CreateAtFreeNumber(const std::string& stem, int digits, std::int64_t start,
                                                         std::int64_t maxNumber,
                                                         const std::function<void(std::int64_t)>& create);

    // Names of pieces from a track list. SafeName makes text a name every
    // file system takes: "/", "\\", control characters and the characters
    // FAT and NTFS refuse (: * ? " < > |) become "_", spaces and dots at the
    // end go; "" when nothing is left or only "." or "..".
    [[nodiscard]] static std::string SafeName(const std::string& text);
    // name cut at a UTF-8 character boundary so that name + tail (a number
    // suffix, the extension) is at most kMaxNameBytes bytes.
    static constexpr std::size_t kMaxNameBytes = 255;
    [[nodiscard]] static std::string FitName(const std::string& name, const std::string& tail);
    // The free form of folder + name + ext: the name itself, else
    // "name (2)", "name (3)", ...; each within kMaxNameBytes.
    [[nodiscard]] static std::string NameForTry(const std::string& folder, const std::string& name,
                                                const std::string& ext, int attempt);
    // Creates folder + name + ext through create(path), which throws
    // FileCreateError with EEXIST when the name is taken; a taken name is
    // numbered, never replaced. Returns the path created.
    [[nodiscard]] static std::string CreateAtFreeName(const std::string& folder, const std::string& name,
                                                      const std::string& ext,
                                                      const std::function<void(const std::string&)>& create);
    // Renames the finished file from to folder + name + ext, numbered as
    // CreateAtFreeName numbers; returns the new path, or "" when the file
    // system refused (the file keeps its name).
    [[nodiscard]] static std::string RenameToFreeName(const std::string& from, const std::string& folder,
                                                      const std::string& name, const std::string& ext);

    // 10^digits − 1, limited to 2,147,483,647 (10 digits); 0 for digits < 1.
    [[nodiscard]] static std::int32_t MaxTrackNumberFor(int digits);
};

}  // namespace zolvane2
