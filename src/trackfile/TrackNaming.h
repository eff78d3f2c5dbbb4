#pragma once

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

    // 10^digits − 1, limited to 2,147,483,647 (10 digits); 0 for digits < 1.
    [[nodiscard]] static std::int32_t MaxTrackNumberFor(int digits);
};

}  // namespace zolvane2
