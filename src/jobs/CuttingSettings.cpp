#include "jobs/CuttingSettings.h"

#include <algorithm>
#include <array>
#include <climits>

#include "jobs/TCutThread.h"
#include "jobs/TMyMemIniFile.h"
#include "record/TriggerSplitter.h"

namespace zolvane2 {

namespace {

using S = CuttingSettings;

constexpr const char* kSetting = "tsSetting";
constexpr const char* kCut = "tsCut";

constexpr std::array<const char*, 12> kSamplingFrequencies{"5500",  "6000",  "7333",  "8000",  "11025", "16000",
                                                           "22050", "32000", "44100", "48000", "88200", "96000"};
constexpr std::int32_t kDefaultSamplingIndex = 8;

// The file's keys in the order it has always been written in: a new file
// keeps that order, and an older one keeps its own (TMyMemIniFile writes a
// key it has in place).
const auto kKeys = std::to_array<S::Key>({
    {kSetting, "cbWaveInDeviceName.ItemIndex", S::IntegerKey{&S::deviceIndex, 0}},
    {kSetting, "edtBaseFileName.Text", S::TextKey{&S::baseFileName, ""}},
    {kSetting, "sedtRecordingTimeH.Value", S::IntegerKey{&S::recordingHours, 0}},
    {kSetting, "sedtRecordingTimeM.Value", S::IntegerKey{&S::recordingMinutes, 60}},
    {kSetting, "sedtRecordingTimeS.Value", S::IntegerKey{&S::recordingSeconds, 0}},
    {kSetting, "cbxAbsoluteRecordingTime.Checked", S::BoolKey{&S::netRecordingTime, false}},
    {kSetting, "rgRecMode.ItemIndex", S::IntegerKey{&S::recModeIndex, 1}},
    {kSetting, "sedtPrec.Value", S::IntegerKey{&S::digits, 5}},
    {kSetting, "cbSamplingFreq.ItemIndex", S::IntegerKey{&S::samplingIndex, kDefaultSamplingIndex}},
    {kSetting, "cbSamplingFreq.Text", S::TextKey{&S::samplingText, kSamplingFrequencies[kDefaultSamplingIndex]}},
    {kSetting, "cbxDisplayWaveForm.Checked", S::BoolKey{&S::displayWaveForm, true}},
    {kSetting, "cbxRAWSave.Checked", S::BoolKey{&S::rawOutput, false}},
    {kSetting, "cbWaveInDeviceName.Name", S::TextKey{&S::deviceName, ""}},
    // Added after the older keys of its section.
    {kSetting, "cbxFLACSave.Checked", S::BoolKey{&S::flacOutput, false}},
    {kCut, "rbtnUseTrigger.Checked", S::BoolKey{&S::useTrigger, true}},
    {kCut, "rbtnInterval.Checked", S::BoolKey{&S::cutByInterval, false}},
    {kCut, "rbtnNoCut.Checked", S::BoolKey{&S::noCut, false}},
    {kCut, "sedtTriggerLevel.Value", S::IntegerKey{&S::triggerLevel, 300}},
    {kCut, "sedtTriggerDelay.Value", S::IntegerKey{&S::triggerDelayMs, 100}},
    {kCut, "sedtTrackInterval.Value", S::IntegerKey{&S::trackIntervalMs, 3000}},
    {kCut, "sedtLastTimeAfterTrigger.Value", S::IntegerKey{&S::lastTimeAfterTriggerMs, 1000}},
    {kCut, "sedtCuttingTimeH.Value", S::IntegerKey{&S::pieceHours, 0}},
    {kCut, "sedtCuttingTimeM.Value", S::IntegerKey{&S::pieceMinutes, 60}},
    {kCut, "sedtCuttingTimeS.Value", S::IntegerKey{&S::pieceSeconds, 0}},
    // Added after the older keys of its section, so it stays last.
    {kCut, "sedtMinimumTrackLength.Value", S::IntegerKey{&S::minimumTrackLengthMs, 0}},
    // The gap finder's, after the others for the same reason.
    {kCut, "rbtnGaps.Checked", S::BoolKey{&S::findGaps, false}},
    {kCut, "sedtGapSensitivity.Value", S::IntegerKey{&S::gapSensitivityDb, 6}},
    {kCut, "sedtMinimumGap.Value", S::IntegerKey{&S::minimumGapMs, 800}},
    {kCut, "sedtTrackCount.Value", S::IntegerKey{&S::trackCount, 0}},
    // Added after the gap finder's, so it stays last.
    {kCut, "sedtSnapRange.Value",
     S::IntegerKey{&S::snapRangeSeconds, static_cast<std::int32_t>(GapSettings::kDefaultSnapRangeSeconds)}},
});

// The settings page's spin boxes hold times in whole milliseconds.
double Seconds(std::int32_t ms) {
    return ms / 1000.0;
}

}  // namespace

CuttingSettings::CuttingSettings() {
    for (const Key& key : kKeys) {
        if (const auto* i = std::get_if<IntegerKey>(&key.value)) {
            this->*i->member = i->defaultValue;
        } else if (const auto* b = std::get_if<BoolKey>(&key.value)) {
            this->*b->member = b->defaultValue;
        } else {
            const auto& t = std::get<TextKey>(key.value);
            this->*t.member = t.defaultValue;
        }
    }
}

std::span<const CuttingSettings::Key> CuttingSettings::Keys() {
    return kKeys;
}

std::span<const char* const> CuttingSettings::SamplingFrequencies() {
    return kSamplingFrequencies;
}

CuttingSettings CuttingSettings::Load(const TMyMemIniFile& ini) {
    CuttingSettings s;
    for (const Key& key : kKeys) {
        if (const auto* i = std::get_if<IntegerKey>(&key.value)) {
            s.*i->member = ini.ReadInteger(key.section, key.name, i->defaultValue);
        } else if (const auto* b = std::get_if<BoolKey>(&key.value)) {
            s.*b->member = ini.ReadBool(key.section, key.name, b->defaultValue);
        } else {
            const auto& t = std::get<TextKey>(key.value);
            s.*t.member = ini.ReadString(key.section, key.name, t.defaultValue);
        }
    }
    return s;
}

void CuttingSettings::Save(TMyMemIniFile& ini) const {
    for (const Key& key : kKeys) {
        if (const auto* i = std::get_if<IntegerKey>(&key.value)) {
            ini.WriteInteger(key.section, key.name, this->*i->member);
        } else if (const auto* b = std::get_if<BoolKey>(&key.value)) {
            ini.WriteBool(key.section, key.name, this->*b->member);
        } else {
            const auto& t = std::get<TextKey>(key.value);
            if (t.member != &S::samplingText || samplingIndex == -1) {
                ini.WriteString(key.section, key.name, this->*t.member);
            }
        }
    }
}

CutMode CuttingSettings::Mode() const {
    if (noCut) {
        return CutMode::None;
    }
    if (cutByInterval) {
        return CutMode::FixedLength;
    }
    // Its button loads after the trigger's.
    if (findGaps) {
        return CutMode::Gaps;
    }
    return useTrigger ? CutMode::Trigger : CutMode::None;
}

void CuttingSettings::SetMode(CutMode mode) {
    useTrigger = mode == CutMode::Trigger;
    cutByInterval = mode == CutMode::FixedLength;
    noCut = mode == CutMode::None;
    findGaps = mode == CutMode::Gaps;
}

bool CuttingSettings::RateListed() const {
    return samplingIndex >= 0 && samplingIndex < static_cast<std::int32_t>(kSamplingFrequencies.size());
}

std::int32_t CuttingSettings::SampleRate() const {
    const std::string text =
        RateListed() ? std::string(kSamplingFrequencies.at(static_cast<std::size_t>(samplingIndex))) : samplingText;
    std::int32_t rate = 0;
    return TMyMemIniFile::ParseInteger(text, rate) ? rate : 0;
}

void CuttingSettings::SetSampleRate(std::int32_t rate) {
    const std::string text = std::to_string(rate);
    const auto* listed = std::find(kSamplingFrequencies.begin(), kSamplingFrequencies.end(), text);
    if (listed != kSamplingFrequencies.end()) {
        samplingIndex = static_cast<std::int32_t>(listed - kSamplingFrequencies.begin());
    } else {
        samplingIndex = -1;
        samplingText = text;
    }
}

std::int64_t CuttingSettings::PieceSeconds() const {
    return (std::int64_t{pieceHours} * 60 + pieceMinutes) * 60 + pieceSeconds;
}

void CuttingSettings::SetPieceSeconds(std::int64_t seconds) {
    pieceHours = static_cast<std::int32_t>(std::clamp<std::int64_t>(seconds / 3600, INT32_MIN, INT32_MAX));
    pieceMinutes = static_cast<std::int32_t>(seconds / 60 % 60);
    pieceSeconds = static_cast<std::int32_t>(seconds % 60);
}

std::int32_t CuttingSettings::RecordingLimitSeconds() const {
    const std::int64_t total = (std::int64_t{recordingHours} * 60 + recordingMinutes) * 60 + recordingSeconds;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(total, 0, INT_MAX));
}

