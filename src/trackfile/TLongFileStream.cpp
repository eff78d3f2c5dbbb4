#include "trackfile/TLongFileStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <sys/file.h>
#include <sys/stat.h>

#include "platform/Errors.h"

namespace zolvane2 {

namespace {

std::string WithName(const char* pattern, const std::string& fileName) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, fileName);
    return text;
}

// Takes the lock that stands for the sharing others are allowed; false when
// another holder's lock is in the way.
bool LockFor(int fd, unsigned share) {
    const int kind = share <= 1 ? LOCK_EX : LOCK_SH;
    int rc;
    do {
        rc = ::flock(fd, kind | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Empties the file. A file that is empty already (the usual new track) is
// left alone: truncating makes ext4 start writing the whole file back when
// it is closed, in the closing thread, which costs a re-divide or combine
// about as much as copying its data once more.
bool EmptyFile(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size == 0) {
        return true;
    }
    return ::ftruncate(fd, 0) == 0;
}

}  // namespace

TLongFileStream::TLongFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
    if (mode == fmCreateNew) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 || !LockFor(fd_, 0)) {
            if (fd_ >= 0) {
                ::close(fd_);
            }
            throw FileCreateError(WithName("ファイル %s を作成できません", fileName));
        }
        return;
    }
    if (mode == fmCreate) {
        // Truncate only after the lock is held, so that creating over a file
        // that another stream holds fails without emptying it.
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0 || !LockFor(fd_, 0) || !EmptyFile(fd_)) {
            if (fd_ >= 0) {
                ::close(fd_);
            }
            throw FileCreateError(WithName("ファイル %s を作成できません", fileName));
        }
        return;
    }
    int flags = O_RDONLY;
    switch (mode & 3U) {
        case 1:
            flags = O_WRONLY;
            break;
        case 2:
            flags = O_RDWR;
            break;
        default:
            break;
    }
    fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC);
    struct stat st {};
    const bool regular = fd_ >= 0 && ::fstat(fd_, &st) == 0 && !S_ISDIR(st.st_mode);
    if (!regular || !LockFor(fd_, (mode >> 4) & 0xFU)) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        throw FileOpenError(WithName("ファイル %s は開けません", fileName));
    }
}

TLongFileStream::~TLongFileStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::int64_t TLongFileStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0) {
        return 0;
    }
    ssize_t n;
    do {
        n = ::read(fd_, buffer, static_cast<std::size_t>(count));
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

std::int64_t TLongFileStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) {
        return 0;
    }
    ssize_t n;
    do {
        n = ::write(fd_, buffer, static_cast<std::size_t>(count));
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

// Not const: it changes the file.
// NOLINTNEXTLINE(readability-make-member-function-const)
bool TLongFileStream::WriteAt(std::int64_t offset, const void* buffer, std::int64_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::pwrite(fd_, bytes, static_cast<std::size_t>(count), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        offset += n;
        count -= n;
    }
    return true;
}

int TLongFileStream::OpenSyncHandle() const {
    if (fd_ < 0) {
        return -1;
    }
    // Through /proc the handle reaches this very file even if its name has
    // been taken meanwhile.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    int fd = ::open(self.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fd = ::open(fileName_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    }
    return fd;
}

std::int64_t TLongFileStream::Seek64(std::int64_t offset, int origin) {
    int whence = SEEK_SET;
    if (origin == soFromCurrent) {
        whence = SEEK_CUR;
    } else if (origin == soFromEnd) {
        whence = SEEK_END;
    }
    ::lseek(fd_, static_cast<off_t>(offset), whence);
    return GetPosition64();
}

std::int64_t TLongFileStream::GetPosition64() {
    return ::lseek(fd_, 0, SEEK_CUR);
}

void TLongFileStream::SetPosition64(std::int64_t position) {
    ::lseek(fd_, static_cast<off_t>(position), SEEK_SET);
}

std::int64_t TLongFileStream::GetSize64() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

}  // namespace zolvane2
