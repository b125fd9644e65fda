#include "name_blanks.h"

#include "ini_record.h"
#include "name_match.h"
#include "record_list.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString blanks(qsizetype count)
{
    return count == 1 ? QStringLiteral("a blank") : QStringLiteral("%1 blanks").arg(count);
}

} // namespace

QString withoutEndBlanks(const QString &name)
{
    qsizetype from = 0;
    qsizetype to = name.size();
    while (from < to && isBlank(name[from]))
        ++from;
    while (to > from && isBlank(name[to - 1]))
        --to;
    return name.sliced(from, to - from);
}

QString describeEndBlanks(const QString &name, const QString &before, const QString &after)
{
    qsizetype leading = 0;
    while (leading < name.size() && isBlank(name[leading]))
        ++leading;
    qsizetype trailing = 0;
    while (leading < name.size() && trailing < name.size() - leading && isBlank(name[name.size() - 1 - trailing]))
        ++trailing;
    QStringList parts;
    if (leading)
        parts.append(blanks(leading) + QLatin1Char(' ') + before);
    if (trailing)
        parts.append(blanks(trailing) + QLatin1Char(' ') + after);
    return parts.join(QStringLiteral(" and "));
}

QString missingKeyMessage(const RecordList &records, const QString &section, const QString &key)
{
    const QString plain = QStringLiteral("no key %1 in [%2]").arg(key, section);
    const QString sectionWanted = upperName(withoutEndBlanks(section));
    const QString keyWanted = upperName(withoutEndBlanks(key));
    for (const IniRecord *record : records) {
        const QString recordSection = record->section();
        const QString recordKey = record->key();
        if (upperName(withoutEndBlanks(recordSection)) != sectionWanted
            || upperName(withoutEndBlanks(recordKey)) != keyWanted)
            continue;
        const bool keyDiffers = recordKey.size() != key.size();
        const bool sectionDiffers = recordSection.size() != section.size();
        QStringList where;
        if (keyDiffers)
            where.append(describeEndBlanks(recordKey, QStringLiteral("at the start of the line"),
                                           QStringLiteral("before \"=\"")));
        if (sectionDiffers)
            where.append(
                describeEndBlanks(recordSection, QStringLiteral("after \"[\""), QStringLiteral("before \"]\"")));
        where.removeAll(QString());
        QString has = keyDiffers ? QLatin1Char('"') + recordKey + QLatin1Char('"') : QStringLiteral("it");
        if (sectionDiffers)
            has += QStringLiteral(" in [") + recordSection + QLatin1Char(']');
        // Blanks in the name asked for, none in the file's.
        const QString why = where.isEmpty() ? QStringLiteral("without the blanks")
                                            : QStringLiteral("with ") + where.join(QStringLiteral(" and "));
        return QStringLiteral("no key \"%1\" in [%2]; the file has %3 (%4)").arg(key, section, has, why);
    }
    return plain;
}
