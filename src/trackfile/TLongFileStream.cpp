#include "trackfile/TLongFileStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include <sys/file.h>
#include <sys/stat.h>

#include "platform/Errors.h"

namespace zolvane2 {

namespace {

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
            // EEXIST tells the callers that number files that the name was
            // taken by someone else since their search.
            const int code = errno;
            if (fd_ >= 0) {
                ::close(fd_);
            }
            throw FileCreateError(WithSystemReason(UserText(TextId::FileCreate, {fileName}), code), code);
        }
        return;
    }
    if (mode == fmCreate) {
        // Truncate only after the lock is held, so that creating over a file
        // that another stream holds fails without emptying it.
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0 || !LockFor(fd_, 0) || !EmptyFile(fd_)) {
            const int code = errno;
            if (fd_ >= 0) {
                ::close(fd_);
            }
            throw FileCreateError(WithSystemReason(UserText(TextId::FileCreate, {fileName}), code), code);
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
        const int code = regular || fd_ < 0 ? errno : EISDIR;
        if (fd_ >= 0) {
            ::close(fd_);
        }
        throw FileOpenError(UserText(TextId::FileOpen, {fileName}), code);
    }
}

TLongFileStream::~TLongFileStream() {
    CloseCopyPipe();
    if (reserved_ && fd_ >= 0) {
        // Gives back the reserved blocks beyond the end that were not
        // written (a cancelled or failed join); the size stays.
        struct stat st {};
        if (::fstat(fd_, &st) == 0) {
            // Nobody is left to tell of a failure: the blocks then stay
            // reserved and the file keeps its size either way.
            [[maybe_unused]] const int trimmed = ::ftruncate(fd_, st.st_size);
        }
    }
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

void TLongFileStream::Reserve(std::int64_t count) {
    // Blocks allocated ahead spare the file system its per-page accounting
    // while the file grows; where it cannot, nothing changes. A failed call
    // may have allocated part, so the end is trimmed either way.
    if (count > 0) {
        reserved_ = true;
        (void)::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(GetPosition64()), static_cast<off_t>(count));
    }
}

std::int64_t TLongFileStream::ReadAt(std::int64_t offset, void* buffer, std::int64_t count) {
    for (;;) {
        const ssize_t n = ::pread(fd_, buffer, static_cast<std::size_t>(std::max<std::int64_t>(count, 0)),
                                  static_cast<off_t>(offset));
        if (n >= 0 || errno != EINTR) {
            return n > 0 ? n : 0;
        }
    }
}

std::int64_t TLongFileStream::BufferPlacement(std::int64_t distance) {
    // The copy out of the buffer, into new pages, is the more particular:
    // it gets a distance of 0 or 32, the copy in the rest.
    const std::int64_t d = distance & (kCopyAlign - 1);
    return d == 0 || d >= kCopyAlign / 2 ? d : d + kCopyAlign / 2;
}

bool TLongFileStream::SlowCopyDistance(std::int64_t distance) {
    const std::int64_t d = distance & (kCopyAlign - 1);
    return d > 0 && d < kCopyAlign / 4;
}

