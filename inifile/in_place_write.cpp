#include "in_place_write.h"

#include "app_error.h"
#include "file_log.h"
#include "old_contents.h"
#include "posix_io.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

bool mayKeepOwner(const struct stat &st)
{
    const uid_t me = ::geteuid();
    if (me == 0)
        return true;
    // Only root may give a file away; its owner may hand it to any group
    // they belong to.
    if (st.st_uid != me)
        return false;
    if (st.st_gid == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(std::max(count, 0)));
    const int got = ::getgroups(int(groups.size()), groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, st.st_gid) != groups.begin() + got;
}

FileWrite plannedWriteOf(const QByteArray &target, const struct stat &st)
{
    // A new file would leave the file's other names with the old contents.
    if (st.st_nlink > 1 || !mayKeepOwner(st))
        return FileWrite::InPlace;
    const QByteArray folder = folderOf(target);
    struct stat dir {};
    // A folder we may not add a name to, or a file mounted from elsewhere,
    // cannot take a new file in its place.
    if (::stat(folder.constData(), &dir) != 0 || dir.st_dev != st.st_dev
        || ::access(folder.constData(), W_OK | X_OK) != 0)
        return FileWrite::InPlace;
    // In a sticky folder (/tmp) only the owner of a file or of the folder
    // may rename over it.
    const uid_t me = ::geteuid();
    if ((dir.st_mode & S_ISVTX) && me != 0 && me != st.st_uid && me != dir.st_uid)
        return FileWrite::InPlace;
    return FileWrite::NewFile;
}

void rewriteInPlace(const QByteArray &target, QByteArrayView data, const QString &path, const QString &oldContentsAt)
{
    // No O_CREAT: the file is there, and a sticky folder may refuse to
    // "create" a file of another user even when it exists.
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throwFileError(errno, path);
    // A backup that is another name of the file itself keeps nothing.
    struct stat file {};
    struct stat kept {};
    const bool ownCopy = oldContentsAt.isEmpty() || ::fstat(fd, &file) != 0
                         || ::stat(QFile::encodeName(oldContentsAt).constData(), &kept) != 0
                         || (kept.st_dev == file.st_dev && kept.st_ino == file.st_ino);
    QByteArray old;
    QString copy;
    if (ownCopy) {
        int err = 0;
        old = readAllFrom(fd, err);
        try {
            if (err == EFBIG)
                throwEndlessFile(path);
            if (err)
                throwFileError(err, path);
            copy = saveOldContents(QFile::decodeName(target), old, data);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }

    int err = 0;
    if (data.size() > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(data.size())) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS)
        err = errno;
    if (!err)
        err = writeAllAt(fd, data, 0);
    if (!err && ::ftruncate(fd, off_t(data.size())) != 0)
        err = errno;
    if (!err && ::fsync(fd) != 0)
        err = errno;
    bool restored = false;
    if (err && ownCopy) {
        // The old contents fit where they were.
        restored = writeAllAt(fd, old, 0) == 0 && ::ftruncate(fd, off_t(old.size())) == 0 && ::fsync(fd) == 0;
    }
    ::close(fd);
    if (err) {
        if (restored)
            removeFileOrWarn(QFile::encodeName(copy));
        else
            qCWarning(lcFile) << "the contents" << path << "had before the failed write are kept in"
                              << (ownCopy ? copy : oldContentsAt);
        throwFileError(err, path);
    }
    if (ownCopy)
        removeFileOrWarn(QFile::encodeName(copy));
}
