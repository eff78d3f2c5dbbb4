#include <filesystem>

#include <gtest/gtest.h>
#include <sys/statfs.h>

#include "jobs/DiskSpace.h"
#include "support/TestFiles.h"

namespace zolvane2 {
namespace {

TEST(DiskSpaceTest, KernelTypesMapToTheNamesTheSizeRulesRead) {
    EXPECT_EQ(FileSystemNameForType("vfat"), "FAT32");
    EXPECT_EQ(FileSystemNameForType("msdos"), "FAT");
    EXPECT_EQ(FileSystemNameForType("ext4"), "EXT4");
    EXPECT_EQ(FileSystemNameForType("tmpfs"), "TMPFS");
    EXPECT_EQ(FileSystemNameForType("exfat"), "EXFAT");
    EXPECT_EQ(FileSystemNameForType("ntfs3"), "NTFS3");
}

TEST(DiskSpaceTest, SizeLimitByName) {
    EXPECT_EQ(FileSizeLimit("FAT32"), 4294967296LL);
    EXPECT_EQ(FileSizeLimit("FAT"), 2147483648LL);
    EXPECT_EQ(FileSizeLimit("FAT16"), 2147483648LL);
    EXPECT_EQ(FileSizeLimit("NTFS"), 2199023255552LL);
    EXPECT_EQ(FileSizeLimit("EXT4"), 2199023255552LL);
    // exFAT holds files far beyond 4 GB although its name carries "FAT".
    EXPECT_EQ(FileSizeLimit("EXFAT"), 2199023255552LL);
    EXPECT_EQ(FileSizeLimit("exFAT"), 2199023255552LL);
    // An unreadable name counts as neither FAT32 nor FAT.
    EXPECT_EQ(FileSizeLimit(""), 2199023255552LL);
}

TEST(DiskSpaceTest, NearestExistingFolderWalksUp) {
    const auto tmp = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(NearestExistingFolder(tmp + "/zolvane2-none/a/b/Track.wav"), tmp);
    EXPECT_EQ(NearestExistingFolder(tmp), tmp);
    EXPECT_EQ(NearestExistingFolder(""), "");
    EXPECT_EQ(NearestExistingFolder("relative-missing.wav"), std::filesystem::current_path().string());

    // Through a link the system, not the letters, decides where ".." leads.
    const zolvane2::test::TempDir dir;
    std::filesystem::create_directories(dir.File("far/inner"));
    std::filesystem::create_directories(dir.File("near"));
    std::filesystem::create_directory_symlink("../far/inner", dir.File("near/lnk"));
    const std::string found = NearestExistingFolder(dir.File("near/lnk/../new/x.wav"));
    EXPECT_TRUE(std::filesystem::equivalent(found, dir.File("far"))) << found;
}

TEST(DiskSpaceTest, NameAndFreeBytesOfARealFileSystem) {
    struct statfs sf {};
    ASSERT_EQ(::statfs("/dev/shm", &sf), 0);
    if (sf.f_type == 0x01021994) {
        EXPECT_EQ(FileSystemName("/dev/shm/zolvane2-not-there/x.wav"), "TMPFS");
    }
    EXPECT_EQ(FileSystemName("/proc/self"), "PROC");
    const int64_t freeTmp = FreeDiskBytes("/tmp/zolvane2-not-there/Track.wav");
    EXPECT_GT(freeTmp, 0);
    EXPECT_EQ(FreeDiskBytes(""), -1);
    EXPECT_EQ(FileSystemName(""), "");
}

}  // namespace
}  // namespace zolvane2
