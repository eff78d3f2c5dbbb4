#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace zolvane2 {

enum class TextLanguage { Japanese, English };

// The language of texts printed to a terminal: Japanese under a Japanese
// locale, English otherwise. The locale is taken as the C library does for
// messages: the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty. (The window itself always speaks Japanese.)
[[nodiscard]] TextLanguage LocaleLanguage();

// Every message the engine gives the user, worded in both languages by the
// table in UserText.cpp ("%1" to "%9" stand for the arguments).
enum class TextId {
    Plain,       // a text that is the same in every language: a file name, the system's reason, a number
    FullStop,    // %1 with the standard error display's full stop
    WithReason,  // %1 followed by the system's reason %2
    AboutFile,   // the file's name %1, a line break and the text %2
    // Track files: %1 the file's full name.
    NotFound,
    NotWave,
    NoData,
    UnsupportedWave,
    NotPcm,
    Not16Bit,
    FormatTooShort,
    NotFlac,
    UnsupportedFlac,  // not 16-bit mono or stereo
    NotTrackFile,     // neither WAVE, RAW nor FLAC
    UnsupportedTitle,
    FileCreate,  // %1 the file's name
    FileOpen,    // %1 the file's name
    StreamRead,
    StreamWrite,
    // Playing: %1 the file, %2 the rate.
    UnplayableRate,
    // Joining.
    ParameterMismatch,
    NoFreeSpace,
    SizeOver,
    AskRaw,
    FileSystemLimit,  // %1 the file system, %2 the limit in GB
    // Recording.
    NoRecordingDevice,
    NoSoundServer,  // %1 " (PULSE_SERVER=<address>)" when one is named, else empty
    DeviceError,
    NoFreeTrackNumber,  // %1 the first track's name
    // Corrected cutting settings: %1 the seconds given.
    SettingsError,
    DelayNegative,
    IntervalNegative,
    TailNegative,
    TailTooLong,
    MaxTrackNumber,  // %1 the number given, %2 the digits, %3 the number used
    // Estimates: %1 the size.
    WarnNoFreeSpace,
    WarnFileSystemLimit,
    WarnOver2G,
    WarnFits,
    SizeGB,
    SizeMB,
    // Re-dividing by gaps as told: %1 the source.
    GapsFewer,       // %2 the pieces asked for, %3 the pieces cut
    GapNotFound,     // %2 the piece, %3 the range in seconds
    GapPieceLength,  // %2 the piece, %3 its length, %4 the length given
    // Naming from a track list: %1 the source, %2 the list's entries, %3 the pieces.
    TrackListLonger,
    TrackListShorter,
};

// A message as an id with its arguments, so that each front end words it in
// its own language: the window in Japanese, zolvane2-cli by the locale.
// Arguments are texts themselves; a plain one is never translated.
class UserText {
public:
    UserText() = default;
    // A plain text, kept as it is in every language.
    UserText(std::string plain) : plain_(std::move(plain)) {}  // NOLINT(google-explicit-constructor)
    UserText(const char* plain) : plain_(plain) {}             // NOLINT(google-explicit-constructor)
    UserText(TextId id, std::initializer_list<UserText> args = {}) : id_(id), args_(args) {}

    [[nodiscard]] TextId Id() const { return id_; }
    [[nodiscard]] const std::vector<UserText>& Args() const { return args_; }
    // Whether the text says nothing in either language.
    [[nodiscard]] bool Empty() const { return id_ == TextId::Plain && plain_.empty(); }

    [[nodiscard]] std::string In(TextLanguage language) const;
    [[nodiscard]] std::string Japanese() const { return In(TextLanguage::Japanese); }
    [[nodiscard]] std::string English() const { return In(TextLanguage::English); }

    // The wording of id in language, with its "%n" placeholders; "%1" for Plain.
    [[nodiscard]] static const char* Pattern(TextId id, TextLanguage language);
    // Every id but Plain, for checking the table.
    [[nodiscard]] static std::vector<TextId> AllIds();

    bool operator==(const UserText&) const = default;
    // A worded text is compared with Japanese() or In(): a plain text made of
    // it would never equal a text with an id.
    bool operator==(const std::string&) const = delete;
    bool operator==(const char*) const = delete;

private:
    TextId id_ = TextId::Plain;
    std::string plain_;
    std::vector<UserText> args_;
};

}  // namespace zolvane2