RecordingSettings CuttingSettings::Recording() const {
    RecordingSettings r;
    r.deviceIndex = std::max(0, deviceIndex);
    r.sampleRate = SampleRate();
    r.channels = Channels();
    r.triggerLevel = triggerLevel;
    r.triggerDelay = Seconds(triggerDelayMs);
    r.trackInterval = Seconds(trackIntervalMs);
    r.lastTimeAfterTrigger = Seconds(lastTimeAfterTriggerMs);
    r.minimumTrackLength = Seconds(minimumTrackLengthMs);
    r.baseFileName = baseFileName;
    r.digits = digits;
    r.useTrigger = Mode() == CutMode::Trigger;
    r.cutByInterval = Mode() == CutMode::FixedLength;
    r.findGaps = Mode() == CutMode::Gaps;
    r.gaps = Gaps(r.sampleRate);
    r.intervalSeconds = PieceSeconds();
    r.rawOutput = RawOutput();
    r.flac = Flac();
    r.tags = tags;
    r.recordingTime = RecordingLimitSeconds();
    r.netTime = netRecordingTime;
    return r;
}

GapCutPlan::Rules CuttingSettings::GapRules() const {
    GapCutPlan::Rules r;
    r.sensitivityDb = gapSensitivityDb;
    r.minimumGapSeconds = Seconds(minimumGapMs);
    r.delaySeconds = Seconds(triggerDelayMs);
    r.tailSeconds = Seconds(lastTimeAfterTriggerMs);
    r.minimumSeconds = Seconds(minimumTrackLengthMs);
    r.trackCount = std::max(trackCount, 0);
    r.rangeSeconds = std::max(snapRangeSeconds, 0);
    return r;
}

