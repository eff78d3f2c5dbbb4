#include "trackfile/TrackNaming.h"

#include <cerrno>
#include <cstdio>
#include <limits>
#include <string_view>

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

std::string TrackNaming::SafeName(const std::string& text) {
    std::string name;
    name.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool refused = u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        name += refused ? '_' : c;
    }
    // Windows drops spaces and dots at a name's end; a name that looked
    // different there would meet another.
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) {
        name.pop_back();
    }
    const std::size_t first = name.find_first_not_of(' ');
    name.erase(0, first == std::string::npos ? name.size() : first);
    return name;
}

std::string TrackNaming::FitName(const std::string& name, const std::string& tail) {
    if (name.size() + tail.size() <= kMaxNameBytes) {
        return name;
    }
    std::size_t length = tail.size() < kMaxNameBytes ? kMaxNameBytes - tail.size() : 0;
    // Back over continuation bytes to the start of the character cut through.
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0U) == 0x80U) {
        --length;
    }
    return name.substr(0, length);
}

std::string TrackNaming::NameForTry(const std::string& folder, const std::string& name, const std::string& ext,
                                    int attempt) {
    const std::string tail = (attempt > 1 ? " (" + std::to_string(attempt) + ")" : std::string()) + ext;
    return folder + FitName(name, tail) + tail;
}

std::string TrackNaming::CreateAtFreeName(const std::string& folder, const std::string& name, const std::string& ext,
                                          const std::function<void(const std::string&)>& create) {
    for (int attempt = 1;; ++attempt) {
        std::string path = NameForTry(folder, name, ext, attempt);
        if (FileSystem::NameTaken(path)) {
            continue;
        }
        try {
            create(path);
            return path;
        } catch (const FileCreateError& e) {
            if (e.Code() != EEXIST) {
                throw;
            }
        }
    }
}

std::string TrackNaming::RenameToFreeName(const std::string& from, const std::string& folder, const std::string& name,
                                          const std::string& ext) {
    for (int attempt = 1;; ++attempt) {
        std::string path = NameForTry(folder, name, ext, attempt);
        if (path == from) {
            return path;
        }
        if (FileSystem::NameTaken(path)) {
            continue;
        }
        if (FileSystem::RenameNoReplace(from, path)) {
            return path;
        }
        if (!FileSystem::NameTaken(path)) {
            return "";
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
