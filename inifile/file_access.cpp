#include "file_access.h"

#include "app_error.h"
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
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// How many bytes at the end of `bytes` begin a UTF-8 sequence that does not
// end there.
qsizetype unfinishedUtf8Tail(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = uchar(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

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

// The POSIX ACL of a file, kept by the kernel as an extended attribute.
constexpr char kAccessAcl[] = "system.posix_acl_access";

// The value of the extended attribute `name` of the descriptor; errno, or 0.
int attributeValue(int fd, const char *name, QByteArray &value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
        if (size < 0)
            return errno;
        value.resize(qsizetype(size));
        const ssize_t got = ::fgetxattr(fd, name, value.data(), size_t(size));
        if (got >= 0) {
            value.truncate(qsizetype(got));
            return 0;
        }
        // It grew between the two calls.
        if (errno != ERANGE)
            return errno;
    }
}

// Gives the new file `to` the extended attributes of the old one `from`
// (-1 for none): its ACL, its security label, its user attributes, all this
// process may read. An ACL that the folder's default ACL gave the new file
// goes when the old one had none, so that the mode says again who may read
// it. Returns the errno of an attribute that could not be given, 0 when all
// were.
int copyAttributes(int from, int to, const QByteArray &name)
{
    QByteArray names;
    ssize_t size = from < 0 ? 0 : ::flistxattr(from, nullptr, 0);
    while (size > 0) {
        names.resize(qsizetype(size));
        const ssize_t got = ::flistxattr(from, names.data(), size_t(size));
        if (got >= 0 || errno != ERANGE) {
            size = got;
            break;
        }
        size = ::flistxattr(from, nullptr, 0);
    }
    // A file system without extended attributes has none to copy.
    if (size < 0 && errno != ENOTSUP)
        return errno;
    names.truncate(qsizetype(std::max<ssize_t>(size, 0)));
    bool hadAcl = false;
    QByteArray value;
    QByteArray present;
    for (const QByteArrayView attribute : names.split('\0')) {
        if (attribute.isEmpty())
            continue;
        const QByteArray key = attribute.toByteArray();
        hadAcl = hadAcl || key == kAccessAcl;
        int err = attributeValue(from, key.constData(), value);
        // The new file may have it already (a security label given by the
        // system's policy): then nothing needs to be allowed.
        if (!err && (attributeValue(to, key.constData(), present) != 0 || present != value)
            && ::fsetxattr(to, key.constData(), value.constData(), size_t(value.size()), 0) != 0)
            err = errno;
        if (err) {
            qCWarning(lcFile) << "the attribute" << key << "of" << name
                              << "cannot be given to a new file, so it is rewritten in place:" << std::strerror(err);
            return err;
        }
    }
    if (!hadAcl && ::fremovexattr(to, kAccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP) {
        const int err = errno;
        qCWarning(lcFile) << "a new file for" << name
                          << "keeps the ACL of its folder, so it is rewritten in place:" << std::strerror(err);
        return err;
    }
    return 0;
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

TextFormat formatOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = QFileInfo::exists(path) ? (QFileInfo(path).isDir() ? EISDIR : EACCES) : ENOENT;
        throwFileError(err, path);
    }
    // A UTF-16 or UTF-32 file is converted as a whole to tell whether it converts back.
    if (convertedOpening(file.peek(kConvertedOpening)))
        return decodeFile(readWholeFile(path)).format;

    // Otherwise the file is read in pieces through one small buffer: it is
    // UTF-8 when every piece is, an unfinished sequence at the end of a piece
    // carried over to the next; its line end is the first one in it.
    constexpr qint64 kPiece = qint64(1) << 20;
    QByteArray buffer(qsizetype(kPiece) + 4, Qt::Uninitialized);
    qsizetype carried = 0;
    bool utf8 = true;
    bool first = true;
    bool bom = false;
    QByteArray eol;
    bool crLast = false; // the piece before ended in CR: the next byte tells CR from CR LF
    const qint64 limit = file.size() + kUnsizedReadLimit;
    for (qint64 total = 0;;) {
        const qint64 got = file.read(buffer.data() + carried, kPiece);
        if (got < 0)
            throw AppError(ErrorKind::PathFileAccess, file.errorString() + QStringLiteral(": ") + path);
        total += got;
        if (total > limit)
            throwEndlessFile(path);
        const QByteArrayView fresh(buffer.constData() + carried, qsizetype(got));
        if (first) {
            bom = fresh.startsWith("\xEF\xBB\xBF");
            first = false;
        }
        if (eol.isEmpty() && crLast) {
            if (!fresh.isEmpty())
                eol = fresh.front() == '\n' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
        } else if (eol.isEmpty()) {
            const char *end = std::find_if(fresh.begin(), fresh.end(), [](char c) { return c == '\r' || c == '\n'; });
            if (end != fresh.end()) {
                if (*end == '\n')
                    eol = QByteArrayLiteral("\n");
                else if (end + 1 != fresh.end())
                    eol = end[1] == '\n' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
                else
                    crLast = true;
            }
        }
        if (got == 0) {
            utf8 = utf8 && carried == 0;
            if (eol.isEmpty() && crLast)
                eol = QByteArrayLiteral("\r");
            break;
        }
        const qsizetype size = carried + qsizetype(got);
        if (utf8) {
            const qsizetype tail = unfinishedUtf8Tail(QByteArrayView(buffer.constData(), size));
            utf8 = QByteArrayView(buffer.constData(), size - tail).isValidUtf8();
            std::memmove(buffer.data(), buffer.constData() + size - tail, size_t(tail));
            carried = utf8 ? tail : 0;
        }
        if (!utf8 && !eol.isEmpty())
            break;
    }
    TextFormat format;
    format.fileEncoding = utf8 ? FileEncoding::Utf8 : FileEncoding::Windows1252;
    format.bom = utf8 && bom;
    if (!eol.isEmpty())
        format.eol = eol;
    return format;
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
