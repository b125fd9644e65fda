#include "old_contents.h"

#include "app_error.h"
#include "file_access.h"
#include "file_log.h"
#include "posix_io.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kHashDigits = 16;
// A file name holds at most 255 bytes; the hash and a temporary name's
// ".", "." and ".XXXXXX" must fit after the path.
constexpr qsizetype kLongestPathPart = 255 - kHashDigits - 9;

QString hashOf(QByteArrayView bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(kHashDigits));
}

// The file's path as one file name; a very long path keeps its end, which
// holds the file's own name.
QString pathAsName(const QString &target)
{
    QString name;
    name.reserve(target.size() + 8);
    for (const QChar c : target) {
        if (c == u'%' || c == u'\\')
            name.append(u'\\');
        name.append(c == u'/' ? u'%' : c);
    }
    while (QFile::encodeName(name).size() > kLongestPathPart)
        name.remove(0, 1);
    return name;
}

bool isHash(QStringView s)
{
    return s.size() == kHashDigits && std::all_of(s.begin(), s.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

// The folder's names tell which files were written: it is its owner's alone
// (0700) whatever the umask, and made so again when found wider.
void makePrivateFolder(const QString &folder)
{
    if (!QDir().mkpath(QFileInfo(folder).path()))
        throwFileError(EACCES, folder);
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throwFileError(errno, folder);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        throwFileError(errno, folder);
    if (!S_ISDIR(st.st_mode))
        throwFileError(ENOTDIR, folder);
    if ((st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        throwFileError(errno, folder);
}

} // namespace

QString oldContentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/larkspur/old-contents");
}

QString saveOldContents(const QString &target, QByteArrayView old, QByteArrayView written)
{
    const QString folder = oldContentsFolder();
    const QString name = pathAsName(target) + QLatin1Char('.') + hashOf(written);
    const QString copy = folder + QLatin1Char('/') + name;
    makePrivateFolder(folder);
    // Saved under a temporary name and renamed: a copy under its own name is
    // always complete.
    QByteArray temporary = QFile::encodeName(folder + QStringLiteral("/.") + name + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        throwFileError(errno, copy);
    int err = writeAllAt(fd, old, 0);
    if (!err && ::fsync(fd) != 0)
        err = errno;
    ::close(fd);
    const QByteArray native = QFile::encodeName(copy);
    if (!err && ::rename(temporary.constData(), native.constData()) != 0)
        err = errno;
    if (err) {
        removeFileOrWarn(temporary);
        throwFileError(err, copy);
    }
    syncFolderOf(native);
    return copy;
}

void removeNeedlessOldContents(const QString &target)
{
    const QDir folder(oldContentsFolder());
    const QString prefix = pathAsName(target) + QLatin1Char('.');
    QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeIf([&](const QString &name) { return !name.startsWith(prefix) && !name.startsWith(u'.' + prefix); });
    if (names.isEmpty())
        return;
    QByteArray current;
    try {
        current = readWholeFile(target);
    } catch (const AppError &e) {
        qCWarning(lcFile) << "the copies of the old contents of" << target << "stay:" << e.description();
        return;
    }
    const QString currentHash = hashOf(current);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        if (name.startsWith(QLatin1Char('.'))) {
            // ".NAME.HASH.XXXXXX": a copy whose saving was interrupted.
            const QStringView rest = QStringView(name).sliced(1);
            if (rest.startsWith(prefix) && rest.size() == prefix.size() + kHashDigits + 7
                && isHash(rest.sliced(prefix.size(), kHashDigits)) && rest[prefix.size() + kHashDigits] == u'.'
                && isTemporarySuffix(rest.sliced(prefix.size() + kHashDigits + 1)))
                removeFileOrWarn(QFile::encodeName(path));
            continue;
        }
        if (!name.startsWith(prefix) || !isHash(QStringView(name).sliced(prefix.size())))
            continue;
        QFile copy(path);
        const bool needless =
            QStringView(name).sliced(prefix.size()) == currentHash
            || (copy.size() == current.size() && copy.open(QIODevice::ReadOnly) && copy.readAll() == current);
        if (needless)
            removeFileOrWarn(QFile::encodeName(path));
        else
            qCWarning(lcFile) << "a write of" << target << "was interrupted; the contents it had before are kept in"
                              << path;
    }
}
