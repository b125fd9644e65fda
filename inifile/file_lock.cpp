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
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr auto kRetry = std::chrono::milliseconds(10);

// A write killed half-way leaves its temporary file (".NAME.XXXXXX" beside
// the file or its backup), and one killed while rewriting the file in place
// may leave a copy of its old contents (see old_contents.h). Whoever holds
// the lock is the only writer of this file, so any such temporary name is a
// leftover, and goes; so does a copy the file no longer needs.
void removeLeftovers(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return;
    const QFileInfo info(target);
    const QDir folder = info.dir();
    const QStringList prefixes{QLatin1Char('.') + info.fileName() + QLatin1Char('.'),
                               QLatin1Char('.') + QFileInfo(backupPathFor(target)).fileName() + QLatin1Char('.')};
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        for (const QString &prefix : prefixes) {
            if (!name.startsWith(prefix) || !isTemporarySuffix(QStringView(name).sliced(prefix.size())))
                continue;
            if (!QFile::remove(folder.filePath(name)))
                qCWarning(lcFile) << "a leftover of an earlier write stays:" << folder.filePath(name);
            break;
        }
    }
    separateBackup(target, backupPathFor(target));
    removeNeedlessOldContents(target);
    removeNeedlessOldContents(backupPathFor(target));
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The files this program holds locked. A second flock of the same file from
// another descriptor would wait for the first, that is for ever.
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
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error != EWOULDBLOCK && error != EINTR) {
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
            removeLeftovers(path);
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
