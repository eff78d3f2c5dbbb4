#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "jobs/GapCutPlan.h"
#include "record/CuttingConditions.h"
#include "record/GapSettings.h"
#include "record/RecordingSettings.h"
#include "trackfile/TrackTags.h"

namespace zolvane2 {

class TCutThread;
class TMyMemIniFile;
class TriggerSplitter;

// The recording and cutting settings in the units of the settings file's
// "tsSetting" and "tsCut" sections, each member the value of one key: times
// in milliseconds, the recording time and the piece length as hours, minutes
// and seconds, the rate as its index in SamplingFrequencies() or as a typed
// text, the channel count as the mode's index. The window keeps them in its
// controls between loading and saving; zolvane2-cli builds them from its
// options and --settings. A default-constructed object holds the defaults.
struct CuttingSettings {
    // A key of the settings file, the member it fills and its default.
    struct IntegerKey {
        std::int32_t CuttingSettings::*member;
        std::int32_t defaultValue;
    };
    struct BoolKey {
        bool CuttingSettings::*member;
        bool defaultValue;
    };
    struct TextKey {
        std::string CuttingSettings::*member;
        const char* defaultValue;
    };
    struct Key {
        const char* section;
        const char* name;
        std::variant<IntegerKey, BoolKey, TextKey> value;
    };

    // The gap settings' bounds, for the window's boxes and the command line's
    // options alike.
    static constexpr std::int32_t kMaxGapSensitivityDb = 60;
    static constexpr std::int32_t kMaxTrackCount = 9999;
    static constexpr std::int32_t kMaxSnapRangeSeconds = 600;

    CuttingSettings();

    // Every key, in the order the file has always been written in.
    [[nodiscard]] static std::span<const Key> Keys();
    // The rates the settings page lists, as texts, in list order.
    [[nodiscard]] static std::span<const char* const> SamplingFrequencies();

    // A key the file does not have takes its default; values are taken as
    // they are stored, unchecked (the window's controls and the CLI bound them).
    [[nodiscard]] static CuttingSettings Load(const TMyMemIniFile& ini);
    // Writes every key; the typed rate's text only when the rate is typed, so
    // that an older text stays in the file beside a listed rate.
    void Save(TMyMemIniFile& ini) const;

    // The radio buttons load in file order and checking one clears the
    // others: the last one checked wins, none checked is no cutting.
    [[nodiscard]] CutMode Mode() const;
    void SetMode(CutMode mode);
    [[nodiscard]] std::int32_t Channels() const { return recModeIndex == 0 ? 1 : 2; }
    void SetChannels(std::int32_t channels) { recModeIndex = channels == 1 ? 0 : 1; }
    // Whether samplingIndex names a listed rate (else samplingText holds it).
    [[nodiscard]] bool RateListed() const;
    // The listed or typed rate; 0 for a typed text that is no number, which
    // the window and the CLI refuse with their own words before they ask.
    [[nodiscard]] std::int32_t SampleRate() const;
    // Picks the listed entry when there is one, else types the rate.
    void SetSampleRate(std::int32_t rate);
    [[nodiscard]] std::int64_t PieceSeconds() const;
    void SetPieceSeconds(std::int64_t seconds);
    // The recording time limit; 0 (also for a negative total): no limit.
    [[nodiscard]] std::int32_t RecordingLimitSeconds() const;

    // The FLAC settings of the output; nullopt for WAVE or RAW.
    // FLAC wins over RAW: the window greys RAW out while FLAC is on.
    [[nodiscard]] std::optional<FlacSettings> Flac() const {
        return flacOutput ? std::optional(FlacSettings{flacLevel}) : std::nullopt;
    }
    [[nodiscard]] bool RawOutput() const { return rawOutput && !flacOutput; }

    // What the recorder takes for a run (TWaveInThread::Configure).
    [[nodiscard]] RecordingSettings Recording() const;
    // The gap finder's settings for audio at sampleRate: the sensitivity and
    // the minimum gap, with the trigger's delay, tail and minimum track length
    // as what a piece keeps of its gaps and the shortest piece kept.
    [[nodiscard]] GapSettings Gaps(std::int32_t sampleRate) const;
    // The same in seconds, with the track count, for the re-divide.
    [[nodiscard]] GapCutPlan::Rules GapRules() const;
    // The re-divide job's cutting rules (mode, piece length, level, times,
    // minimum length) and its FLAC output and tags; sources, RAW output and
    // digits are the caller's.
    void ApplyTo(TCutThread& job) const;
    // A splitter that finds the cuts by these settings at SampleRate(). Its
    // time setters explain what they correct.
    void ApplyTo(TriggerSplitter& splitter) const;

    bool operator==(const CuttingSettings&) const = default;

    // "tsSetting"
    std::int32_t deviceIndex{};  // the device list's index; -1: none listed
    std::string baseFileName;    // "": the program's own default
    std::int32_t recordingHours{};
    std::int32_t recordingMinutes{};
    std::int32_t recordingSeconds{};
    bool netRecordingTime{};      // the limit counts only time inside tracks
    std::int32_t recModeIndex{};  // 0 mono, 1 stereo
    std::int32_t digits{};
    std::int32_t samplingIndex{};  // -1: typed
    std::string samplingText;
    bool displayWaveForm{};
    bool rawOutput{};
    std::string deviceName;  // finds the device again when the server lists it elsewhere
    bool flacOutput{};       // FLAC tracks instead of WAVE or RAW
    // Not kept in the file: the command line's.
    std::int32_t flacLevel = FlacSettings::kDefaultLevel;
    TrackTags tags;  // album fields for every FLAC track
    // "tsCut"
    bool useTrigger{};
    bool cutByInterval{};
    bool noCut{};
    std::int32_t triggerLevel{};
    std::int32_t triggerDelayMs{};
    std::int32_t trackIntervalMs{};
    std::int32_t lastTimeAfterTriggerMs{};
    std::int32_t pieceHours{};
    std::int32_t pieceMinutes{};
    std::int32_t pieceSeconds{};
    std::int32_t minimumTrackLengthMs{};  // trigger and gap modes; 0 keeps every track
    bool findGaps{};                      // gap mode: the last of the mode buttons
    std::int32_t gapSensitivityDb{};      // dB above the measured noise floor
    std::int32_t minimumGapMs{};
    std::int32_t trackCount{};        // re-divide in gap mode: pieces per file; 0 unknown
    std::int32_t snapRangeSeconds{};  // track times: how far a boundary may move to a gap
};

}  // namespace zolvane2
