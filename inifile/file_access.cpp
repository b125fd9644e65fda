#include "file_access.h"

#include "app_error.h"
#include "huge_pages.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Writes all of `data` at the descriptor's position; returns errno or 0.
int writeAll(int fd, QByteArrayView data)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

// Where the bytes really go: the target of a symbolic link, so that the link
// itself survives the rename.
QString resolvedTarget(const QString &path)
{
    QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? info.symLinkTarget() : target;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void syncFolder(const QByteArray &file)
{
    QByteArray folder = file;
    const qsizetype slash = folder.lastIndexOf('/');
    folder = slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : folder.left(slash));
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Rewrites the file through its own inode. Reserving the new size first
// means a full disk is found before a single byte is overwritten.
void rewriteInPlace(const QByteArray &target, QByteArrayView data, const QString &path, const QString &source)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throwFileError(errno, path, source);
    int err = 0;
    if (data.size() > 0) {
        const int rc = ::posix_fallocate(fd, 0, off_t(data.size()));
        if (rc != 0 && rc != EOPNOTSUPP && rc != EINVAL)
            err = rc;
    }
    if (!err && ::lseek(fd, 0, SEEK_SET) < 0)
        err = errno;
    if (!err)
        err = writeAll(fd, data);
    if (!err && ::ftruncate(fd, off_t(data.size())) != 0)
        err = errno;
    if (!err && ::fsync(fd) != 0)
        err = errno;
    ::close(fd);
    if (err)
        throwFileError(err, path, source);
}

} // namespace

bool isReadOnlyFile(const QString &path)
{
    struct stat st {};
    const QByteArray native = nativePath(path);
    if (::stat(native.constData(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(native.constData(), W_OK) != 0;
}

QByteArray readWholeFile(const QString &path, const QString &source)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = QFileInfo::exists(path) ? (QFileInfo(path).isDir() ? EISDIR : EACCES) : ENOENT;
        throwFileError(err, path, source);
    }
    // One buffer of the file's size, so that a large one can ask for huge
    // pages before it is filled; whatever a growing file adds comes after.
    const qint64 size = file.size();
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    adviseHugePages(bytes.data(), size_t(size));
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    bytes.truncate(qsizetype(std::max<qint64>(got, 0)));
    if (got >= 0 && file.error() == QFileDevice::NoError)
        bytes.append(file.readAll());
    if (got < 0 || file.error() != QFileDevice::NoError)
        throw AppError(RuntimeError::PathFileAccess, source, file.errorString() + QStringLiteral(": ") + path);
    return bytes;
}

bool replaceFileContents(const QString &path, QByteArrayView data, const QString &source)
{
    if (path.isEmpty())
        throwFileError(ENOENT, path, source);
    const QByteArray target = nativePath(resolvedTarget(path));

    struct stat st {};
    const bool existed = ::stat(target.constData(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        throwFileError(EISDIR, path, source);

    // The temporary file starts with a dot so that nobody mistakes it for a
    // configuration file while it exists.
    QByteArray tmpl = target;
    const qsizetype slash = tmpl.lastIndexOf('/');
    tmpl.insert(slash + 1, ".");
    tmpl.append(".XXXXXX");
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        const int err = errno;
        // A folder we may not write to can still hold a file we may write.
        if ((err == EACCES || err == EPERM || err == EROFS) && existed && ::access(target.constData(), W_OK) == 0) {
            rewriteInPlace(target, data, path, source);
            return false;
        }
        throwFileError(err, path, source);
    }

    const mode_t mode = existed ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    int err = writeAll(fd, data);
    if (!err && ::fchmod(fd, mode) != 0)
        err = errno;
    if (!err && existed && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Only root may give a file away; anyone else keeps what they can.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, uid_t(-1), st.st_gid);
        }
        ::fchmod(fd, mode); // chown clears set-id bits
    }
    if (!err && ::fsync(fd) != 0)
        err = errno;
    ::close(fd);
    if (err) {
        ::unlink(tmpl.constData());
        throwFileError(err, path, source);
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        err = errno;
        ::unlink(tmpl.constData());
        // A file mounted on its own (or across devices) cannot be renamed over.
        if ((err == EBUSY || err == EXDEV) && existed) {
            rewriteInPlace(target, data, path, source);
            return false;
        }
        throwFileError(err, path, source);
    }
    syncFolder(target);
    return true;
}

bool linkAsBackup(const QString &path, const QString &backup)
{
    const QByteArray target = nativePath(resolvedTarget(path));
    const QByteArray name = nativePath(backup);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    // A fresh name beside the backup, then the link under it, then the rename.
    QByteArray temporary = name;
    temporary.insert(temporary.lastIndexOf('/') + 1, ".");
    temporary.append(".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(temporary.constData());
    if (::link(target.constData(), temporary.constData()) != 0)
        return false;
    if (::rename(temporary.constData(), name.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    // Renaming one name of a file over another name of the same file leaves both.
    ::unlink(temporary.constData());
    syncFolder(name);
    return true;
}
