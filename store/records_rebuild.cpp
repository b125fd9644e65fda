#include "file_access.h"
#include "ini_store.h"
#include "name_match.h"
#include "profile_builder.h"
#include "profile_writer.h"
#include "text_format.h"
#include "text_helpers.h"

#include <QHash>

#include <algorithm>

QByteArray IniStore::rebuiltBytes(const TextFormat &format) const
{
    requireExactFile(format, m_fileName);
    // The hand-overs between duplicate records concern records in memory
    // only; the bytes are the same without them.
    QList<std::pair<IniRecord *, IniRecord *>> valueCopies;
    return encodeFile(rebuildFromRecords(format, valueCopies).bytes(), format, m_fileName);
}

namespace {
// How many records ahead the rebuild fetches a name's place in its table.
constexpr qsizetype kLookAhead = 8;
} // namespace

ProfileBuilder IniStore::rebuildFromRecords(const TextFormat &format,
                                            QList<std::pair<IniRecord *, IniRecord *>> &valueCopies) const
{
    ProfileBuilder builder(format);
    builder.reserve(m_records->count());
    // Keys holding "=" are never matched by the builder (the file reads them
    // back split), yet records still match each other under them.
    QHash<QString, IniRecord *> firstOfSplitKey;
    const QList<IniRecord *> &records = m_records->records();
    // The runs of records that share a section string, and where the last
    // run of each string ends: once it has, that section's name table is
    // no longer needed, and its memory serves the next section's.
    QList<qsizetype> runEnds;
    QHash<const void *, qsizetype> lastRunEnd;
    for (qsizetype tag = 0; tag < records.size();) {
        SectionRun run;
        run.changed(*records[tag]);
        qsizetype end = tag + 1;
        while (end < records.size() && !run.changed(*records[end]))
            ++end;
        runEnds.append(end);
        lastRunEnd[records[tag]->sectionIdentity()] = end;
        tag = end;
    }
    qsizetype runs = 0;
    qsizetype runEnd = 0;
    bool lastRun = false;
    SectionRun run;
    QString section;
    for (qsizetype tag = 0; tag < records.size(); ++tag) {
        IniRecord *const record = records[tag];
        // Records of one run share their section's string: it is fetched,
        // and checked, once per run, and a long run's names get their room
        // in one go.
        if (run.changed(*record)) {
            if (lastRun)
                builder.endSection(section);
            section = record->section();
            requireSingleLine(section, QStringLiteral("section name"));
            runEnd = runEnds[runs++];
            const qsizetype end = runEnd;
            // Presized, a table is not rehashed on the way; only the
            // smallest grow for next to nothing.
            if (end - tag >= 16)
                builder.expectNames(section, end - tag);
            lastRun = lastRunEnd.value(record->sectionIdentity()) == end;
        }
        qsizetype firstTag;
        QByteArrayView key;
        QByteArrayView value;
        // A name a few records on is looked up while these are written: in
        // a section of a hundred thousand names, each look-up would
        // otherwise wait for memory.
        if (tag + kLookAhead < runEnd && records[tag + kLookAhead]->loadedBytes(format.encoding(), key, value))
            builder.prefetch(key);
        if (record->loadedBytes(format.encoding(), key, value)) {
            // Read from a file, so already one line that reads back as a key line.
            if (std::all_of(key.begin(), key.end(), [](char c) { return c == ' '; }))
                continue;
            firstTag = builder.write(section, key, value, tag);
        } else {
            const QString keyText = record->key();
            if (trimBlanks(keyText).isEmpty())
                continue;
            const QString valueText = record->value();
            checkProfileWrite(section, keyText, valueText);
            firstTag = builder.write(section, keyText, valueText, tag);
            if (keyText.contains(QLatin1Char('='))) {
                const QString id = upperName(section) + QChar(0) + upperName(keyText);
                const auto found = firstOfSplitKey.constFind(id);
                if (found == firstOfSplitKey.constEnd())
                    firstOfSplitKey.insert(id, record);
                else
                    valueCopies.append(std::make_pair(*found, record));
            }
        }
        if (firstTag >= 0)
            valueCopies.append(std::make_pair(m_records->at(firstTag + 1), record));
    }
    return builder;
}
