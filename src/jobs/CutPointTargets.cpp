#include "jobs/CutPointTargets.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>

#include "jobs/CutPointFile.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace zolvane2 {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder a name lies in, as stat can look it up.
std::string FolderPath(const std::string& path) {
    const std::string folder = FileSystem::FolderOf(path);
    return folder.empty() ? "." : folder;
}

bool SameFolder(const std::string& a, const std::string& b) {
    const std::string folderA = FolderPath(a);
    const std::string folderB = FolderPath(b);
    struct stat stA {};
    struct stat stB {};
    if (::stat(folderA.c_str(), &stA) == 0 && ::stat(folderB.c_str(), &stB) == 0) {
        return SameFile(stA, stB);
    }
    return folderA == folderB;
}

// The same existing file, or the same name in the same folder when neither
// exists yet.
bool SamePlace(const std::string& a, const std::string& b) {
    struct stat stA {};
    struct stat stB {};
    const bool aExists = ::stat(a.c_str(), &stA) == 0;
    const bool bExists = ::stat(b.c_str(), &stB) == 0;
    if (aExists || bExists) {
        return aExists && bExists && SameFile(stA, stB);
    }
    return FileSystem::NameOf(a) == FileSystem::NameOf(b) && SameFolder(a, b);
}

}  // namespace

void CutPointTargets::AddInput(const std::string& path) {
    inputs_.push_back(path);
}

void CutPointTargets::AddTrackFiles(const std::string& stem, int digits) {
    trackFiles_.push_back({stem, std::max(digits, 1)});
}

bool CutPointTargets::IsTrackFileName(const std::string& target) const {
    const std::string name = FileSystem::NameOf(target);
    return std::any_of(trackFiles_.begin(), trackFiles_.end(), [&](const TrackFiles& t) {
        const std::string stem = FileSystem::NameOf(t.stem);
        if (name.compare(0, stem.size(), stem) != 0) {
            return false;
        }
        const std::size_t digitsEnd = name.find_first_not_of("0123456789", stem.size());
        if (digitsEnd == std::string::npos || digitsEnd - stem.size() < static_cast<std::size_t>(t.digits)) {
            return false;
        }
        const std::string ending = name.substr(digitsEnd);
        return (ending == ".wav" || ending == ".raw" || ending == "_tooLONG.wav") && SameFolder(target, t.stem);
    });
}

CutPointTargets::Refusal CutPointTargets::Check(const std::string& target) {
    const auto at = [&target](const std::string& path) { return SamePlace(path, target); };
    if (std::any_of(inputs_.begin(), inputs_.end(), at)) {
        return Refusal::Input;
    }
    // The temporary name is created new, after a regular file left there by
    // an earlier run is removed: that must be no file of this run, and a
    // link or anything else there is refused now rather than after the work.
    const std::string temporary = target + ".part";
    struct stat lst {};
    if (std::any_of(inputs_.begin(), inputs_.end(), [&](const std::string& p) { return SamePlace(p, temporary); }) ||
        (::lstat(temporary.c_str(), &lst) == 0 && !S_ISREG(lst.st_mode))) {
        return Refusal::Temporary;
    }
    if (std::any_of(outputs_.begin(), outputs_.end(), at)) {
        return Refusal::Output;
    }
    if (IsTrackFileName(target)) {
        return Refusal::TrackFile;
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        // A dangling link is replaced itself, its target left alone.
        if (errno != ENOENT) {
            return Refusal::NotCutPoints;
        }
    } else {
        try {
            if (!CutPointFile::IsCutPointText(CutPointFile::ReadWhole(target))) {
                return Refusal::NotCutPoints;
            }
        } catch (const Error&) {
            return Refusal::NotCutPoints;
        }
    }
    outputs_.push_back(target);
    return Refusal::None;
}

}  // namespace zolvane2
