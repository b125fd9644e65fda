#include "platform/app_error.h"
#include "platform/file_access.h"
#include "platform/mod_functions.h"
#include "platform/name_match.h"
#include "platform/platform_ui.h"
#include "platform/profile_builder.h"
#include "platform/profile_writer.h"
#include "store/cls_ini_registry.h"
#include "store/file_name_test.h"

#include <QFileInfo>
#include <QHash>

#include <cerrno>

qint16 clsINIRegistry::SetRegValue(const QString &Section, const QString &Key, const QString &Value)
{
    const QString source = QStringLiteral("clsINIRegistry: SetRegValue");
    checkProfileWrite(Section, Key, Value);
    qint16 result = 0;
    if (!QFileInfo::exists(m_fileName))
        throwFileError(ENOENT, m_fileName, source);
    if (isReadOnlyFile(m_fileName)) {
        MsgBox(QStringLiteral("Cannot save setting, file is Read Only"), vbExclamation);
        result = 1;
    }
    WritePrivateProfileString(Section, Key, Value, m_fileName);
    if (const qsizetype position = FindRecord(Section, Key))
        m_registry->Item(position)->setValue(Value);
    return result;
}

void clsINIRegistry::DeleteKey(const QString &Section, const QString &Key)
{
    if (const qsizetype position = FindRecord(Section, Key))
        m_registry->Remove(position);
    CreateINIFile(m_fileName);
}

// Rebuilds the file from the records. The result is what deleting the file
// and writing every record with a non-blank key into it, one by one, would
// leave, but it is built in memory and replaces the file in one step, so a
// failure part-way never loses the file.
void clsINIRegistry::CreateINIFile(const QString &Name)
{
    const QString source = QStringLiteral("clsINIRegistry: CreateINIFile");
    const QByteArray original = readWholeFile(m_fileName, source);

    const QString backup = backupPathFor(m_fileName);
    if (isReadOnlyFile(backup))
        throwFileError(EACCES, backup, source);
    replaceFileContents(backup, original, source);

    const bool fromScratch = namesExistingFile(m_fileName) && !Name.isEmpty();
    if (fromScratch && isReadOnlyFile(m_fileName))
        throw AppError(RuntimeError::PathFileAccess, source, QStringLiteral("Path/File access error: ") + m_fileName);

    const TextFormat format = detectTextFormat(original);
    QByteArray rebuilt;
    bool write = true;
    if (fromScratch) {
        ProfileBuilder builder(format);
        for (const clsINIPtr &record : *m_registry) {
            if (TrimSpaces(record->Key()).isEmpty())
                continue;
            const QString section = record->Section();
            const QString key = record->Key();
            const QString value = record->Value();
            checkProfileWrite(section, key, value);
            builder.write(section, key, value);
        }
        rebuilt = builder.bytes();
    } else {
        // Writing into the file as it stands: nothing is removed.
        if (isReadOnlyFile(m_fileName)) {
            MsgBox(QStringLiteral("Cannot save setting, file is Read Only"), vbExclamation);
            write = false;
        } else {
            rebuilt = original;
            for (const clsINIPtr &record : *m_registry) {
                if (TrimSpaces(record->Key()).isEmpty())
                    continue;
                checkProfileWrite(record->Section(), record->Key(), record->Value());
                rebuilt = applyProfileWrite(rebuilt, format, record->Section(), record->Key(), record->Value());
            }
        }
    }
    if (write)
        replaceFileContents(m_fileName, rebuilt, source);

    // Each of those writes also gave its value to the first record of the
    // same section and key: of two duplicates, the first ends up with the
    // later one's value.
    QHash<QString, clsINI *> firstOf;
    for (const clsINIPtr &record : *m_registry) {
        const QString key = record->Key();
        if (TrimSpaces(key).isEmpty())
            continue;
        const QString id = upperName(record->Section()) + QChar(0) + upperName(key);
        const auto found = firstOf.constFind(id);
        if (found == firstOf.constEnd())
            firstOf.insert(id, record.get());
        else
            (*found)->setValue(record->Value());
    }
}
