#include "app_error.h"
#include "file_access.h"
#include "file_lock.h"
#include "file_name_test.h"
#include "file_stamp.h"
#include "ini_store.h"
#include "interaction.h"
#include "name_match.h"
#include "profile_builder.h"
#include "profile_writer.h"
#include "text_helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>

namespace {
Q_LOGGING_CATEGORY(lcStore, "larkspur.store")
}

WriteResult IniStore::setValue(const QString &section, const QString &key, const QString &value, const QString &command)
{
    // The profile writer refuses what the file's encoding cannot hold.
    checkProfileWrite(section, key, value);
    WriteResult result = WriteResult::Written;
    if (!QFileInfo::exists(m_fileName))
        throwFileError(ENOENT, m_fileName);
    if (isReadOnlyFile(m_fileName)) {
        m_ui.tell(QStringLiteral("Cannot save setting, file is Read Only"), MessageIcon::Warning);
        result = WriteResult::ReadOnly;
    }
    const FileLock lock(m_fileName);
    const FileStamp before = stampOfFile(m_fileName);
    requireWritableEncoding();
    beginWrite(command.isEmpty() ? QStringLiteral("set [%1] %2").arg(section, key) : command);
    const bool written = writeProfileValue(section, key, value, m_fileName);
    if (written)
        endWrite();
    if (written && before != m_stamp) {
        // The write went into what another program left; the records made
        // before it know nothing of that, so they are made again.
        try {
            reloadLocked();
            return result;
        } catch (const AppError &error) {
            qCWarning(lcStore) << "records not read again after a write:" << error.description();
        }
    }
    const qsizetype position = findRecord(section, key);
    if (position)
        m_records->at(position)->setValue(value);
    // A line written for no record leaves the records short of the file:
    // the next rewrite reads it first.
    if (written && position)
        followOwnWrite(before);
    else if (written)
        m_stamp = {};
    return result;
}

bool IniStore::reloadIfChanged()
{
    const FileLock lock(m_fileName);
    return reloadIfChangedLocked();
}

bool IniStore::writeFollowing(const std::function<bool()> &write, const QString &command)
{
    const FileLock lock(m_fileName);
    const FileStamp before = stampOfFile(m_fileName);
    requireWritableEncoding();
    beginWrite(command);
    const bool written = write();
    if (written) {
        endWrite();
        followOwnWrite(before);
    }
    return written;
}

void IniStore::requireEncodable(const QStringList &texts) const
{
    // The file as it is now decides: a rewrite that left only ASCII in a
    // file read as Windows-1252 made it a UTF-8 file.
    TextEncoding encoding = TextEncoding::Utf8;
    if (QFileInfo::exists(m_fileName))
        encoding = detectTextFormat(readWholeFile(m_fileName)).encoding();
    for (const QString &text : texts)
        encodeText(text, encoding);
}

void IniStore::requireWritableEncoding() const
{
    // Only a file whose opening reads as UTF-16 or UTF-32 can be one: the
    // others are not read whole for this. A read-only file, or one that
    // cannot be opened, is refused as such by the write itself.
    QFile file(m_fileName);
    if (isReadOnlyFile(m_fileName) || !file.open(QIODevice::ReadOnly))
        return;
    if (convertedOpening(file.read(kConvertedOpening)))
        requireExactFile(detectTextFormat(readWholeFile(m_fileName)), m_fileName);
}

bool IniStore::fileChanged() const
{
    return !m_stamp.isValid() || stampOfFile(m_fileName) != m_stamp;
}

bool IniStore::reloadIfChangedLocked()
{
    if (!fileChanged())
        return false;
    reloadLocked();
    return true;
}

void IniStore::reload()
{
    const FileLock lock(m_fileName);
    reloadLocked();
}

void IniStore::reloadLocked()
{
    auto fresh = std::make_shared<RecordList>();
    std::swap(fresh, m_records);
    try {
        readFile();
    } catch (...) {
        std::swap(fresh, m_records);
        throw;
    }
}

void IniStore::followOwnWrite(const FileStamp &before)
{
    // Not told by the stamps alone: a new file may reuse an old one's inode
    // and, within one clock tick, show the same size and time.
    m_stamp = before.isValid() && before == m_stamp ? stampOfFile(m_fileName) : FileStamp();
}

void IniStore::deleteKey(const QString &section, const QString &key)
{
    m_lastRemoved.clear();
    const FileLock lock(m_fileName);
    reloadIfChangedLocked();
    const qsizetype position = findRecord(section, key);
    IniRecord *removed = nullptr;
    if (position) {
        removed = m_records->at(position);
        m_records->removeAt(position);
    }
    try {
        rewriteFile(m_fileName, key.isEmpty() ? QStringLiteral("delete header [%1]").arg(section)
                                              : QStringLiteral("delete key [%1] %2").arg(section, key));
    } catch (...) {
        // The file still holds the key: so does the store.
        if (removed)
            m_records->insert(position, removed);
        throw;
    }
    if (removed)
        m_lastRemoved.append(removed);
}

