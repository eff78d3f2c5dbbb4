#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace zolvane2 {

// Directory facts about one file.
struct FileEntry {
    std::int64_t size = 0;
    std::time_t lastWrite = 0;  // modification time, seconds since the epoch
};

// The few file-system operations the engine needs beyond streams (POSIX).
class FileSystem {
public:
    // Looks a regular file up (following links); nothing for a missing file,
    // a directory or anything else that is not a regular file.
    [[nodiscard]] static std::optional<FileEntry> LookUp(const std::string& path);
    [[nodiscard]] static bool Exists(const std::string& path);
    // Whether anything at all is at the name, a dangling symbolic link too:
    // such a name cannot be created new.
    [[nodiscard]] static bool NameTaken(const std::string& path);
    // Renames without ever replacing an existing target (renameat2 with
    // RENAME_NOREPLACE; link + unlink where the file system lacks it).
    [[nodiscard]] static bool RenameNoReplace(const std::string& from, const std::string& to);
    [[nodiscard]] static bool Delete(const std::string& path);

    // Path pieces: the folder with its trailing "/" ("" for a bare name) and
    // the name after the last "/".
    [[nodiscard]] static std::string FolderOf(const std::string& path);
    [[nodiscard]] static std::string NameOf(const std::string& path);
    // The extension of the name part, dot included ("" when it has none).
    [[nodiscard]] static std::string ExtensionOf(const std::string& path);
};

}  // namespace zolvane2
