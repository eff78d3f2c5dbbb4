#include "cli/Language.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "jobs/CombineChecks.h"
#include "jobs/RecordingEstimate.h"
#include "platform/Errors.h"
#include "play/TWaveOutThread.h"
#include "trackfile/TLongStream.h"
#include "trackfile/TrackFileReader.h"
#include "trackfile/TrackFileRepair.h"

namespace zolvane2::cli {

namespace {

// Engine texts and their English form; Localize replaces longer texts first,
// so that a text that contains a shorter one is replaced whole.
constexpr std::pair<const char*, const char*> kEngineTexts[] = {
    // Readers and writers of track files.
    {"が見つかりません。", "not found."},
    {"はWaveファイルではない可能性があります。", "may not be a WAVE file."},
    {"がうまく読めませんでした。", "could not be read properly."},
    {"はサポート外のWaveファイルです。", "is a WAVE file of an unsupported kind."},
    {"はPCM-Waveファイルではありません。", "is not a PCM WAVE file."},
    {"は16bitWaveファイルではありません。", "is not a 16-bit WAVE file."},
    {TrackFileRepair::kFormatTooShort, "has a format chunk too short for PCM; it cannot be repaired."},
    {TrackFileReader::kUnsupportedTitle, "Unsupported file"},
    {"ファイル ", "File "},
    {" を作成できません", " cannot be created"},
    {" は開けません", " cannot be opened"},
    {kStreamReadErrorText, "Stream read error"},
    {kStreamWriteErrorText, "Stream write error"},
    {kSystemReasonOpening, " ("},
    // Playing.
    {kUnplayableRateText, " Hz is not a playable sample rate"},
    // Joining.
    {kParameterMismatchText, "Files with different parameters cannot be joined."},
    {kNoFreeSpaceText, "There is not enough free disk space."},
    {"サイズオーバー", "Size over"},
    {"WAVEファイルは2Gを越えることができません", "A WAVE file cannot exceed 2 GB"},
    {"RAW形式で保存しますか?", "Save it in RAW format?"},
    {"このドライブ(", "This drive ("},
    {")では", ") cannot hold files of"},
    {"G以上のファイルを作成することができません。", " GB or more."},
    // Recording.
    {"コントロールパネルの設定(WAVE_MAPPER)", "Default input (WAVE_MAPPER)"},
    {"録音デバイスが見つかりません。録音はできません。", "No recording device was found. Recording is not possible."},
    {"デバイスエラー", "Device error"},
    {"使えるトラック番号が残っていないので、録音できません。",
     "No free track number is left, so recording is not possible."},
    // Corrected cutting settings.
    {"設定エラー", "Settings error"},
    {"トリガディレイ0(トリガディレイなし)", "0 (no trigger delay)"},
    {"トラック間隔0", "0"},
    {"残す時間0(残す時間なし)", "0 (no tail)"},
    {"(sec)が指定されましたが、", " s was given, but"},
    {"はプラスにしかなれないので、", "cannot be negative, so it is corrected to"},
    {"この時間はトラック間隔よりも長すぎます。", "this is longer than the track interval."},
    {"残す時間をトラック間隔と同じ長さに修正します。", "The tail is corrected to the length of the track interval."},
    {"トラック数の最大値", "A maximum track number of "},
    {"が指定されましたが、", " was given, but"},
    {"トラック桁数は", "with "},
    {"なので、", " digits"},
    {"最大値を", "the maximum is corrected to "},
    {"に修正します。", "."},
    {"トリガディレイ", "Trigger delay "},
    {"トラック間隔", "Track interval "},
    {"残す時間", "Tail "},
    // Estimates.
    {kWarnNoFreeSpace, "There is not enough free space on the drive."},
    {kWarnFileSystemLimit, "Over the file size limit. Cutting is needed."},
    {kWarnOver2G, "Over 2 GB. RAW format or cutting is needed."},
    {kWarnFits, "It can be recorded to the end."},
    {"Gバイト", " GB"},
    {"Mバイト", " MB"},
};

// The table, longest Japanese text first.
const std::vector<std::pair<std::string, std::string>>& EngineTexts() {
    static const auto sorted = [] {
        std::vector<std::pair<std::string, std::string>> list(std::begin(kEngineTexts), std::end(kEngineTexts));
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
        return list;
    }();
    return sorted;
}

}  // namespace

bool JapaneseLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "ja", 2) == 0;
        }
    }
    return false;
}

const char* Say(const char* english, const char* japanese) {
    return JapaneseLocale() ? japanese : english;
}

std::string Localize(const std::string& engineText) {
    if (JapaneseLocale()) {
        return engineText;
    }
    std::string text = engineText;
    for (const auto& [japanese, english] : EngineTexts()) {
        for (std::size_t at = text.find(japanese); at != std::string::npos; at = text.find(japanese, at)) {
            text.replace(at, japanese.size(), english);
            at += english.size();
        }
    }
    return text;
}

std::string Fill(const std::string& text, std::initializer_list<std::string> values) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9') {
            const auto n = static_cast<std::size_t>(next - '1');
            if (n < values.size()) {
                result += *(values.begin() + n);
            }
            ++i;
            continue;
        }
        result += text[i];
    }
    return result;
}

std::string SystemReason(int code) {
    return std::strerror(code);
}

std::string WithReason(const std::string& text, int code) {
    if (code == 0 || text.find(SystemReason(code)) != std::string::npos) {
        return text;
    }
    return text + " (" + SystemReason(code) + ")";
}

}  // namespace zolvane2::cli
