#include "file_access.h"

#include "app_error.h"
#include "file_attributes.h"
#include "file_log.h"
#include "huge_pages.h"
#include "in_place_write.h"
#include "output_buffer.h"
#include "posix_io.h"
#include "text_format.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
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

// Whether a refused step of replacing the file by a new one leaves
// rewriting it in place: the folder or its sticky bit refused the name, or
// the file is mounted on its own (or across devices).
bool inPlaceHelps(int err)
{
    return err == EACCES || err == EPERM || err == EROFS || err == EBUSY || err == EXDEV;
}

struct NewFile {
    int error;
    // The error came from the folder or the owner, not from the data.
    bool inPlaceHelps;
};

// Writes the contents to the descriptor it is given; answers 0, or the
// errno of a refused write.
using DataWriter = std::function<int(int)>;

DataWriter writerOf(QByteArrayView data)
{
    return [data](int fd) { return writeAllAt(fd, data, 0); };
}

// Puts a new file with what `writeData` writes in the place of `name`, with
// the mode, owner and group of `like` (a new file's usual ones when null)
// and, given `like`, the extended attributes of the file `attributesFrom`
// (none when empty; see copyAttributes): written to a temporary name beside
// it, flushed to disk and renamed over it.
NewFile putNewFile(const QByteArray &name, const DataWriter &writeData, const struct stat *like,
                   const QByteArray &attributesFrom)
{
    QByteArray tmpl = temporaryTemplateBeside(name);
    const int fd = createTemporary(tmpl);
    if (fd < 0)
        return {errno, inPlaceHelps(errno)};
    const mode_t mode = like ? (like->st_mode & 07777) : (0666 & ~currentUmask());
    int err = writeData(fd);
    // A new file that cannot have the old one's owner would take the file
    // away from its owner.
    bool ownerKept = true;
    if (!err && like && (like->st_uid != ::geteuid() || like->st_gid != ::getegid()))
        ownerKept = ::fchown(fd, like->st_uid, like->st_gid) == 0;
    // Nor may it change who may read the file: the old one's attributes, and
    // no ACL of the folder's that the old one did not have. After the chown,
    // which clears a file capability.
    int attributesError = 0;
    if (!err && ownerKept && like) {
        const int from = attributesFrom.isEmpty()
                             ? -1
                             : ::open(attributesFrom.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        attributesError = !attributesFrom.isEmpty() && from < 0 ? errno : copyAttributes(from, fd, name);
        if (from >= 0)
            ::close(from);
    }
    const bool kept = ownerKept && attributesError == 0;
    // After the chown, which clears set-id bits, and after the ACL, which
    // the mode then matches.
    if (!err && kept && ::fchmod(fd, mode) != 0)
        err = errno;
    if (!err && kept && ::fsync(fd) != 0)
        err = errno;
    // Open, and so locked, until it has its name: no cleanup takes it for a
    // killed writer's leftover.
    if (!err && kept && ::rename(tmpl.constData(), name.constData()) != 0)
        err = errno;
    ::close(fd);
    if (err || !kept) {
        removeFileOrWarn(tmpl);
        return {err ? err : (attributesError ? attributesError : EPERM), !kept || inPlaceHelps(err)};
    }
    syncFolderOf(name);
    return {0, false};
}

NewFile putNewFile(const QByteArray &name, QByteArrayView data, const struct stat *like,
                   const QByteArray &attributesFrom)
{
    return putNewFile(name, writerOf(data), like, attributesFrom);
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

QByteArray readWholeFile(const QString &path, qsizetype spare)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = QFileInfo::exists(path) ? (QFileInfo(path).isDir() ? EISDIR : EACCES) : ENOENT;
        throwFileError(err, path);
    }
    // One buffer of the file's size, so that a large one can ask for huge
    // pages before it is filled; whatever a growing file adds comes after.
    const qint64 size = file.size();
    QByteArray bytes;
    bytes.reserve(qsizetype(size) + spare);
    bytes.resize(qsizetype(size));
    adviseHugePages(bytes.data(), size_t(bytes.capacity()));
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    bytes.truncate(qsizetype(std::max<qint64>(got, 0)));
    // Whatever comes after the size (usually nothing: the contents then stay
    // where they are), through a small buffer and only up to the bound: a
    // file that says it is empty may be a kernel file that never ends.
    const qint64 limit = size + kUnsizedReadLimit;
    char piece[1 << 16];
    for (qint64 more = got; more >= 0 && file.error() == QFileDevice::NoError;) {
        more = file.read(piece, sizeof piece);
        if (more <= 0)
            break;
        if (bytes.size() + more > limit)
            throwEndlessFile(path);
        bytes.append(piece, qsizetype(more));
    }
    if (got < 0 || file.error() != QFileDevice::NoError)
        throw AppError(ErrorKind::PathFileAccess, file.errorString() + QStringLiteral(": ") + path);
    return bytes;
}

void throwEndlessFile(const QString &path)
{
    throw AppError(ErrorKind::PathFileAccess, QStringLiteral("%1 is larger than %2 MiB or never ends; nothing was read")
                                                  .arg(path)
                                                  .arg(kUnsizedReadLimit >> 20));
}

