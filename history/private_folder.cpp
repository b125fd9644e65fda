#include "private_folder.h"

#include "app_error.h"
#include "history_log.h"
#include "posix_io.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kTemporaryPrefix[] = ".tmp-";

[[noreturn]] void fail(int error, const QString &path)
{
    throwFileError(error, path);
}

// A folder we made or found gets 0700; one that is no folder, or whose mode
// we may not change, is refused.
void makePrivate(int fd, const QString &path)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(errno, path);
    if (!S_ISDIR(st.st_mode))
        fail(ENOTDIR, path);
    if ((st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0)
        fail(errno, path);
}

// A version file found wider than 0600 (chmod-ed by hand) is made private
// again; where its mode may not be changed, a warning says so.
void makeFilePrivate(int fd, const struct stat &st, const QString &path)
{
    if ((st.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0)
        qCWarning(lcHistory) << "a file of the history stays readable by others:" << path << ::strerror(errno);
}

// Opens (and with `create`, makes) the folder `name` inside `dirFd` without
// following a symbolic link; -1 with errno ENOENT when missing.
int openChild(int dirFd, const QByteArray &name, bool create)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(dirFd, name.constData(), flags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(dirFd, name.constData(), 0700) != 0 && errno != EEXIST)
            return -1;
        fd = ::openat(dirFd, name.constData(), flags);
    }
    return fd;
}

// The base folder, following symbolic links, made with its missing parents
// (0700, as the XDG base directory rules ask) when `create` is set.
int openBase(const QString &base, bool create)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(base));
    int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT || !create)
        return fd;
    for (qsizetype slash = native.indexOf('/', 1);; slash = native.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? native : native.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return -1;
        if (slash < 0)
            break;
    }
    return ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

} // namespace

PrivateFolder::~PrivateFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

