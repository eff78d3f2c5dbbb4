#pragma once

#include <cstdint>
#include <string>

namespace zolvane2 {

// Largest data a WAVE header can describe.
inline constexpr int64_t kWaveSizeLimit = 2147483648LL;
inline constexpr int64_t kFat32SizeLimit = 4294967296LL;
inline constexpr int64_t kUnlimitedFileSize = 2199023255552LL;  // 1024 × 2 GB

// Name of the file system that holds path, as the size rules read it: "FAT32"
// for vfat, "FAT" for msdos, otherwise the kernel's type name upper-cased
// ("EXT4", "TMPFS", "EXFAT", ...). The nearest existing folder of path is
// asked, so a file that is still to be written can be named. "" on failure.
[[nodiscard]] std::string FileSystemName(const std::string& path);

// The name FileSystemName gives a kernel file-system type ("vfat" → "FAT32").
[[nodiscard]] std::string FileSystemNameForType(const std::string& kernelType);

// Largest file the named file system can hold: 4 GB for FAT32, 2 GB for the
// other FAT variants, else 2 TB. exFAT carries "FAT" in its name but has no
// such limit, so it is not taken for FAT.
[[nodiscard]] int64_t FileSizeLimit(const std::string& fileSystemName);

// Bytes an ordinary user may still write on the file system that holds path
// (its nearest existing folder); -1 when that cannot be found out.
[[nodiscard]] int64_t FreeDiskBytes(const std::string& path);

// The nearest existing folder of path: path itself when it is a folder, else
// the closest folder above it. "" when path is empty or nothing exists.
[[nodiscard]] std::string NearestExistingFolder(const std::string& path);

}  // namespace zolvane2
