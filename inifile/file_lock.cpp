#include "file_lock.h"

#include "app_error.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr auto kRetry = std::chrono::milliseconds(10);

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
} // namespace

FileLock::FileLock(const QString &path, const QString &source, std::chrono::milliseconds timeout)
{
    const QByteArray native = QFile::encodeName(path);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            if (errno == ENOENT)
                return;
            throwFileError(errno, path, source);
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error != EWOULDBLOCK && error != EINTR) {
                ::close(fd);
                throwFileError(error, path, source);
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                throw AppError(RuntimeError::PathFileAccess, source,
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
            return;
        }
        ::close(fd);
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
