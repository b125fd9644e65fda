#include "add_entry.h"

#include "app_error.h"
#include "append_line.h"
#include "interaction.h"
#include "profile_writer.h"
#include "text_format.h"
#include "text_helpers.h"

IniRecord *addSectionRecord(IniStore &store, const QString &sectionText)
{
    const QString section = trimBlanks(sectionText);
    if (section.isEmpty())
        return nullptr;
    requireSingleLine(section, QStringLiteral("section name"));
    store.requireEncodable({section});
    IniRecord *const record = store.records()->newRecord();
    record->setId(store.records()->nextId());
    record->setSection(section);
    store.records()->append(record);
    return record;
}

bool writeSectionRecord(IniStore &store, const IniRecord &record)
{
    return store.writeFollowing(
        [&] {
            try {
                appendLine(store.fileName(), QStringLiteral("[") + record.section() + QStringLiteral("]"));
                return true;
            } catch (const AppError &e) {
                store.ui().tell(e.description(), MessageIcon::Critical);
            } catch (const std::bad_alloc &) {
                store.ui().tell(QStringLiteral("Out of memory"), MessageIcon::Critical);
            }
            return false;
        },
        QStringLiteral("add section [%1]").arg(record.section()));
}

IniRecord *addKeyRecord(IniStore &store, const QString &section, const QString &keyText, const QString &value)
{
    const QString key = trimBlanks(keyText);
    if (key.isEmpty())
        return nullptr;
    checkProfileWrite(section, key, value);
    store.requireEncodable({section, key, value});
    IniRecord *const record = store.records()->newRecord();
    record->setId(store.records()->nextId());
    record->setSection(section);
    record->setKey(key);
    store.records()->append(record);
    return record;
}

WriteResult writeKeyRecord(IniStore &store, const IniRecord &record, const QString &value)
{
    return store.setValue(record.section(), record.key(), value);
}
