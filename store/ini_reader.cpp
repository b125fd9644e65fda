#include "app_error.h"
#include "file_access.h"
#include "file_name_test.h"
#include "file_stamp.h"
#include "ini_store.h"

#include <cstring>
#include <limits>
#include <new>

bool IniStore::load()
{
    try {
        if (m_fileName.isEmpty())
            throw AppError(ErrorKind::Store, QStringLiteral("Filename is missing"));
        if (!findsRegularFile(m_fileName))
            throw AppError(ErrorKind::Store, m_fileName + QStringLiteral(" File Not Found"));
        clearRecords();
        readFile();
        return true;
    } catch (const AppError &e) {
        throw AppError(ErrorKind::LoadFailed, e.description());
    } catch (const std::bad_alloc &) {
        throw AppError(ErrorKind::LoadFailed, QStringLiteral("Out of memory"));
    }
}

// Each line is a section header ("[" first, "]" last), else a key line when
// it holds "=", else ignored. Nothing is trimmed.
void IniStore::readFile()
{
    // Read between two looks at the file: when they differ, somebody wrote
    // it meanwhile, and nothing tells which version was read.
    const FileStamp before = stampOfFile(m_fileName);
    QByteArray fileBytes = readWholeFile(m_fileName);
    const bool steady = stampOfFile(m_fileName) == before;
    readBytes(std::move(fileBytes));
    m_stamp = steady ? before : FileStamp();
}

void IniStore::loadBytes(QByteArray fileBytes)
{
    clearRecords();
    readBytes(std::move(fileBytes));
}

void IniStore::readBytes(QByteArray fileBytes)
{
    FileText file = decodeFile(std::move(fileBytes));
    const TextFormat format = file.format;
    RecordList &list = *m_records;
    RecordArena &arena = list.arena();
    arena.setText(std::move(file.bytes), format.encoding());

    const QByteArrayView bytes(arena.bytes());
    // Roughly one record per 48 bytes in ordinary files: one allocation
    // instead of twenty for the list, and one slab for the records.
    list.reserve(bytes.size() / 48 + 16);
    arena.reserve(bytes.size() / 48 + 16);
    list.adviseHugePages();

    quint32 section = 0;
    LineCursor cursor(bytes, format.bomLength());
    LineSpan line;
    while (cursor.next(line)) {
        const char *p = bytes.data() + line.start;
        if (line.length >= 2 && p[0] == '[' && p[line.length - 1] == ']') {
            section = arena.sectionIndex(decodeText(QByteArrayView(p + 1, line.length - 2), format.encoding()));
            IniRecord *record = arena.makeHeader(section, qint32(list.count() + 1));
            setCurrentEntry(record);
            list.append(record);
            continue;
        }
        const void *eq = std::memchr(p, '=', size_t(line.length));
        if (!eq)
            continue;
        if (line.length > std::numeric_limits<qint32>::max())
            throw AppError(ErrorKind::OutOfMemory, QStringLiteral("A key line of more than 2 GB cannot be loaded"));
        const auto keyLength = qint32(static_cast<const char *>(eq) - p);
        const auto valueLength = qint32(line.length - keyLength - 1);
        IniRecord *record = arena.makeLine(section, line.start, keyLength, valueLength, qint32(list.count() + 1));
        setCurrentEntry(record);
        list.append(record);
    }
    ++m_loadCount;
}
