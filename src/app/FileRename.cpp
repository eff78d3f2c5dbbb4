#include "app/FileRename.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

namespace zolvane2 {

int RenameNoReplace(const QString& oldPath, const QString& newPath) {
    const QByteArray from = QFile::encodeName(oldPath);
    const QByteArray to = QFile::encodeName(newPath);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return errno;
    }
    // File systems without the atomic flag: a hard link fails when the name
    // is taken; without hard links, check and rename as the last resort.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST) {
        return EEXIST;
    }
    struct stat st {};
    if (::lstat(to.constData(), &st) == 0) {
        return EEXIST;
    }
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

}  // namespace zolvane2
