#include <gtest/gtest.h>

#include "jobs/DiskSpace.h"
#include "jobs/RecordingEstimate.h"

namespace zolvane2 {
namespace {

constexpr int64_t kGB = 1024LL * 1024 * 1024;

RecordingEstimateInput Stereo44k(int64_t seconds, int64_t freeBytes, int64_t limit, bool raw) {
    RecordingEstimateInput in;
    in.sampleRate = 44100;
    in.channels = 2;
    in.recordingSeconds = seconds;
    in.freeBytes = freeBytes;
    in.sizeLimit = limit;
    in.rawOutput = raw;
    return in;
}

TEST(RecordingEstimateTest, OneHourOnLargeDriveFitsAndIsLimitedByWave) {
    const auto e = ComputeRecordingEstimate(Stereo44k(3600, 100 * kGB, FileSizeLimit("NTFS"), false));
    EXPECT_EQ(e.neededBytes, 635040000);
    EXPECT_EQ(e.recSize, "605.62Mバイト");
    EXPECT_EQ(e.maxRecTime, "3h22m53s");
    EXPECT_EQ(e.diskTime, "169h04m57s") << "the whole free space, across tracks";
    EXPECT_EQ(e.warning, SizeWarning::SkyBlue);
    EXPECT_EQ(e.warningText, "最後まで録音可能です。");
    EXPECT_EQ(SizeWarningRgb(e.warning), (Rgb{0, 204, 255}));
}

TEST(RecordingEstimateTest, FourHoursOverTwoGigabytesUntilRawIsChosen) {
    const auto wave = ComputeRecordingEstimate(Stereo44k(4 * 3600, 100 * kGB, FileSizeLimit("EXT4"), false));
    EXPECT_EQ(wave.neededBytes, 2540160000);
    EXPECT_EQ(wave.warning, SizeWarning::Yellow);
    EXPECT_EQ(wave.warningText, "2Gオーバー。RAW形式または切り出しが必要。");
    EXPECT_EQ(wave.recSize, "2.37Gバイト");

    const auto raw = ComputeRecordingEstimate(Stereo44k(4 * 3600, 100 * kGB, FileSizeLimit("EXT4"), true));
    EXPECT_EQ(raw.warning, SizeWarning::SkyBlue);
    // 100 GB / 176,400 bytes per second = 608,697 s.
    EXPECT_EQ(raw.maxRecTime, "169h04m57s");
}

TEST(RecordingEstimateTest, Fat32WithRawIsLimitedToFourGigabytes) {
    const auto e = ComputeRecordingEstimate(Stereo44k(8 * 3600, 100 * kGB, FileSizeLimit("FAT32"), true));
    EXPECT_EQ(e.neededBytes, 5080320000);
    EXPECT_EQ(e.warning, SizeWarning::Yellow);
    EXPECT_EQ(e.warningText, "ファイルサイズ制限オーバー。切り出しが必要。");
    EXPECT_EQ(e.maxRecTime, "6h45m47s");
    EXPECT_EQ(SizeWarningRgb(e.warning), (Rgb{255, 255, 0}));
}

TEST(RecordingEstimateTest, ZeroTimeAndTwoHoursFormatting) {
    const auto zero = ComputeRecordingEstimate(Stereo44k(0, 100 * kGB, FileSizeLimit("EXT4"), false));
    EXPECT_EQ(zero.recSize, "0.00Mバイト");
    EXPECT_EQ(zero.warning, SizeWarning::SkyBlue);
    const auto two = ComputeRecordingEstimate(Stereo44k(7200, 100 * kGB, FileSizeLimit("EXT4"), false));
    EXPECT_EQ(two.recSize, "1.18Gバイト");
    auto mono = Stereo44k(4 * 3600, 100 * kGB, FileSizeLimit("EXT4"), false);
    mono.sampleRate = 11025;
    mono.channels = 1;
    EXPECT_EQ(ComputeRecordingEstimate(mono).recSize, "302.81Mバイト");
    mono.recordingSeconds = 1;
    EXPECT_EQ(ComputeRecordingEstimate(mono).recSize, "0.02Mバイト");
}

TEST(RecordingEstimateTest, UnknownFreeSpaceIsRedWithNoTime) {
    const auto e = ComputeRecordingEstimate(Stereo44k(3600, -1, FileSizeLimit(""), false));
    EXPECT_EQ(e.warning, SizeWarning::Red);
    EXPECT_EQ(e.warningText, "ドライブの空き容量が不足しています。");
    EXPECT_EQ(e.maxRecTime, "0h00m00s");
    EXPECT_EQ(e.diskTime, "");
    EXPECT_EQ(SizeWarningRgb(e.warning), (Rgb{255, 0, 0}));
}

TEST(RecordingEstimateTest, EqualValuesAreNoWarningAndFirstMatchWins) {
    // needed = 176,400 × 3,600 = 635,040,000.
    const int64_t needed = 176400LL * 3600;
    EXPECT_EQ(ComputeRecordingEstimate(Stereo44k(3600, needed, kGB * 100, false)).warning, SizeWarning::SkyBlue);
    EXPECT_EQ(ComputeRecordingEstimate(Stereo44k(3600, needed - 1, kGB * 100, false)).warning, SizeWarning::Red);
    EXPECT_EQ(ComputeRecordingEstimate(Stereo44k(3600, kGB * 100, needed, false)).warning, SizeWarning::SkyBlue);
    // Free space short and over the file-system limit: red wins.
    const auto both = ComputeRecordingEstimate(Stereo44k(8 * 3600, kGB, FileSizeLimit("FAT"), false));
    EXPECT_EQ(both.warning, SizeWarning::Red);
    // 2 GB exactly is still fine as WAVE: 2,147,483,648 = 8 × 268,435,456 (mono 4 Hz).
    RecordingEstimateInput in;
    in.sampleRate = 4;
    in.channels = 1;
    in.recordingSeconds = kWaveSizeLimit / 8;
    in.freeBytes = 100 * kGB;
    in.sizeLimit = FileSizeLimit("EXT4");
    EXPECT_EQ(ComputeRecordingEstimate(in).warning, SizeWarning::SkyBlue);
    in.recordingSeconds += 1;
    EXPECT_EQ(ComputeRecordingEstimate(in).warningText, "2Gオーバー。RAW形式または切り出しが必要。");
}

TEST(RecordingEstimateTest, ZeroRateDoesNotDivideByZero) {
    RecordingEstimateInput in;
    in.sampleRate = 0;
    in.recordingSeconds = 3600;
    in.freeBytes = kGB;
    const auto e = ComputeRecordingEstimate(in);
    EXPECT_EQ(e.maxRecTime, "0h00m00s");
    EXPECT_EQ(e.neededBytes, 0);
}

TEST(RecordingEstimateTest, EstimateAsksTheFileSystemOfTheBaseName) {
    const auto e = EstimateRecording("/tmp/zolvane2-no-such-dir/Track.wav", 44100, 2, 3600, false);
    EXPECT_EQ(e.recSize, "605.62Mバイト");
    if (FreeDiskBytes("/tmp") > 635040000) {
        EXPECT_NE(e.warning, SizeWarning::Red);
    }
    EXPECT_EQ(EstimateRecording("", 44100, 2, 3600, false).warning, SizeWarning::Red);
}

}  // namespace
}  // namespace zolvane2
