#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "platform/UserMessages.h"

namespace zolvane2 {

// What the result list shows of a track file (and `zolvane2-cli info`).
struct FileProperties {
    std::string path;      // as given
    std::string fileName;  // file-name part
    std::string folder;    // directory part with a trailing "/"
    std::int64_t fileSize = 0;
    std::time_t lastWrite = 0;  // modification time (seconds since the epoch)
    std::string dateText;       // "yyyy/mm/dd hh:nn:ss", local, in 2-second steps
    bool raw = false;
    // A FLAC file: its data offset is 0 and its data size the bytes of its
    // frames decoded, as TrackAudio::Open gives them.
    bool flac = false;
    int formatTag = 1;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 16;
    std::uint32_t formatSize = 0;  // as the format chunk declares it
    std::int64_t dataOffset = 0;
    std::int64_t dataSize = 0;
    double lengthSeconds = 0;
    std::string lengthText;   // "%5.5d" hours ":" "nn:ss"
    std::string channelText;  // "Mono", "Stereo", otherwise "<n>ch"
};

// What the player needs to play a file.
struct PlayInfo {
    bool raw = false;
    bool flac = false;  // offset and size of the decoded frames (TrackAudio)
    std::int64_t dataOffset = 0;
    std::int64_t dataSize = 0;
    int channels = 2;
    int sampleRate = 44100;
    int formatTag = 1;
    int bitsPerSample = 16;
};

// Reads WAVE, RAW and FLAC track files back (FLAC: 16-bit mono or stereo;
// the sizes of a FLAC file are those of its decoded frames). A tidy RIFF/WAVE file is read by its
// chunks, so the extra chunks other programs write are passed over; any
// other file by searching 4-byte words for the tags, which finds the audio
// of an interrupted recording whose sizes were never written. Both readers
// report a rejected file themselves through the given UserMessages (the full
// file name, "\r\n" and the text, error icon, OK) and answer nothing; a
// file that exists but cannot be opened throws FileOpenError. Whatever the
// bytes, the readers stay inside the file and never divide by zero.
class TrackFileReader {
public:
    // The title of the messages about a file that cannot be read at all (the
    // others are titled TextId::UnsupportedTitle); the same in every language.
    static constexpr const char* kErrorTitle = "Error";

    // The most channels a 16-bit WAVE file can hold: its frame size (the
    // block align) is a 16-bit number.
    static constexpr int kMaxChannels = 0xFFFF / 2;

    // The result list's reader. Missing file: nothing, no message. Other
    // extensions than .wav/.raw/.flac (any case): nothing, no message. RAW files
    // are taken with rawSampleRate and rawChannels (the recording settings).
    [[nodiscard]] static std::optional<FileProperties> ReadFileProperties(const std::string& path, int rawSampleRate,
                                                                          int rawChannels, UserMessages& messages);

    // The player's reader. A missing file is reported ("が見つかりません。",
    // "Error"); RAW files are 2 channels at 44100 Hz; only the format tag is
    // checked. Other extensions: nothing, no message.
    [[nodiscard]] static std::optional<PlayInfo> PrepareForPlaying(const std::string& path, UserMessages& messages);

    // Whether the reader looks at path at all (".WAV", ".RAW" or ".FLAC" in any case).
    [[nodiscard]] static bool IsTrackFileName(const std::string& path);
    [[nodiscard]] static bool IsRawFileName(const std::string& path);

    // "00000:03:25": whole hours as %5.5d, then minutes and seconds.
    [[nodiscard]] static std::string LengthText(double seconds);
    // "yyyy/mm/dd hh:nn:ss" in local time, seconds rounded down to even (the
    // two-second steps of a DOS file time).
    [[nodiscard]] static std::string DateText(std::time_t time);
    // "Mono", "Stereo", else the count followed by "ch".
    [[nodiscard]] static std::string ChannelText(int channels);
};

}  // namespace zolvane2
