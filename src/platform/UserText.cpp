#include "platform/UserText.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/ErrorDisplay.h"

namespace zolvane2 {

namespace {

struct Wording {
    TextId id;
    const char* japanese;
    const char* english;
};

// In the order of TextId, which Pattern relies on.
constexpr Wording kWordings[] = {
    {TextId::Plain, "%1", "%1"},
    {TextId::FullStop, "%1", "%1"},
    {TextId::WithReason, "%1(理由: %2)", "%1 (%2)"},
    {TextId::AboutFile, "%1\r\n%2", "%1\r\n%2"},
    {TextId::NotFound, "%1\r\nが見つかりません。", "%1\r\nnot found."},
    {TextId::NotWave, "%1\r\nはWaveファイルではない可能性があります。", "%1\r\nmay not be a WAVE file."},
    {TextId::NoData, "%1\r\nがうまく読めませんでした。", "%1\r\ncould not be read properly."},
    {TextId::UnsupportedWave, "%1\r\nはサポート外のWaveファイルです。", "%1\r\nis a WAVE file of an unsupported kind."},
    {TextId::NotPcm, "%1\r\nはPCM-Waveファイルではありません。", "%1\r\nis not a PCM WAVE file."},
    {TextId::Not16Bit, "%1\r\nは16bitWaveファイルではありません。", "%1\r\nis not a 16-bit WAVE file."},
    {TextId::FormatTooShort, "%1\r\nはフォーマットチャンクがPCMには短すぎるため修復できません。",
     "%1\r\nhas a format chunk too short for PCM; it cannot be repaired."},
    {TextId::NotFlac, "%1\r\nはFLACファイルではない可能性があります。", "%1\r\nmay not be a FLAC file."},
    {TextId::UnsupportedFlac, "%1\r\nはサポート外のFLACファイルです(16bitのモノラルかステレオのみ読めます)。",
     "%1\r\nis a FLAC file of an unsupported kind (only 16-bit mono or stereo is read)."},
    {TextId::NotTrackFile, "%1\r\nは読めない種類のファイルです(WAVE、RAW、FLACのみ)。",
     "%1\r\nis not a kind of file this program reads (WAVE, RAW or FLAC only)."},
    {TextId::UnsupportedTitle, "サポート外のファイル", "Unsupported file"},
    {TextId::FileCreate, "ファイル %1 を作成できません", "File %1 cannot be created"},
    {TextId::FileOpen, "ファイル %1 は開けません", "File %1 cannot be opened"},
    {TextId::StreamRead, "ストリームからの読み込みエラー", "Stream read error"},
    {TextId::StreamWrite, "ストリームへの書き込みエラー", "Stream write error"},
    {TextId::UnplayableRate, "%1\r\n%2 Hz のサンプリングレートは再生できません",
     "%1\r\n%2 Hz is not a playable sample rate"},
    {TextId::ParameterMismatch, "パラメータの異なるファイルを結合することはできません。",
     "Files with different parameters cannot be joined."},
    {TextId::NoFreeSpace, "ディスクの空き容量が足りません。", "There is not enough free disk space."},
    {TextId::SizeOver, "サイズオーバー", "Size over"},
    {TextId::AskRaw, "WAVEファイルは2Gを越えることができません\r\nRAW形式で保存しますか?",
     "A WAVE file cannot exceed 2 GB\r\nSave it in RAW format?"},
    // The limit comes padded to two places (" 4"), which spaces it from "of".
    {TextId::FileSystemLimit, "このドライブ(%1)では%2G以上のファイルを作成することができません。",
     "This drive (%1) cannot hold files of%2 GB or more."},
    {TextId::NoRecordingDevice, "録音デバイスが見つかりません。録音はできません。",
     "No recording device was found. Recording is not possible."},
    {TextId::NoSoundServer,
     "サウンドサーバー (PulseAudio、または PipeWire の pipewire-pulse) が応答しません%1。"
     "サーバーが動いているか、PULSE_SERVER の指定を確かめてください。",
     "No sound server (PulseAudio, or PipeWire through pipewire-pulse) answers%1. "
     "Check that one runs and what PULSE_SERVER names."},
    {TextId::DeviceError, "デバイスエラー", "Device error"},
    {TextId::NoFreeTrackNumber, "%1\r\n使えるトラック番号が残っていないので、録音できません。",
     "%1\r\nNo free track number is left, so recording is not possible."},
    {TextId::SettingsError, "設定エラー", "Settings error"},
    {TextId::DelayNegative,
     "トリガディレイ%1(sec)が指定されましたが、\r\nトリガディレイはプラスにしかなれないので、\r\n"
     "トリガディレイ0(トリガディレイなし)に修正します。",
     "Trigger delay %1 s was given, but\r\nthe trigger delay cannot be negative, so\r\n"
     "it is corrected to 0 (no trigger delay)."},
    {TextId::IntervalNegative,
     "トラック間隔%1(sec)"
     "が指定されましたが、\r\nトラック間隔はプラスにしかなれないので、\r\nトラック間隔0に修正します。",
     "Track interval %1 s was given, but\r\nthe track interval cannot be negative, so\r\nit is corrected to 0."},
    {TextId::TailNegative,
     "残す時間%1(sec)が指定されましたが、\r\n残す時間はプラスにしかなれないので、\r\n残す時間0(残す時間なし)"
     "に修正します。",
     "Tail %1 s was given, but\r\nthe tail cannot be negative, so\r\nit is corrected to 0 (no tail)."},
    {TextId::TailTooLong,
     "残す時間%1(sec)が指定されましたが、\r\nこの時間はトラック間隔よりも長すぎます。\r\n"
     "残す時間をトラック間隔と同じ長さに修正します。",
     "Tail %1 s was given, but\r\nthis is longer than the track interval.\r\n"
     "The tail is corrected to the length of the track interval."},
    {TextId::MaxTrackNumber,
     "トラック数の最大値%1が指定されましたが、\r\nトラック桁数は%2なので、\r\n最大値を%3に修正します。",
     "A maximum track number of %1 was given, but\r\ntrack numbers have %2 digits, so\r\n"
     "the maximum is corrected to %3."},
    {TextId::WarnNoFreeSpace, "ドライブの空き容量が不足しています。", "There is not enough free space on the drive."},
    {TextId::WarnFileSystemLimit, "ファイルサイズ制限オーバー。切り出しが必要。",
     "Over the file size limit. Cutting is needed."},
    {TextId::WarnOver2G, "2Gオーバー。RAW形式または切り出しが必要。", "Over 2 GB. RAW format or cutting is needed."},
    {TextId::WarnFits, "最後まで録音可能です。", "It can be recorded to the end."},
    {TextId::SizeGB, "%1Gバイト", "%1 GB"},
    {TextId::SizeMB, "%1Mバイト", "%1 MB"},
    {TextId::GapsFewer, "%1: %2 個のピースを指定されましたが、ギャップが足りないので %3 個に切り出しました。",
     "%1: %2 pieces were asked for, but the gaps give only %3."},
    {TextId::GapNotFound, "%1: ピース %2 の終わりの前後 %3 秒にギャップがないので、指定の時間で切りました。",
     "%1: no gap within %3 s of the end of piece %2; it is cut at the time given."},
    {TextId::GapPieceLength, "%1: ピース %2 の長さ %3 が、指定の長さ %4 と大きく違います。",
     "%1: piece %2 is %3 long, far from the %4 given."},
    {TextId::TrackListLonger, "%1: 曲目リストの %2 曲に対してピースは %3 個でした。残りの曲名は使っていません。",
     "%1: the track list names %2 tracks but there were %3 pieces; the rest of the list is unused."},
    {TextId::TrackListShorter,
     "%1: 曲目リストの %2 曲に対してピースは %3 個でした。リストを超えたピースは番号の名前のままです。",
     "%1: the track list names %2 tracks but there were %3 pieces; those beyond it keep number names."},
};

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < std::size(kWordings); ++i) {
        if (static_cast<std::size_t>(kWordings[i].id) != i) {
            return false;
        }
    }
    return static_cast<std::size_t>(TextId::TrackListShorter) + 1 == std::size(kWordings);
}
static_assert(InIdOrder(), "kWordings must list every TextId once, in order");

}  // namespace

TextLanguage LocaleLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "ja", 2) == 0 ? TextLanguage::Japanese : TextLanguage::English;
        }
    }
    return TextLanguage::English;
}

const char* UserText::Pattern(TextId id, TextLanguage language) {
    const Wording& w = kWordings[static_cast<std::size_t>(id)];
    return language == TextLanguage::Japanese ? w.japanese : w.english;
}

std::vector<TextId> UserText::AllIds() {
    std::vector<TextId> ids;
    for (const Wording& w : kWordings) {
        if (w.id != TextId::Plain) {
            ids.push_back(w.id);
        }
    }
    return ids;
}

std::string UserText::In(TextLanguage language) const {
    if (id_ == TextId::Plain) {
        return plain_;
    }
    const std::string pattern = Pattern(id_, language);
    std::string result;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9') {
            const auto n = static_cast<std::size_t>(next - '1');
            if (n < args_.size()) {
                result += args_[n].In(language);
            }
            ++i;
            continue;
        }
        result += pattern[i];
    }
    // The full stop follows the text's last character in its own language.
    return id_ == TextId::FullStop ? WithFullStop(result) : result;
}

}  // namespace zolvane2
