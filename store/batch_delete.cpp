#include "platform/mod_functions.h"
#include "platform/name_match.h"
#include "store/cls_ini_registry.h"

#include <QHash>

#include <vector>

// Deleting a section's keys one by one rewrites the file once per key, and
// each rewrite hands the value of the last of two same-named records to the
// first. Only records of `Section` are ever removed, so only their groups of
// same-named records can change between rewrites; everything else the single
// rewrite at the end does exactly as the last of the many would.
void clsINIRegistry::DeleteKeys(const QString &Section, const QStringList &Keys)
{
    m_lastRemoved.clear();
    if (Keys.isEmpty())
        return;
    const QList<clsINIPtr> before = m_registry->records();

    // The section's records, in list order.
    const UpperMatcher sectionMatch(Section);
    std::vector<qsizetype> candidates;
    const void *lastSection = nullptr;
    bool lastMatches = false;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const void *identity = before[i]->sectionIdentity();
        if (identity != lastSection || !identity) {
            lastSection = identity;
            lastMatches = sectionMatch.matches(before[i]->Section());
        }
        if (lastMatches)
            candidates.push_back(i);
    }

    // Groups of two or more same-named records among them, which a rewrite
    // links: the first takes the value of the last.
    QHash<QString, std::vector<qsizetype>> byKey;
    for (qsizetype position : candidates) {
        const QString key = before[position]->Key();
        if (!TrimSpaces(key).isEmpty())
            byKey[upperName(key)].push_back(position);
    }
    std::vector<std::vector<qsizetype>> groups;
    for (auto &members : byKey)
        if (members.size() > 1)
            groups.push_back(std::move(members));

    std::vector<bool> removed(size_t(before.size()), false);
    QList<std::pair<clsINIPtr, QString>> savedValues;
    auto linkGroups = [&] {
        for (const auto &members : groups) {
            qsizetype first = -1;
            qsizetype last = -1;
            for (qsizetype position : members) {
                if (removed[size_t(position)])
                    continue;
                if (first < 0)
                    first = position;
                last = position;
            }
            if (first >= 0 && last != first) {
                savedValues.append({before[first], before[first]->Value()});
                before[first]->setValue(before[last]->Value());
            }
        }
    };

    // The record the first call removes, if any.
    qsizetype firstRemoved = -1;
    for (qsizetype k = 0; k < Keys.size(); ++k) {
        const UpperMatcher keyMatch(Keys[k]);
        for (qsizetype position : candidates) {
            if (!removed[size_t(position)] && before[position]->keyMatches(keyMatch)) {
                removed[size_t(position)] = true;
                if (k == 0)
                    firstRemoved = position;
                break;
            }
        }
        // Every call but the last rewrites before the next one looks.
        if (k + 1 < Keys.size())
            linkGroups();
    }

    QList<clsINIPtr> after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (!removed[size_t(i)])
            after.append(before[i]);
        else
            m_lastRemoved.append(before[i]);
    }
    m_registry->assign(std::move(after));

    try {
        CreateINIFile(m_fileName);
    } catch (...) {
        // As if the first call had failed: its record gone, nothing else changed.
        for (auto it = savedValues.crbegin(); it != savedValues.crend(); ++it)
            it->first->setValue(it->second);
        QList<clsINIPtr> restored = before;
        m_lastRemoved.clear();
        if (firstRemoved >= 0) {
            m_lastRemoved.append(before[firstRemoved]);
            restored.removeAt(firstRemoved);
        }
        m_registry->assign(std::move(restored));
        throw;
    }
}