// Rebuilds the file from the records. The result is what deleting the file
// and writing every record with a non-blank key into it, one by one, would
// leave, but it is built in memory and replaces the file in one step, so a
// failure part-way never loses the file.
void IniStore::rewriteFile(const QString &name, const QString &command)
{
    const FileLock lock(m_fileName);
    // Rewritten from records that miss another program's lines, the file
    // would lose them: the records are made from the file as it is now.
    reloadIfChangedLocked();
    const FileStamp before = stampOfFile(m_fileName);
    const bool fromScratch = namesExistingFile(m_fileName) && !name.isEmpty();
    // The rewrite works on the text (a UTF-16 file converted to UTF-8); the
    // backup is the original bytes. A rewrite from the records needs only
    // the file's format, and its backup is usually a second name of the
    // file: the bytes are read when a copy needs them.
    QByteArray original;
    bool originalRead = false;
    auto originalBytes = [&]() -> const QByteArray & {
        if (!originalRead)
            original = readWholeFile(m_fileName);
        originalRead = true;
        return original;
    };
    FileText text;
    if (fromScratch)
        text.format = formatOfFile(m_fileName);
    else
        text = decodeFile(originalBytes());
    const TextFormat &format = text.format;
    requireExactFile(format, m_fileName);

    // A rewrite that will be refused is refused before the backup is made:
    // the backup may hold the only copy of what an earlier rewrite dropped.
    if (fromScratch && isReadOnlyFile(m_fileName))
        throw AppError(ErrorKind::PathFileAccess, QStringLiteral("Path/File access error: ") + m_fileName);

    const QString backup = backupPathFor(m_fileName);
    if (isReadOnlyFile(backup))
        throwFileError(EACCES, backup);

    QByteArray rebuilt;
    std::optional<ProfileBuilder> built;
    bool write = true;
    // Each write also gives its value to the first record of the same
    // section and key: of two duplicates, the first ends up with the later
    // one's value. Applied once the file is safely written.
    QList<std::pair<IniRecord *, IniRecord *>> valueCopies;
    if (fromScratch) {
        built.emplace(rebuildFromRecords(format, valueCopies));
    } else {
        // Writing into the file as it stands: nothing is removed.
        if (isReadOnlyFile(m_fileName)) {
            m_ui.tell(QStringLiteral("Cannot save setting, file is Read Only"), MessageIcon::Warning);
            write = false;
        }
        rebuilt = text.bytes;
        QHash<QString, IniRecord *> firstOf;
        for (IniRecord *record : *m_records) {
            const QString key = record->key();
            if (trimBlanks(key).isEmpty())
                continue;
            const QString section = record->section();
            const QString value = record->value();
            checkProfileWrite(section, key, value);
            if (write)
                rebuilt = applyProfileWrite(rebuilt, format, section, key, value);
            const QString id = upperName(section) + QChar(0) + upperName(key);
            const auto found = firstOf.constFind(id);
            if (found == firstOf.constEnd())
                firstOf.insert(id, record);
            else
                valueCopies.append(std::make_pair(*found, record));
        }
    }
    // Encoded before the backup is touched: a record the file cannot hold
    // refuses the rewrite, and the earlier backup must survive that. A
    // rebuilt UTF-8 file needs only its opening checked, and goes to its new
    // file a piece at a time, never whole in memory; it is put together only
    // for a rewrite in place.
    const bool streamed = built && encodedByOpening(format);
    QByteArray encoded;
    if (streamed)
        requireSameOpening(built->opening(kConvertedOpening), format, m_fileName);
    else if (write)
        encoded = encodeFile(built ? built->bytes() : std::move(rebuilt), format, m_fileName);
    auto encodedBytes = [&]() -> const QByteArray & {
        if (streamed && encoded.isNull())
            encoded = built->bytes();
        return encoded;
    };
    auto newFile = [&] {
        return streamed ? replaceWithNewFile(
                   m_fileName, [&](OutputBuffer &out) { built->writeTo(out); }, backup)
                        : replaceWithNewFile(m_fileName, encoded, backup);
    };
    // Only a rewrite that will go ahead keeps a version: a refused one
    // leaves the file as the newest version already holds it.
    if (write)
        beginWrite(command.isEmpty() ? QStringLiteral("rewrite") : command);

    // The backup is the file as it stands; a second name for it costs
    // nothing when the file is about to be replaced by a new one. A file
    // rewritten in place would take that name along (and a link would make
    // it a file with two names, which is rewritten in place), so it gets a
    // copy, flushed to disk before the file is touched. A read-only file is
    // not written, and its backup must stay writable.
    const bool backupLinked = !isReadOnlyFile(m_fileName) && plannedWrite(m_fileName) == FileWrite::NewFile
                              && linkAsBackup(m_fileName, backup);
    if (!backupLinked)
        copyAsBackup(m_fileName, backup, originalBytes());

    if (write && backupLinked && !newFile()) {
        // Its folder refused the new file after all, so the file is to be
        // rewritten in place, which would take its second name along: the
        // backup gets a file of its own with the old contents first.
        if (!QFile::remove(backup))
            throwFileError(EACCES, backup);
        copyAsBackup(m_fileName, backup, originalBytes());
        replaceFileContents(m_fileName, encodedBytes(), backup);
    } else if (write && !backupLinked) {
        replaceFileContents(m_fileName, encodedBytes(), backup);
    }
    if (write)
        endWrite();

    // A record that several later ones hand their values to ends up with
    // the last one's: only that hand-over is made. Sorted by the record
    // given to, later ones after earlier ones.
    std::stable_sort(valueCopies.begin(), valueCopies.end(),
                     [](const auto &a, const auto &b) { return std::less<const IniRecord *>()(a.first, b.first); });
    auto lastOfItsRecord = [&](qsizetype i) {
        return i + 1 == valueCopies.size() || valueCopies[i + 1].first != valueCopies[i].first;
    };
    qsizetype given = 0;
    for (qsizetype i = 0; i < valueCopies.size(); ++i)
        given += lastOfItsRecord(i) ? 1 : 0;
    m_records->arena().reserveAssigned(given);
    for (qsizetype i = 0; i < valueCopies.size(); ++i)
        if (lastOfItsRecord(i))
            valueCopies[i].first->setValueFrom(*valueCopies[i].second);
    if (write)
        followOwnWrite(before);
}