GapSettings CuttingSettings::Gaps(std::int32_t sampleRate) const {
    return GapRules().At(sampleRate);
}

void CuttingSettings::ApplyTo(TCutThread& job) const {
    job.SetUseTrigger(Mode() == CutMode::Trigger);
    job.SetCutByInterval(Mode() == CutMode::FixedLength);
    job.SetIntervalSeconds(static_cast<double>(PieceSeconds()));
    job.SetTriggerLevel(triggerLevel);
    // The track interval bounds the time kept after a trigger: it goes first.
    job.SetTriggerDelay(Seconds(triggerDelayMs));
    job.SetTrackInterval(Seconds(trackIntervalMs));
    job.SetLastTimeAfterTrigger(Seconds(lastTimeAfterTriggerMs));
    job.SetMinimumTrackLength(Seconds(minimumTrackLengthMs));
    if (Mode() == CutMode::Gaps) {
        job.SetGapRules(GapRules());
    }
    job.SetFlacOutput(Flac(), tags);
}

void CuttingSettings::ApplyTo(TriggerSplitter& splitter) const {
    const std::int32_t rate = SampleRate();
    // The rate comes before the times it turns into frames.
    splitter.Conditions().SampleRate = rate;
    splitter.Conditions().Channels = Channels();
    splitter.Conditions().TriggerLevel = triggerLevel;
    splitter.SetTriggerDelay(Seconds(triggerDelayMs));
    splitter.SetTrackInterval(Seconds(trackIntervalMs));
    splitter.SetLastTimeAfterTrigger(Seconds(lastTimeAfterTriggerMs));
    splitter.SetDigits(digits);
    splitter.Conditions().MinimumFrames = TriggerSplitter::SecondsToFrames(rate, Seconds(minimumTrackLengthMs));
}

}  // namespace zolvane2
