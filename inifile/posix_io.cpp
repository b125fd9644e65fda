#include "posix_io.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int writeAllAt(int fd, QByteArrayView data, qint64 offset)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, size_t(left), off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
        offset += n;
    }
    return 0;
}

QByteArray readAllFrom(int fd, int &error)
{
    error = 0;
    QByteArray bytes;
    struct stat st {};
    const qint64 limit = (::fstat(fd, &st) == 0 ? qint64(st.st_size) : 0) + kUnsizedReadLimit;
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return bytes;
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
        at += n;
        if (at > limit) {
            error = EFBIG;
            return bytes;
        }
    }
}

QByteArray folderOf(const QByteArray &file)
{
    const qsizetype slash = file.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : file.left(slash));
}

void syncFolderOf(const QByteArray &file)
{
    const int fd = ::open(folderOf(file).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool isTemporarySuffix(QStringView suffix)
{
    return suffix.size() == 6 && std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
               return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
           });
}

int lockWholeFile(int fd, short type, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end, however far the file grows
    while (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EACCES ? EAGAIN : errno;
    }
    return 0;
}

namespace {
constexpr QByteArrayView kTemporaryMarker = ".larkspur-";
constexpr qsizetype kLongestNameKept = 255 - 1 - qsizetype(sizeof(".larkspur-") - 1) - 6;

QByteArrayView keptPartOf(QByteArrayView fileName)
{
    return fileName.first(std::min(fileName.size(), kLongestNameKept));
}
} // namespace

QByteArray temporaryTemplateBeside(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArrayView folder = QByteArrayView(path).first(slash + 1);
    const QByteArrayView name = QByteArrayView(path).sliced(slash + 1);
    QByteArray tmpl;
    tmpl.append(folder).append('.').append(keptPartOf(name)).append(kTemporaryMarker).append("XXXXXX");
    return tmpl;
}

bool isTemporaryNameOf(QByteArrayView entry, QByteArrayView fileName)
{
    const QByteArrayView kept = keptPartOf(fileName);
    const qsizetype prefix = 1 + kept.size() + kTemporaryMarker.size();
    if (entry.size() != prefix + 6 || entry.front() != '.' || entry.sliced(1, kept.size()) != kept
        || entry.sliced(1 + kept.size(), kTemporaryMarker.size()) != kTemporaryMarker)
        return false;
    const QByteArrayView suffix = entry.sliced(prefix);
    return std::all_of(suffix.begin(), suffix.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

int createTemporary(QByteArray &tmpl)
{
    const QByteArray pattern = tmpl;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmpl = pattern;
        const int fd = ::mkstemp(tmpl.data());
        if (fd < 0)
            return -1;
        const int err = lockWholeFile(fd, F_WRLCK, true);
        if (err) {
            ::close(fd);
            errno = err;
            return -1;
        }
        // A cleanup that locked it first, between its creation and the lock,
        // took it for a leftover and removed it: then a new one is made.
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(tmpl.constData(), &named) == 0 && opened.st_dev == named.st_dev
            && opened.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}