void TLongFileStream::CopyRangeFrom(const TLongFileStream& source, std::int64_t sourceOffset, std::int64_t count) {
    if (count > 0 && SlowCopyDistance(GetPosition64() - sourceOffset)) {
        // The kernel's one copy would run at a fraction of its speed here;
        // two copies through a well-placed buffer take less time.
        CopyThroughBuffer(source, sourceOffset, count);
        return;
    }
    while (count > 0 && OpenCopyPipe()) {
        // Source pages go into the pipe by reference and are copied once,
        // into this file, in writes as large as the pipe.
        auto in = static_cast<loff_t>(sourceOffset);
        const ssize_t n = ::splice(source.fd_, &in, copyPipe_[1], nullptr,
                                   static_cast<std::size_t>(std::min(count, copyPipeSize_)), SPLICE_F_MOVE);
        if (n == 0) {
            throw ReadError(UserText(TextId::StreamRead));
        }
        if (n < 0) {
            if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
                // A file system without splice: the rest goes the ordinary way.
                CloseCopyPipe();
                kernelCopyRefused_ = true;
            } else if (errno != EINTR) {
                throw ReadError(UserText(TextId::StreamRead), errno);
            }
            continue;
        }
        for (ssize_t left = n; left > 0;) {
            const ssize_t m =
                ::splice(copyPipe_[0], nullptr, fd_, nullptr, static_cast<std::size_t>(left), SPLICE_F_MOVE);
            if (m < 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                // This file cannot be spliced into: what the pipe holds is
                // written the ordinary way, and so is the rest.
                kernelCopyRefused_ = true;
                DrainCopyPipe(left);
                break;
            }
            if (m <= 0 && !(m < 0 && errno == EINTR)) {
                // What the pipe still holds must not reach a later copy.
                const int error = errno;
                CloseCopyPipe();
                throw WriteError(UserText(TextId::StreamWrite), m < 0 ? error : 0);
            }
            left -= std::max<ssize_t>(m, 0);
        }
        sourceOffset += n;
        count -= n;
    }
    if (count > 0) {
        CopyThroughBuffer(source, sourceOffset, count);
    }
}

bool TLongFileStream::OpenCopyPipe() {
    if (kernelCopyRefused_ || copyPipe_[0] >= 0) {
        return !kernelCopyRefused_;
    }
    if (::pipe2(copyPipe_.data(), O_CLOEXEC) != 0) {
        kernelCopyRefused_ = true;
        return false;
    }
    // The larger the pipe, the fewer and larger the writes into this file;
    // a system that allows less keeps the default size.
    const int size = ::fcntl(copyPipe_[1], F_SETPIPE_SZ, 1 << 20);
    copyPipeSize_ = size > 0 ? size : ::fcntl(copyPipe_[1], F_GETPIPE_SZ);
    if (copyPipeSize_ <= 0) {
        copyPipeSize_ = 1 << 16;
    }
    return true;
}

void TLongFileStream::DrainCopyPipe(std::int64_t count) {
    copyBuffer_.resize(static_cast<std::size_t>(std::min<std::int64_t>(count, copyPipeSize_)));
    while (count > 0) {
        ssize_t n;
        do {
            n = ::read(copyPipe_[0], copyBuffer_.data(),
                       static_cast<std::size_t>(std::min<std::int64_t>(count, copyPipeSize_)));
        } while (n < 0 && errno == EINTR);
        if (n <= 0) {
            CloseCopyPipe();
            throw ReadError(UserText(TextId::StreamRead));
        }
        WriteBuffer(copyBuffer_.data(), n);
        count -= n;
    }
    CloseCopyPipe();
}

void TLongFileStream::CloseCopyPipe() {
    for (int& fd : copyPipe_) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void TLongFileStream::CopyThroughBuffer(const TLongFileStream& source, std::int64_t sourceOffset, std::int64_t count) {
    constexpr std::int64_t kChunk = 1 << 20;
    const std::int64_t size = std::min(count, kChunk);
    copyBuffer_.resize(static_cast<std::size_t>(size + kCopyAlign));
    const auto address = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(copyBuffer_.data()));
    const std::int64_t place = sourceOffset + BufferPlacement(GetPosition64() - sourceOffset);
    std::uint8_t* buffer = copyBuffer_.data() + ((place - address) & (kCopyAlign - 1));
    while (count > 0) {
        const std::int64_t want = std::min(count, size);
        ssize_t n;
        do {
            n = ::pread(source.fd_, buffer, static_cast<std::size_t>(want), static_cast<off_t>(sourceOffset));
        } while (n < 0 && errno == EINTR);
        if (n <= 0) {
            throw ReadError(UserText(TextId::StreamRead));
        }
        WriteBuffer(buffer, n);
        sourceOffset += n;
        count -= n;
    }
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
