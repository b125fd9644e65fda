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
    return store.setValue(record.section(), record.key(), value,
                          QStringLiteral("add key [%1] %2").arg(record.section(), record.key()));
}

void checkNewSection(const IniStore &store, const QString &sectionText)
{
    const QString section = trimBlanks(sectionText);
    if (section.isEmpty())
        return;
    requireSingleLine(section, QStringLiteral("section name"));
    store.requireEncodable({section});
}

void checkNewKey(const IniStore &store, const QString &section, const QString &keyText, const QString &value)
{
    const QString key = trimBlanks(keyText);
    if (key.isEmpty())
        return;
    checkProfileWrite(section, key, value);
    store.requireEncodable({section, key, value});
}

namespace {
// Takes the record just appended out of the list again, unless the list
// was replaced meanwhile.
void dropAppended(IniStore &store, const IniRecord *record)
{
    RecordList &records = *store.records();
    if (records.count() > 0 && records.at(records.count()) == record)
        records.removeAt(records.count());
}
} // namespace

IniRecord *addSection(IniStore &store, const QString &sectionText)
{
    IniRecord *const record = addSectionRecord(store, sectionText);
    if (!record)
        return nullptr;
    if (writeSectionRecord(store, *record))
        return record;
    dropAppended(store, record);
    return nullptr;
}

IniRecord *addKey(IniStore &store, const QString &section, const QString &keyText, const QString &value)
{
    // The value write lands on the first record of the key: an existing one
    // keeps its own value again when the write does not happen.
    const qsizetype existing = store.findRecord(section, trimBlanks(keyText));
    const std::shared_ptr<RecordList> records = store.records();
    IniRecord *kept = nullptr;
    if (existing) {
        kept = records->newRecord();
        kept->setValueFrom(*records->at(existing));
    }
    IniRecord *const record = addKeyRecord(store, section, keyText, value);
    if (!record)
        return nullptr;
    const quint64 loads = store.loadCount();
    auto takeBack = [&] {
        if (store.records() != records)
            return;
        dropAppended(store, record);
        if (kept)
            records->at(existing)->setValueFrom(*kept);
    };
    try {
        if (writeKeyRecord(store, *record, value) == WriteResult::ReadOnly) {
            takeBack();
            return nullptr;
        }
    } catch (const AppError &) {
        takeBack();
        throw;
    }
    return store.loadCount() == loads ? record : nullptr;
}
