#include "cls_ini_registry.h"
#include "file_lock.h"
#include "name_match.h"

#include <vector>

// Deleting a section's keys one by one rewrites the file once per key, and
// each rewrite hands the value of the last of two same-named records to the
// first. Those hand-overs need not be replayed between the deletions: a
// deletion always takes the first record of its name, so a record that took
// a value from a later one is gone before that later one can be, and the
// one rewrite at the end links the survivors exactly as the last of the many
// rewrites would.
void clsINIRegistry::DeleteKeys(const QString &Section, const QStringList &GivenKeys, const KeysOf &keysAfterReload)
{
    m_lastRemoved.clear();
    if (GivenKeys.isEmpty())
        return;
    const FileLock lock(m_fileName, QStringLiteral("clsINIRegistry: DeleteKeys"));
    const bool reloaded = reloadIfChanged();
    const QStringList Keys = reloaded && keysAfterReload ? keysAfterReload(*m_registry) : GivenKeys;
    const QList<clsINIPtr> before = m_registry->records();

    // The section's records, in list order.
    const UpperMatcher sectionMatch(Section);
    std::vector<qsizetype> candidates;
    SectionRun run;
    bool lastMatches = false;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (run.changed(*before[i]))
            lastMatches = sectionMatch.matches(before[i]->Section());
        if (lastMatches)
            candidates.push_back(i);
    }

    std::vector<bool> removed(size_t(before.size()), false);
    for (const QString &key : Keys) {
        const UpperMatcher keyMatch(key);
        for (qsizetype position : candidates) {
            if (!removed[size_t(position)] && before[position]->keyMatches(keyMatch)) {
                removed[size_t(position)] = true;
                break;
            }
        }
    }

    QList<clsINIPtr> after;
    QList<clsINIPtr> taken;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        (removed[size_t(i)] ? taken : after).append(before[i]);
    m_registry->assign(std::move(after));

    try {
        CreateINIFile(m_fileName, QStringLiteral("delete section [%1]").arg(Section));
    } catch (...) {
        // The file still holds every key: so does the store.
        m_registry->assign(before);
        throw;
    }
    m_lastRemoved = std::move(taken);
}
