#include "trackfile/TrackNaming.h"

#include <cerrno>
#include <cstdio>
#include <limits>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace zolvane2 {

std::string TrackNaming::Stem(const std::string& baseFileName) {
    const std::string ext = FileSystem::ExtensionOf(baseFileName);
    return baseFileName.substr(0, baseFileName.size() - ext.size());
}

std::string TrackNaming::NumberFormat(int digits) {
    const std::string d = std::to_string(digits);
    return "%" + d + "." + d + "d";
}

std::string TrackNaming::FormatNumber(std::int64_t number, int digits) {
    // "%d.dd" pads with zeros to the precision; long long for numbers beyond
    // the recorder's 32-bit range (re-divide has no upper limit).
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*.*lld", digits, digits, static_cast<long long>(number));
    return buffer;
}

std::string TrackNaming::TrackFileName(const std::string& stem, std::int64_t number, int digits, bool raw) {
    return TrackFileName(stem, number, digits, raw ? TrackFormat::Raw : TrackFormat::Wave);
}

std::string TrackNaming::TrackFileName(const std::string& stem, std::int64_t number, int digits, TrackFormat format) {
    return stem + FormatNumber(number, digits) + TrackExtension(format);
}

std::string TrackNaming::CappedFileName(const std::string& stem, std::int64_t number, int digits) {
    return stem + FormatNumber(number, digits) + "_tooLONG.wav";
}

bool TrackNaming::IsNumberTaken(const std::string& stem, std::int64_t number, int digits) {
    const std::string name = stem + FormatNumber(number, digits);
    // Anything at a name takes it, a dangling link too: new track files are
    // created only where nothing is.
    return FileSystem::NameTaken(name + ".wav") || FileSystem::NameTaken(name + "_tooLONG.wav") ||
           FileSystem::NameTaken(name + ".raw") || FileSystem::NameTaken(name + ".flac");
}

std::int32_t TrackNaming::FindFreeNumber(const std::string& stem, int digits, std::int32_t start,
                                         std::int32_t maxNumber) {
    // 64-bit so that stepping past a maximum of 2,147,483,647 cannot wrap.
    std::int64_t n = start;
    while (n <= maxNumber && IsNumberTaken(stem, n, digits)) {
        ++n;
    }
    return n > maxNumber ? 0 : static_cast<std::int32_t>(n);
}

std::int64_t TrackNaming::FindFreeNumberUnbounded(const std::string& stem, int digits, std::int64_t start) {
    std::int64_t n = start;
    while (IsNumberTaken(stem, n, digits)) {
        ++n;
    }
    return n;
}

std::int64_t TrackNaming::CreateAtFreeNumber(const std::string& stem, int digits, std::int64_t start,
                                             std::int64_t maxNumber, const std::function<void(std::int64_t)>& create) {
    for (std::int64_t n = start;; ++n) {
        while (n <= maxNumber && IsNumberTaken(stem, n, digits)) {
            ++n;
        }
        if (n > maxNumber) {
            return 0;
        }
        try {
            create(n);
            return n;
        } catch (const FileCreateError& e) {
            if (e.Code() != EEXIST) {
                throw;
            }
        }
    }
}

std::int32_t TrackNaming::MaxTrackNumberFor(int digits) {
    if (digits < 1) {
        return 0;
    }
    if (digits >= 10) {
        return std::numeric_limits<std::int32_t>::max();
    }
    std::int32_t p = 1;
    for (int i = 0; i < digits; ++i) {
        p *= 10;
    }
    return p - 1;
}

}  // namespace zolvane2