FileWrite plannedWrite(const QString &path)
{
    const QByteArray target = nativePath(resolvedTarget(path));
    struct stat st {};
    if (::stat(target.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return FileWrite::NewFile;
    return plannedWriteOf(target, st);
}

namespace {

// replaceFileContents, or with `inPlace` false its new-file half only:
// false then means that nothing was written. `data`, the bytes writeData
// writes, is needed whole only for a rewrite in place.
bool writeContents(const QString &path, const DataWriter &writeData, QByteArrayView data, const QString &oldContentsAt,
                   bool inPlace)
{
    if (path.isEmpty())
        throwFileError(ENOENT, path);
    const QByteArray target = nativePath(resolvedTarget(path));

    struct stat st {};
    const bool existed = ::stat(target.constData(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        throwFileError(EISDIR, path);
    const bool mayWriteInPlace = existed && ::access(target.constData(), W_OK) == 0;
    // A backup linked to the file is not one of its other names: it is to
    // keep the old file once the new one takes the file's name.
    struct stat kept {};
    struct stat planned = st;
    if (existed && !oldContentsAt.isEmpty() && ::stat(nativePath(oldContentsAt).constData(), &kept) == 0
        && kept.st_dev == st.st_dev && kept.st_ino == st.st_ino && planned.st_nlink > 1)
        --planned.st_nlink;
    if (mayWriteInPlace && plannedWriteOf(target, planned) == FileWrite::InPlace) {
        if (inPlace)
            rewriteInPlace(target, data, path, oldContentsAt);
        return false;
    }

    const NewFile made = putNewFile(target, writeData, existed ? &st : nullptr, target);
    if (made.error == 0)
        return true;
    if (made.inPlaceHelps && mayWriteInPlace) {
        if (inPlace)
            rewriteInPlace(target, data, path, oldContentsAt);
        return false;
    }
    throwFileError(made.error, path);
}

} // namespace

bool replaceFileContents(const QString &path, QByteArrayView data, const QString &oldContentsAt)
{
    return writeContents(path, writerOf(data), data, oldContentsAt, true);
}

bool replaceWithNewFile(const QString &path, QByteArrayView data, const QString &oldContentsAt)
{
    return writeContents(path, writerOf(data), data, oldContentsAt, false);
}

bool replaceWithNewFile(const QString &path, const ContentsWriter &write, const QString &oldContentsAt)
{
    auto writeData = [&write](int fd) {
        qint64 at = 0;
        int err = 0;
        OutputBuffer out([&](QByteArrayView bytes) {
            if (!err)
                err = writeAllAt(fd, bytes, at);
            at += bytes.size();
        });
        write(out);
        return err;
    };
    return writeContents(path, writeData, QByteArrayView(), oldContentsAt, false);
}

void copyAsBackup(const QString &path, const QString &backup, QByteArrayView bytes)
{
    const QByteArray name = nativePath(backup);
    struct stat file {};
    struct stat existing {};
    if (::stat(name.constData(), &existing) == 0 || ::stat(nativePath(resolvedTarget(path)).constData(), &file) != 0) {
        replaceFileContents(backup, bytes);
        return;
    }
    struct stat like {};
    like.st_mode = file.st_mode & 0777;
    like.st_uid = ::geteuid();
    like.st_gid = ::getegid();
    const NewFile made = putNewFile(name, bytes, &like, QByteArray());
    if (made.error)
        throwFileError(made.error, backup);
}

void separateBackup(const QString &path, const QString &backup)
{
    const QByteArray target = nativePath(resolvedTarget(path));
    const QByteArray name = nativePath(backup);
    struct stat file {};
    struct stat kept {};
    if (::stat(target.constData(), &file) != 0 || ::lstat(name.constData(), &kept) != 0 || file.st_dev != kept.st_dev
        || file.st_ino != kept.st_ino)
        return;
    int error = 0;
    const int fd = ::open(target.constData(), O_RDONLY | O_CLOEXEC);
    const QByteArray bytes = fd < 0 ? QByteArray() : readAllFrom(fd, error);
    if (fd >= 0)
        ::close(fd);
    const NewFile made = fd < 0 || error ? NewFile{EIO, false} : putNewFile(name, bytes, &file, name);
    if (made.error)
        qCWarning(lcFile) << "the backup" << backup << "stays another name of" << path << "-"
                          << std::strerror(made.error);
}

bool linkAsBackup(const QString &path, const QString &backup)
{
    const QByteArray target = nativePath(resolvedTarget(path));
    const QByteArray name = nativePath(backup);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    // A fresh name beside the backup, then the link under it, then the rename.
    QByteArray temporary = temporaryTemplateBeside(name);
    const int fd = createTemporary(temporary);
    if (fd < 0)
        return false;
    ::close(fd);
    if (!removeFileOrWarn(temporary))
        return false;
    if (::link(target.constData(), temporary.constData()) != 0)
        return false;
    if (::rename(temporary.constData(), name.constData()) != 0) {
        removeFileOrWarn(temporary);
        return false;
    }
    // Renaming one name of a file over another name of the same file leaves both.
    removeFileOrWarn(temporary);
    syncFolderOf(name);
    return true;
}
