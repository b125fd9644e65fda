#include "add_entry.h"

#include "mod_functions.h"
#include "profile_writer.h"
#include "text_format.h"
#include "text_helpers.h"

clsINIPtr AddSectionRecord(clsINIRegistry &store, const QString &sectionText)
{
    const QString section = TrimSpaces(sectionText);
    if (section.isEmpty())
        return nullptr;
    requireSingleLine(section, QStringLiteral("section name"));
    store.RequireEncodable({section});
    const clsINIPtr record = store.Registry()->NewRecord();
    record->setID(store.Registry()->NextID());
    record->setSection(section);
    store.Registry()->Add(record);
    return record;
}

bool WriteSectionRecord(clsINIRegistry &store, const clsINI &record)
{
    return store.WriteFollowing(
        [&] {
            return AppendLine(store.ui(), store.FileName(),
                              QStringLiteral("[") + record.Section() + QStringLiteral("]"));
        },
        QStringLiteral("add section [%1]").arg(record.Section()));
}

clsINIPtr AddKeyRecord(clsINIRegistry &store, const QString &section, const QString &keyText, const QString &value)
{
    const QString key = TrimSpaces(keyText);
    if (key.isEmpty())
        return nullptr;
    checkProfileWrite(section, key, value);
    store.RequireEncodable({section, key, value});
    const clsINIPtr record = store.Registry()->NewRecord();
    record->setID(store.Registry()->NextID());
    record->setSection(section);
    record->setKey(key);
    store.Registry()->Add(record);
    return record;
}

qint16 WriteKeyRecord(clsINIRegistry &store, const clsINI &record, const QString &value)
{
    return store.SetRegValue(record.Section(), record.Key(), value);
}
