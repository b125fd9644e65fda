#include "file_lock.h"
#include "ini_store.h"
#include "name_match.h"

#include <QHash>

#include <vector>

namespace {
// Whether `record` has the key name `key`, letter case ignored, without
// building a string for the common ASCII names.
bool sameKey(const IniRecord &record, const QString &key)
{
    QByteArrayView bytes;
    QByteArrayView value;
    TextEncoding encoding;
    if (record.loadedBytes(bytes, value, encoding) && isAscii(bytes) && isAscii(QStringView(key)))
        return QLatin1StringView(bytes).compare(key, Qt::CaseInsensitive) == 0;
    return record.keyMatches(UpperMatcher(key));
}
} // namespace

// Deleting a section's keys one by one rewrites the file once per key, and
// each rewrite hands the value of the last of two same-named records to the
// first. Those hand-overs need not be replayed between the deletions: a
// deletion always takes the first record of its name, so a record that took
// a value from a later one is gone before that later one can be, and the
// one rewrite at the end links the survivors exactly as the last of the many
// rewrites would.
void IniStore::deleteKeys(const QString &section, const QStringList &GivenKeys, const KeysOf &keysAfterReload)
{
    m_lastRemoved.clear();
    if (GivenKeys.isEmpty())
        return;
    const FileLock lock(m_fileName);
    const bool reloaded = reloadIfChangedLocked();
    const QStringList keys = reloaded && keysAfterReload ? keysAfterReload(*m_records) : GivenKeys;
    // Another program removed the section (or renamed it) meanwhile: there
    // is nothing left to delete, and rewriting the file from the records
    // would only cost its comments and layout.
    if (keys.isEmpty())
        return;
    const QList<IniRecord *> before = m_records->records();
    QList<IniRecord *> taken = removeKeyRecords(section, keys);
    try {
        rewriteFile(m_fileName, QStringLiteral("delete section [%1]").arg(section));
    } catch (...) {
        // The file still holds every key: so does the store.
        m_records->assign(before);
        throw;
    }
    m_lastRemoved = std::move(taken);
}

QList<IniRecord *> IniStore::removeKeyRecords(const QString &section, const QStringList &keys)
{
    const QList<IniRecord *> before = m_records->records();

    // The section's records, in list order.
    const UpperMatcher sectionMatch(section);
    std::vector<qsizetype> candidates;
    SectionRun run;
    bool lastMatches = false;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (run.changed(*before[i]))
            lastMatches = sectionMatch.matches(before[i]->section());
        if (lastMatches)
            candidates.push_back(i);
    }

    // Each key takes the first record of its name not taken yet. The keys
    // of a whole section come in the order of its records: while they do,
    // each takes the next record, with no look-up at all.
    std::vector<bool> removed(size_t(before.size()), false);
    qsizetype inOrder = 0;
    while (inOrder < keys.size() && inOrder < qsizetype(candidates.size())
           && sameKey(*before[candidates[size_t(inOrder)]], keys[inOrder])) {
        removed[size_t(candidates[size_t(inOrder)])] = true;
        ++inOrder;
    }
    if (inOrder < keys.size()) {
        // The rest: per name, one plus the first record not taken yet (0 for
        // none), and after each record the next of its name (-1 for none).
        QHash<QString, qsizetype> firstOfName;
        std::vector<qsizetype> nextOfName(candidates.size(), -1);
        for (qsizetype c = qsizetype(candidates.size()) - 1; c >= inOrder; --c) {
            qsizetype &first = firstOfName[upperName(before[candidates[size_t(c)]]->key())];
            nextOfName[size_t(c)] = first - 1;
            first = c + 1;
        }
        for (qsizetype k = inOrder; k < keys.size(); ++k) {
            const auto found = firstOfName.find(upperName(keys[k]));
            if (found == firstOfName.end() || *found == 0)
                continue;
            const qsizetype c = *found - 1;
            removed[size_t(candidates[size_t(c)])] = true;
            *found = nextOfName[size_t(c)] + 1;
        }
    }

    QList<IniRecord *> after;
    QList<IniRecord *> taken;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        (removed[size_t(i)] ? taken : after).append(before[i]);
    m_records->assign(std::move(after));
    return taken;
}
