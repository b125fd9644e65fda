#include "file_lock.h"

#include "app_error.h"
#include "file_access.h"
#include "file_log.h"
#include "file_name_test.h"
#include "old_contents.h"
#include "posix_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr auto kRetry = std::chrono::milliseconds(10);

// Removes the temporary file `name` in the folder open on `dir` when it is
// a leftover: a regular file (never what a symbolic link points to) of this
// user, or another name of the locked file itself, that no writer holds
// locked any more.
void removeLeftover(int dir, const char *name, const struct stat &lockedFile)
{
    struct stat st {};
    if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return;
    const bool lockedFileItself = st.st_dev == lockedFile.st_dev && st.st_ino == lockedFile.st_ino;
    if (st.st_uid != ::geteuid() && !lockedFileItself)
        return;
    if (!lockedFileItself) {
        const int fd = ::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            qCWarning(lcFile) << "a temporary file is not looked at:" << name << std::strerror(errno);
            return;
        }
        struct stat opened {};
        // A writer still at work holds it locked (the temporary file of a
        // write to a file whose name is this file's backup name, say).
        const bool leftover = ::fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino
                              && lockWholeFile(fd, F_RDLCK, false) == 0;
        // Removed while locked, so that its name cannot be reused in between.
        if (leftover && ::unlinkat(dir, name, 0) != 0)
            qCWarning(lcFile) << "a leftover of an earlier write stays:" << name << std::strerror(errno);
        ::close(fd);
        return;
    }
    if (::unlinkat(dir, name, 0) != 0)
        qCWarning(lcFile) << "a leftover of an earlier write stays:" << name << std::strerror(errno);
}

// A write killed half-way leaves its temporary file (see posix_io.h) beside
// the file or its backup, and one killed while rewriting the file in place
// may leave a copy of its old contents (see old_contents.h). Whoever holds
// the file's lock is its only writer, but the backup's name may be a file
// of its own that another writer is writing: only a temporary file no
// writer holds locked is a leftover, and goes; so does a copy the file no
// longer needs.
void removeLeftovers(const QString &path, const struct stat &lockedFile)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return;
    const QFileInfo info(target);
    const QByteArray names[] = {QFile::encodeName(info.fileName()),
                                QFile::encodeName(QFileInfo(backupPathFor(target)).fileName())};
    const int dir = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int listed = dir < 0 ? -1 : ::dup(dir);
    DIR *entries = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!entries) {
        if (listed >= 0)
            ::close(listed);
        qCWarning(lcFile) << "leftovers of earlier writes are not looked for beside" << target << std::strerror(errno);
    } else {
        while (const dirent *entry = ::readdir(entries)) {
            const QByteArrayView name(entry->d_name);
            if (std::any_of(std::begin(names), std::end(names),
                            [&](const QByteArray &file) { return isTemporaryNameOf(name, file); }))
                removeLeftover(dir, entry->d_name, lockedFile);
        }
        ::closedir(entries);
    }
    if (dir >= 0)
        ::close(dir);
    separateBackup(target, backupPathFor(target));
    removeNeedlessOldContents(target);
    removeNeedlessOldContents(backupPathFor(target));
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The files this program holds locked. A second lock of the same file
// through another open file description would wait for the first, that is
// for ever.
using FileId = std::pair<quint64, quint64>;
QMutex heldMutex;
QSet<FileId> heldFiles;

bool isHeld(const struct stat &st)
{
    const QMutexLocker locker(&heldMutex);
    return heldFiles.contains(FileId(st.st_dev, st.st_ino));
}
} // namespace

FileLock::FileLock(const QString &path, std::chrono::milliseconds timeout)
{
    const QByteArray native = QFile::encodeName(path);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // A writer locks the file for writing, through a descriptor open for
        // writing, so that whoever can merely read it cannot hold it up. A
        // file this program may not write is only read: its lock is a read
        // lock, which waits for writers but keeps out none but them, and
        // leaves others' files alone.
        bool writer = !isReadOnlyFile(path);
        int fd = writer ? ::open(native.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY) : -1;
        if (fd < 0 && (!writer || errno != ENOENT)) {
            writer = false;
            fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        }
        if (fd < 0) {
            if (errno == ENOENT)
                return;
            throwFileError(errno, path);
        }
        struct stat opened {};
        if (::fstat(fd, &opened) == 0 && isHeld(opened)) {
            ::close(fd);
            return;
        }
        for (;;) {
            const int error = lockWholeFile(fd, writer ? F_WRLCK : F_RDLCK, false);
            if (error == 0)
                break;
            if (error != EAGAIN) {
                ::close(fd);
                throwFileError(error, path);
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                throw AppError(ErrorKind::PathFileAccess,
                               path + QStringLiteral(" is being written by another program; nothing was written"));
            }
            std::this_thread::sleep_for(kRetry);
        }
        // The file locked may have been replaced by the writer before us;
        // then the path names a new file, which is the one to lock.
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::stat(native.constData(), &named) == 0 && sameFile(locked, named)) {
            m_fd = fd;
            m_device = quint64(locked.st_dev);
            m_inode = quint64(locked.st_ino);
            {
                const QMutexLocker locker(&heldMutex);
                heldFiles.insert(FileId(m_device, m_inode));
            }
            if (writer)
                removeLeftovers(path, locked);
            return;
        }
        ::close(fd);
    }
}

FileLock::~FileLock()
{
    if (m_fd < 0)
        return;
    {
        const QMutexLocker locker(&heldMutex);
        heldFiles.remove(FileId(m_device, m_inode));
    }
    ::close(m_fd);
}
