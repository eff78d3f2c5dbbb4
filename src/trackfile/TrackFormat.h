#pragma once

namespace zolvane2 {

// The kinds of track file the program writes.
enum class TrackFormat {
    Wave,
    Raw,
    Flac,
};

// ".wav", ".raw" or ".flac".
[[nodiscard]] constexpr const char* TrackExtension(TrackFormat format) {
    switch (format) {
        case TrackFormat::Raw:
            return ".raw";
        case TrackFormat::Flac:
            return ".flac";
        case TrackFormat::Wave:
            break;
    }
    return ".wav";
}

}  // namespace zolvane2
