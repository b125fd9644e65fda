// The store's side of the version history: a version before each write,
// and a version written back.
#include "app_error.h"
#include "file_access.h"
#include "file_history.h"
#include "file_lock.h"
#include "ini_store.h"

void IniStore::keepVersion(const QString &command) const
{
    // A write that will not happen (no file, a read-only one) replaces nothing.
    if (m_history && !m_fileName.isEmpty() && !isReadOnlyFile(m_fileName))
        m_history->keep(m_fileName, command);
}

void IniStore::restoreVersion(qint64 number)
{
    if (!m_history)
        throw AppError(ErrorKind::Store, QStringLiteral("No version history is kept"));
    const FileLock lock(m_fileName);
    const QByteArray bytes = m_history->contents(m_fileName, number);
    requireWritableFile();
    beginWrite(QStringLiteral("restore version %1").arg(number));
    replaceFileContents(m_fileName, bytes);
    endWrite();
    reloadLocked();
}

void IniStore::requireWritableFile() const
{
    if (isReadOnlyFile(m_fileName))
        throw AppError(ErrorKind::PathFileAccess, QStringLiteral("Path/File access error: ") + m_fileName);
}