PrivateFolder::PrivateFolder(PrivateFolder &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{}

PrivateFolder &PrivateFolder::operator=(PrivateFolder &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

PrivateFolder PrivateFolder::open(const QString &base, const QStringList &names, bool create)
{
    int fd = openBase(base, create);
    QString path = QDir::cleanPath(base);
    if (fd < 0) {
        if (errno == ENOENT && !create)
            return {};
        fail(errno, path);
    }
    PrivateFolder folder(fd, path);
    for (const QString &name : names) {
        path += QLatin1Char('/') + name;
        const int child = openChild(folder.m_fd, QFile::encodeName(name), create);
        if (child < 0) {
            if (errno == ENOENT && !create)
                return {};
            // A symbolic link where a folder should be: O_NOFOLLOW says ELOOP
            // or, with O_DIRECTORY, ENOTDIR.
            fail(errno, path);
        }
        folder = PrivateFolder(child, path);
        makePrivate(folder.m_fd, path);
    }
    return folder;
}

QString PrivateFolder::pathOf(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

QStringList PrivateFolder::entries() const
{
    const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail(errno, m_path);
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        fail(error, m_path);
    }
    QStringList names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(QFile::decodeName(name));
    }
    ::closedir(dir);
    return names;
}

bool PrivateFolder::isFile(const QString &name) const
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(name);
    if (::fstatat(m_fd, native.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return false;
    if ((st.st_mode & 07777) != 0600) {
        const int fd = ::openat(m_fd, native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
            qCWarning(lcHistory) << "a file of the history could not be made private:" << pathOf(name)
                                 << ::strerror(errno);
        else
            makeFilePrivate(fd, st, pathOf(name));
        if (fd >= 0)
            ::close(fd);
    }
    return true;
}

int PrivateFolder::loadFile(const QString &name) const
{
    const int fd = ::openat(m_fd, QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(errno, pathOf(name));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(EINVAL, pathOf(name));
    }
    makeFilePrivate(fd, st, pathOf(name));
    return fd;
}

QByteArray PrivateFolder::read(const QString &name) const
{
    const int fd = loadFile(name);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(EIO, pathOf(name));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(EIO, pathOf(name));
    return bytes;
}

int PrivateFolder::createTemporary(QString &name) const
{
    for (;;) {
        name = QLatin1String(kTemporaryPrefix)
               + QString::number(QRandomGenerator::system()->generate64() & 0xFFFFFFFFFFFFull, 36);
        const int fd = ::openat(m_fd, QFile::encodeName(name).constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // The umask may take bits away, never add them: 0600 exactly.
            if (::fchmod(fd, 0600) != 0) {
                const int error = errno;
                ::close(fd);
                remove(name);
                fail(error, pathOf(name));
            }
            return fd;
        }
        if (errno != EEXIST)
            fail(errno, pathOf(name));
    }
}

void PrivateFolder::write(const QString &name, QByteArrayView bytes) const
{
    QString temporary;
    const int fd = createTemporary(temporary);
    int error = writeAll(fd, bytes.data(), bytes.size());
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error) {
        remove(temporary);
        fail(error, pathOf(name));
    }
    rename(temporary, name);
}

void PrivateFolder::rename(const QString &from, const QString &to) const
{
    if (::renameat(m_fd, QFile::encodeName(from).constData(), m_fd, QFile::encodeName(to).constData()) != 0) {
        const int error = errno;
        remove(from);
        fail(error, pathOf(to));
    }
}

bool PrivateFolder::remove(const QString &name) const noexcept
{
    if (::unlinkat(m_fd, QFile::encodeName(name).constData(), 0) == 0 || errno == ENOENT)
        return true;
    qCWarning(lcHistory) << "a file of the history stays:" << pathOf(name) << ::strerror(errno);
    return false;
}

bool PrivateFolder::isTemporary(const QString &name)
{
    return name.startsWith(QLatin1String(kTemporaryPrefix));
}

qint64 copyFileData(int from, int to, const QString &path)
{
    struct stat st {};
    if (::fstat(from, &st) != 0)
        fail(errno, path);
    if (st.st_size > 0 && ::ioctl(to, FICLONE, from) == 0)
        return st.st_size;
    // A file that goes on past its size (a kernel file says it is empty)
    // is copied only as far as any reader of a whole file reads.
    const qint64 limit = qint64(st.st_size) + kUnsizedReadLimit;
    qint64 copied = 0;
    off_t in = 0;
    off_t out = 0;
    for (;;) {
        if (copied > limit)
            fail(EFBIG, path);
        const ssize_t n =
            ::copy_file_range(from, &in, to, &out, size_t(std::min<qint64>(qint64(1) << 30, limit + 1 - copied)), 0);
        if (n == 0)
            return copied;
        if (n > 0) {
            copied += n;
            continue;
        }
        if (errno == EINTR)
            continue;
        // Not between these files (another file system on an older kernel,
        // no support): through memory, from where it stopped.
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM)
            fail(errno, path);
        break;
    }
    if (::lseek(to, out, SEEK_SET) < 0)
        fail(errno, path);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        if (copied > limit)
            fail(EFBIG, path);
        const ssize_t n = ::pread(from, buffer.data(), size_t(buffer.size()), in);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(errno, path);
        if (n == 0)
            return copied;
        if (const int error = writeAll(to, buffer.constData(), n))
            fail(error, path);
        in += n;
        copied += n;
    }
}

bool sameFileData(int a, int b)
{
    struct stat sa {};
    struct stat sb {};
    if (::fstat(a, &sa) != 0 || ::fstat(b, &sb) != 0 || sa.st_size != sb.st_size)
        return false;
    constexpr qsizetype kChunk = 1 << 20;
    QByteArray bufferA(kChunk, Qt::Uninitialized);
    QByteArray bufferB(kChunk, Qt::Uninitialized);
    for (off_t at = 0; at < sa.st_size;) {
        const ssize_t na = ::pread(a, bufferA.data(), size_t(kChunk), at);
        const ssize_t nb = ::pread(b, bufferB.data(), size_t(kChunk), at);
        if (na <= 0 || na != nb || std::memcmp(bufferA.constData(), bufferB.constData(), size_t(na)) != 0)
            return false;
        at += na;
    }
    return true;
}
