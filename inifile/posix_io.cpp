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
