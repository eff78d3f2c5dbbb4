#include "jobs/DiskSpace.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace zolvane2 {

namespace {

std::string UpperCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// The kernel's type name of the mount that holds device dev, from
// /proc/self/mountinfo ("36 35 98:0 /mnt1 /mnt2 rw - ext3 /dev/root rw").
std::string MountTypeOf(dev_t dev) {
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    const std::string wanted = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string devField;
        if (!(fields >> id >> parent >> devField) || devField != wanted) {
            continue;
        }
        const auto dash = line.find(" - ");
        if (dash == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        if (rest >> type) {
            return type;
        }
    }
    return {};
}

// Names by magic number for systems without /proc.
std::string TypeFromMagic(int64_t magic) {
    switch (magic) {
        case 0xEF53:
            return "ext4";
        case 0x01021994:
            return "tmpfs";
        case 0x4d44:
            return "vfat";
        case 0x2011BAB0:
            return "exfat";
        case 0x5346544e:
            return "ntfs";
        case 0x9123683E:
            return "btrfs";
        case 0x58465342:
            return "xfs";
        case 0x6969:
            return "nfs";
        case 0x794c7630:
            return "overlay";
        default:
            return {};
    }
}

}  // namespace

std::string NearestExistingFolder(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) {
        return {};
    }
    // Walked up name by name without normalising: the system resolves each
    // candidate, so "link/../new" finds the link's target's parent, as the
    // file's creation will.
    for (;;) {
        if (fs::is_directory(p, ec)) {
            return p.string();
        }
        if (!p.has_relative_path()) {
            return {};
        }
        fs::path parent = p.parent_path();
        if (parent == p) {
            return {};
        }
        p = std::move(parent);
    }
}

std::string FileSystemName(const std::string& path) {
    const std::string folder = NearestExistingFolder(path);
    if (folder.empty()) {
        return {};
    }
    struct stat st {};
    std::string type;
    if (::stat(folder.c_str(), &st) == 0) {
        type = MountTypeOf(st.st_dev);
    }
    if (type.empty()) {
        struct statfs sf {};
        if (::statfs(folder.c_str(), &sf) != 0) {
            return {};
        }
        type = TypeFromMagic(static_cast<int64_t>(sf.f_type));
    }
    return FileSystemNameForType(type);
}

std::string FileSystemNameForType(const std::string& kernelType) {
    if (kernelType == "vfat") {
        return "FAT32";
    }
    if (kernelType == "msdos" || kernelType == "umsdos") {
        return "FAT";
    }
    return UpperCase(kernelType);
}

int64_t FileSizeLimit(const std::string& fileSystemName) {
    if (fileSystemName.find("FAT32") != std::string::npos) {
        return kFat32SizeLimit;
    }
    if (UpperCase(fileSystemName).find("EXFAT") != std::string::npos) {
        return kUnlimitedFileSize;
    }
    if (fileSystemName.find("FAT") != std::string::npos) {
        return kWaveSizeLimit;
    }
    return kUnlimitedFileSize;
}

int64_t FreeDiskBytes(const std::string& path) {
    const std::string folder = NearestExistingFolder(path);
    if (folder.empty()) {
        return -1;
    }
    struct statvfs sv {};
    if (::statvfs(folder.c_str(), &sv) != 0) {
        return -1;
    }
    return static_cast<int64_t>(sv.f_bavail) * static_cast<int64_t>(sv.f_frsize);
}

}  // namespace zolvane2
