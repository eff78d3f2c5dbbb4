#include <filesystem>

#include <gtest/gtest.h>

#include "jobs/CombineChecks.h"
#include "jobs/DiskSpace.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

constexpr int64_t kGB = 1024LL * 1024 * 1024;

TEST(CombineChecksTest, ChannelCodeIgnoresCase) {
    EXPECT_EQ(ChannelCode("Stereo"), 2);
    EXPECT_EQ(ChannelCode("STEREO"), 2);
    EXPECT_EQ(ChannelCode("mono"), 1);
    EXPECT_EQ(ChannelCode("3ch"), 0);
    EXPECT_EQ(ChannelCode(""), 0);
}

TEST(CombineChecksTest, ParametersMatchOrNameTheOffendingEntry) {
    CombineParameters p;
    EXPECT_TRUE(p.Empty());
    EXPECT_TRUE(p.Take(2, 44100));
    EXPECT_TRUE(p.Take(2, 44100));
    EXPECT_FALSE(p.Empty());
    EXPECT_FALSE(p.Take(1, 44100));  // Stereo then Mono: this one offends
    EXPECT_TRUE(p.mismatch);

    CombineParameters rate;
    EXPECT_TRUE(rate.Take(1, 44100));
    EXPECT_FALSE(rate.Take(1, 48000));

    // A file of three or more channels (code 0) offends wherever it stands,
    // also first, where it used to set no layout and let a stereo one follow.
    for (const bool first : {true, false}) {
        CombineParameters unknown;
        if (!first) {
            EXPECT_TRUE(unknown.Take(2, 44100));
        }
        EXPECT_FALSE(unknown.Take(0, 44100));
        EXPECT_TRUE(unknown.mismatch);
    }
    EXPECT_EQ(UserText(TextId::ParameterMismatch).Japanese(), "パラメータの異なるファイルを結合することはできません。");
    EXPECT_EQ(std::string(kParameterMismatchCaption), "Error");
}

TEST(CombineChecksTest, NotEnoughFreeSpaceComesFirst) {
    const auto c = CheckCombineSize(1000, 999, "EXT4", false);
    EXPECT_EQ(c.verdict, CombineSizeVerdict::NotEnoughSpace);
    EXPECT_EQ(c.text.Japanese(), "ディスクの空き容量が足りません。");
    EXPECT_EQ(c.caption.Japanese(), "サイズオーバー");
    // A failed free-space query (-1) stops any combine with data.
    EXPECT_EQ(CheckCombineSize(1, -1, "EXT4", false).verdict, CombineSizeVerdict::NotEnoughSpace);
    // A WAVE output needs room for its header as well.
    EXPECT_EQ(CheckCombineSize(1000, 1043, "EXT4", false).verdict, CombineSizeVerdict::NotEnoughSpace);
    EXPECT_EQ(CheckCombineSize(1000, 1044, "EXT4", false).verdict, CombineSizeVerdict::Go);
    EXPECT_EQ(CheckCombineSize(1000, 1000, "EXT4", true).verdict, CombineSizeVerdict::Go);
    // Over the file-system limit and short of space: the space message.
    EXPECT_EQ(CheckCombineSize(5 * kGB, kGB, "FAT32", false).verdict, CombineSizeVerdict::NotEnoughSpace);
}

TEST(CombineChecksTest, FileSystemLimitTexts) {
    const auto fat32 = CheckCombineSize(5 * kGB, 100 * kGB, "FAT32", true);
    EXPECT_EQ(fat32.verdict, CombineSizeVerdict::OverFileSystemLimit);
    EXPECT_EQ(fat32.text.Japanese(), "このドライブ(FAT32)では 4G以上のファイルを作成することができません。");
    EXPECT_EQ(fat32.caption.Japanese(), "サイズオーバー");
    const auto fat = CheckCombineSize(3 * kGB, 100 * kGB, "FAT", false);
    EXPECT_EQ(fat.text.Japanese(), "このドライブ(FAT)では 2G以上のファイルを作成することができません。");
    EXPECT_EQ(FileSystemLimitText("EXT4", FileSizeLimit("EXT4")).Japanese(),
              "このドライブ(EXT4)では2048G以上のファイルを作成することができません。");
    // 4 GB exactly fits FAT32 (RAW: no question).
    EXPECT_EQ(CheckCombineSize(4 * kGB, 100 * kGB, "FAT32", true).verdict, CombineSizeVerdict::Go);
}

TEST(CombineChecksTest, TwoGigabyteQuestionOnlyForWaveAboveTheLimit) {
    EXPECT_EQ(CheckCombineSize(2 * kGB, 100 * kGB, "EXT4", false).verdict, CombineSizeVerdict::Go);
    const auto ask = CheckCombineSize(2 * kGB + 1, 100 * kGB, "EXT4", false);
    EXPECT_EQ(ask.verdict, CombineSizeVerdict::AskForRaw);
    EXPECT_EQ(ask.text.Japanese(), "WAVEファイルは2Gを越えることができません\r\nRAW形式で保存しますか?");
    EXPECT_EQ(ask.caption.Japanese(), "サイズオーバー");
    EXPECT_EQ(CheckCombineSize(2 * kGB + 1, 100 * kGB, "EXT4", true).verdict, CombineSizeVerdict::Go);
    // FAT (2 GB): above 2 GB is the limit message, never the question.
    EXPECT_EQ(CheckCombineSize(2 * kGB + 1, 100 * kGB, "FAT", false).verdict, CombineSizeVerdict::OverFileSystemLimit);
}

TEST(CombineChecksTest, TargetOnAMissingFolderOfARealFileSystem) {
    EXPECT_EQ(CheckCombineTarget("/tmp/zolvane2-no-such/out.wav", 1000, false).verdict, CombineSizeVerdict::Go);
    EXPECT_EQ(CheckCombineTarget("", 1000, false).verdict, CombineSizeVerdict::NotEnoughSpace);
}

TEST(CombineChecksTest, TargetThatIsASourceIsFoundUnderAnySpelling) {
    test::TempDir dir;
    test::WriteFile(dir.File("a.wav"), {1});
    test::WriteFile(dir.File("b.wav"), {1});
    std::filesystem::create_symlink(dir.File("a.wav"), dir.File("link.wav"));
    const std::vector<std::string> sources{dir.File("a.wav"), dir.File("b.wav")};
    EXPECT_TRUE(TargetIsASource(dir.File("b.wav"), sources));
    EXPECT_TRUE(TargetIsASource(dir.Path() + "/./link.wav", sources));
    EXPECT_FALSE(TargetIsASource(dir.File("new.wav"), sources));
    test::WriteFile(dir.File("other.wav"), {1});
    EXPECT_FALSE(TargetIsASource(dir.File("other.wav"), sources));
}

TEST(CombineChecksTest, Extensions) {
    EXPECT_EQ(ReplaceExtension("/a.d/out.wav", ".raw"), "/a.d/out.raw");
    EXPECT_EQ(ReplaceExtension("/a.d/out", ".raw"), "/a.d/out.raw");
    EXPECT_EQ(LowerExtension("/x/OUT.RAW"), ".raw");
    EXPECT_EQ(LowerExtension("/x.y/out"), "");
}

}  // namespace
}  // namespace zolvane2
