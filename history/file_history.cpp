#include "file_history.h"

#include "app_error.h"
#include "history_log.h"
#include "private_folder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPathFile = QStringLiteral("path");
const QString kData = QStringLiteral(".data");
const QString kMeta = QStringLiteral(".meta");

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString versionName(qint64 number, const QString &suffix)
{
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0')) + suffix;
}

// The number of a version file's name with this suffix, 0 when it is none.
qint64 versionNumber(const QString &name, const QString &suffix)
{
    if (!name.endsWith(suffix))
        return 0;
    const QStringView digits = QStringView(name).chopped(suffix.size());
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return 0;
    return digits.toLongLong();
}

// The file's folder: its own name (made safe and short), for people looking
// into the history, and a hash of its canonical path, which makes it unique.
QString folderName(const QString &canonical)
{
    const QByteArray native = QFile::encodeName(canonical);
    QString name = QFileInfo(canonical).fileName().left(48);
    for (QChar &c : name)
        if (!(c.unicode() < 128 && (c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_')))
            c = u'_';
    if (name.startsWith(u'.'))
        name[0] = u'_';
    return name + QLatin1Char('-')
           + QString::fromLatin1(QCryptographicHash::hash(native, QCryptographicHash::Sha256).toHex().left(16));
}

// The path whose history a command means: the file it names, links followed.
QString canonicalOf(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

// The folder of the file's versions; with `create`, made when missing. A
// folder that names another file in its "path" is refused.
PrivateFolder versionFolder(const HistorySettings &settings, const QString &canonical, bool create)
{
    PrivateFolder folder = PrivateFolder::open(
        settings.stateHome, {QStringLiteral("larkspur"), QStringLiteral("history"), folderName(canonical)}, create);
    if (!folder.isOpen())
        return folder;
    const QByteArray owner = QFile::encodeName(canonical) + '\n';
    if (!folder.isFile(kPathFile)) {
        if (create)
            folder.write(kPathFile, owner);
    } else if (folder.read(kPathFile) != owner) {
        throw AppError(ErrorKind::PathFileAccess, folder.path() + QStringLiteral(" holds the history of another file"));
    }
    return folder;
}

struct Scan {
    // The versions with both files, by number, and the size of their data.
    std::map<qint64, qint64> versions;
    qint64 highest = 0;
    // What a write killed half-way, or a drop cut short, left behind.
    QStringList leftovers;
};

Scan scanFolder(const PrivateFolder &folder)
{
    Scan scan;
    std::map<qint64, int> parts;
    const QStringList names = folder.entries();
    for (const QString &name : names) {
        if (PrivateFolder::isTemporary(name)) {
            scan.leftovers.append(name);
            continue;
        }
        for (const QString &suffix : {kData, kMeta}) {
            if (const qint64 number = versionNumber(name, suffix); number > 0 && folder.isFile(name)) {
                parts[number] |= suffix == kData ? 1 : 2;
                scan.highest = std::max(scan.highest, number);
            }
        }
    }
    for (const auto &[number, found] : parts) {
        if (found == 3)
            scan.versions.emplace(number, 0);
        else
            scan.leftovers.append(versionName(number, found == 1 ? kData : kMeta));
    }
    return scan;
}

FileVersion readMeta(const PrivateFolder &folder, qint64 number)
{
    const QJsonObject meta = QJsonDocument::fromJson(folder.read(versionName(number, kMeta))).object();
    FileVersion version;
    version.number = number;
    version.time = QDateTime::fromString(meta.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    version.command = meta.value(QStringLiteral("command")).toString();
    version.size = qint64(meta.value(QStringLiteral("size")).toDouble(-1));
    return version;
}

// Drops the oldest versions beyond the limits; the newest always stays.
void dropOldest(const PrivateFolder &folder, const std::map<qint64, qint64> &sizes, const HistorySettings &settings)
{
    qint64 kept = 0;
    qint64 bytes = 0;
    bool dropping = false;
    for (auto it = sizes.crbegin(); it != sizes.crend(); ++it) {
        const auto &[number, size] = *it;
        dropping = dropping || (kept > 0 && (kept >= settings.maxVersions || bytes + size > settings.maxBytes));
        if (!dropping) {
            ++kept;
            bytes += size;
            continue;
        }
        // The description first: a version without one is not listed.
        if (folder.remove(versionName(number, kMeta)))
            folder.remove(versionName(number, kData));
    }
}

qint64 dataSize(const PrivateFolder &folder, qint64 number)
{
    const Descriptor data{folder.loadFile(versionName(number, kData))};
    struct stat st {};
    return ::fstat(data.fd, &st) == 0 ? qint64(st.st_size) : 0;
}

} // namespace

FileHistory::FileHistory(HistorySettings settings) : m_settings(std::move(settings)) {}

std::shared_ptr<FileHistory> FileHistory::fromEnvironment()
{
    return std::make_shared<FileHistory>(HistorySettings::fromEnvironment());
}

bool FileHistory::keep(const QString &path, const QString &command)
{
    if (m_settings.maxVersions <= 0)
        return true;
    QString reason;
    try {
        keepVersion(path, command);
        return true;
    } catch (const AppError &error) {
        reason = error.description();
    } catch (const std::exception &error) {
        reason = QString::fromLocal8Bit(error.what());
    }
    qCWarning(lcHistory).noquote() << "no version of" << path << "was kept before the write:" << reason;
    if (!m_noticed) {
        m_noticed = true;
        if (m_notice)
            m_notice(QStringLiteral("The version history could not keep the contents of %1 before the change (%2). "
                                    "The change was written all the same. Versions are kept in %3.")
                         .arg(path, reason, m_settings.root()));
    }
    return false;
}

void FileHistory::keepVersion(const QString &path, const QString &command)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return;
    const Descriptor source{::open(QFile::encodeName(canonical).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat st {};
    if (source.fd < 0 || ::fstat(source.fd, &st) != 0)
        throwFileError(errno, path);
    if (!S_ISREG(st.st_mode))
        return;
    const QDateTime time = QDateTime::currentDateTimeUtc();

    const PrivateFolder folder = versionFolder(m_settings, canonical, true);
    Scan scan = scanFolder(folder);
    // Whoever holds the file's lock is the only one keeping its versions:
    // anything half-made is a leftover.
    for (const QString &name : std::as_const(scan.leftovers))
        folder.remove(name);
    if (!scan.versions.empty()) {
        const Descriptor newest{folder.loadFile(versionName(scan.versions.rbegin()->first, kData))};
        if (sameFileData(source.fd, newest.fd))
            return;
    }

    const qint64 number = scan.highest + 1;
    QString temporary;
    Descriptor copy{folder.createTemporary(temporary)};
    qint64 size = 0;
    try {
        size = copyFileData(source.fd, copy.fd, folder.path() + QLatin1Char('/') + versionName(number, kData));
        const int fd = std::exchange(copy.fd, -1);
        if (::close(fd) != 0)
            throwFileError(errno, folder.path());
    } catch (...) {
        folder.remove(temporary);
        throw;
    }
    folder.rename(temporary, versionName(number, kData));
    const QJsonObject meta{{QStringLiteral("time"), time.toString(Qt::ISODateWithMs)},
                           {QStringLiteral("command"), command},
                           {QStringLiteral("size"), double(size)}};
    folder.write(versionName(number, kMeta), QJsonDocument(meta).toJson(QJsonDocument::Compact) + '\n');

    for (auto &[kept, keptSize] : scan.versions)
        keptSize = dataSize(folder, kept);
    scan.versions.emplace(number, size);
    dropOldest(folder, scan.versions, m_settings);
}

QList<FileVersion> FileHistory::versions(const QString &path) const
{
    const PrivateFolder folder = versionFolder(m_settings, canonicalOf(path), false);
    QList<FileVersion> list;
    if (!folder.isOpen())
        return list;
    const Scan scan = scanFolder(folder);
    for (const auto &entry : scan.versions) {
        try {
            list.append(readMeta(folder, entry.first));
        } catch (const AppError &error) {
            qCWarning(lcHistory).noquote() << "a version is not listed:" << error.description();
        }
    }
    return list;
}

QByteArray FileHistory::contents(const QString &path, qint64 number) const
{
    const PrivateFolder folder = versionFolder(m_settings, canonicalOf(path), false);
    if (!folder.isOpen() || number <= 0 || !folder.isFile(versionName(number, kMeta))
        || !folder.isFile(versionName(number, kData)))
        throw AppError(ErrorKind::OutOfRange, QStringLiteral("%1 has no version %2").arg(path).arg(number));
    const FileVersion version = readMeta(folder, number);
    const QByteArray bytes = folder.read(versionName(number, kData));
    if (bytes.size() != version.size)
        throw AppError(ErrorKind::PathFileAccess, QStringLiteral("Version %1 of %2 is damaged: it holds %3 bytes of %4")
                                                      .arg(number)
                                                      .arg(path)
                                                      .arg(bytes.size())
                                                      .arg(version.size));
    return bytes;
}
