#include "node_collection.h"

#include "app_error.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace {

const QString kRootPrefix = QStringLiteral("RootKey=");
const QString kTreePrefix = QStringLiteral("TreeKey=");

struct ParsedKey {
    NodeKind kind;
    qint32 id;
};

// Only keys of the scheme, spelt as nodeKey spells them, name nodes.
std::optional<ParsedKey> parseKey(const QString &key)
{
    NodeKind kind;
    if (key.startsWith(kRootPrefix))
        kind = NodeKind::Root;
    else if (key.startsWith(kTreePrefix))
        kind = NodeKind::Tree;
    else
        return std::nullopt;
    bool ok = false;
    const qint32 id = key.mid(kRootPrefix.size()).toInt(&ok);
    if (!ok || nodeKey(kind, id) != key)
        return std::nullopt;
    return ParsedKey{kind, id};
}

} // namespace

QString nodeKey(NodeKind kind, qint32 id)
{
    return (kind == NodeKind::Root ? kRootPrefix : kTreePrefix) + QString::number(id);
}

bool isRootKey(const QString &key)
{
    return key.startsWith(QLatin1StringView("RootKey"));
}

qsizetype NodeCollection::checked(qsizetype index) const
{
    Q_ASSERT(index >= 1 && index <= count());
    return index;
}

size_t NodeCollection::runIndex(qsizetype position) const
{
    auto holds = [&](size_t r) {
        return r < m_runs.size() && m_runs[r].first <= position && position < m_runs[r].first + m_runs[r].count;
    };
    if (holds(m_recentRuns[0]))
        return m_recentRuns[0];
    std::swap(m_recentRuns[0], m_recentRuns[1]);
    if (holds(m_recentRuns[0]))
        return m_recentRuns[0];
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                                        [](qsizetype value, const Run &r) { return value < r.first; });
    m_recentRuns[0] = size_t(after - m_runs.begin()) - 1;
    return m_recentRuns[0];
}

IniRecord *NodeCollection::recordAfter(IniRecord *record, qsizetype steps)
{
    if (steps == 0)
        return record;
    RecordArena &arena = record->arena();
    return arena.at(arena.indexOf(record) + steps);
}

IniRecord *NodeCollection::record(qsizetype index) const
{
    const Run &r = run(index - 1);
    return recordAfter(r.record, index - 1 - r.first);
}

qint32 NodeCollection::id(qsizetype index) const
{
    const Run &r = run(index - 1);
    return r.id + qint32(index - 1 - r.first);
}

QString NodeCollection::key(qsizetype index) const
{
    return nodeKey(kind(index), id(index));
}

QString NodeCollection::text(qsizetype index) const
{
    const IniRecord *const node = record(index);
    return kind(index) == NodeKind::Root ? node->section() : node->key();
}

qsizetype NodeCollection::positionOf(NodeKind kind, qint32 id) const
{
    if (m_idsAscending) {
        // IDs grow by one along a run and from run to run.
        const auto after =
            std::upper_bound(m_runs.begin(), m_runs.end(), id, [](qint32 value, const Run &r) { return value < r.id; });
        if (after == m_runs.begin())
            return -1;
        const Run &r = *(after - 1);
        return id < r.id + r.count && r.kind == kind ? r.first + (id - r.id) : -1;
    }
    for (const Run &r : m_runs)
        if (r.kind == kind && r.id <= id && id < r.id + r.count)
            return r.first + (id - r.id);
    return -1;
}

qsizetype NodeCollection::indexOf(const QString &key) const
{
    const auto parsed = parseKey(key);
    return parsed ? positionOf(parsed->kind, parsed->id) + 1 : 0;
}

qsizetype NodeCollection::append(const QString &relativeKey, const QString &key, IniRecord *record, int image,
                                 int selectedImage)
{
    const auto parsed = parseKey(key);
    if (!parsed || !record)
        throw AppError(ErrorKind::InvalidKey, QStringLiteral("Invalid key"));
    qsizetype parent = 0;
    if (!relativeKey.isEmpty()) {
        parent = indexOf(relativeKey);
        if (parent == 0)
            throw AppError(ErrorKind::ElementNotFound, QStringLiteral("Element not found"));
    }
    return addNode(parent, parsed->kind, parsed->id, record, image, selectedImage);
}

qsizetype NodeCollection::addNode(qsizetype parentIndex, NodeKind kind, qint32 id, IniRecord *record, int image,
                                  int selectedImage)
{
    if (!record)
        throw AppError(ErrorKind::InvalidKey, QStringLiteral("Invalid key"));
    if (parentIndex < 0 || parentIndex > count())
        throw AppError(ErrorKind::ElementNotFound, QStringLiteral("Element not found"));
    const auto parent = qint32(parentIndex - 1);
    if (parent >= 0 && parentNode(parentIndex) != 0)
        throw AppError(ErrorKind::InvalidArgument, QStringLiteral("Only top-level nodes hold child nodes"));
    // A load numbers its records in order: an ID above every other is free.
    const bool above = count() == 0 || (m_idsAscending && id > this->id(count()));
    if (!above && positionOf(kind, id) >= 0)
        throw AppError(ErrorKind::KeyNotUnique, QStringLiteral("Key is not unique in collection"));

    // The new node is the last of the collection, so it is the last top-level
    // row, or the last row of its section when that is open.
    qsizetype row = -1;
    if (!quiet()) {
        if (parent < 0)
            row = rowCount();
        else if (m_expanded[size_t(parent)])
            row = rowOfNode(parentIndex) + childCount(parentIndex) + 1;
    }
    if (row >= 0)
        willChange(RowChange::Insert, row, 1);

    if (count() > 0 && id <= this->id(count()))
        m_idsAscending = false;
    appendRun(parent, kind, id, record, image, selectedImage);
    if (parent < 0)
        ++m_topTexts[text(count())];
    m_outlineValid = false;

    if (row >= 0)
        didChange(RowChange::Insert, row, 1);
    return count();
}

void NodeCollection::appendRun(qint32 parent, NodeKind kind, qint32 id, IniRecord *record, int image, int selectedImage)
{
    keepArenaOf(*record);
    const auto position = qint32(count());
    if (!m_runs.empty()) {
        Run &last = m_runs.back();
        RecordArena &arena = record->arena();
        if (last.parent == parent && last.kind == kind && last.image == quint8(image)
            && last.selectedImage == quint8(selectedImage) && qint64(last.id) + last.count == id
            && &last.record->arena() == &arena && arena.indexOf(record) == arena.indexOf(last.record) + last.count) {
            m_expanded.push_back(false);
            ++last.count;
            return;
        }
    }
    m_runs.push_back(Run{record, position, 1, parent, id, kind, quint8(image), quint8(selectedImage)});
    try {
        m_expanded.push_back(false);
    } catch (...) {
        m_runs.pop_back();
        throw;
    }
}

void NodeCollection::keepArenaOf(const IniRecord &record)
{
    RecordArena &arena = record.arena();
    for (auto it = m_arenas.rbegin(); it != m_arenas.rend(); ++it)
        if (it->get() == &arena)
            return;
    m_arenas.push_back(arena.shared_from_this());
}

void NodeCollection::removeAt(qsizetype index)
{
    if (index < 1 || index > count())
        throw AppError(ErrorKind::ElementNotFound, QStringLiteral("Element not found"));
    const auto removed = qint32(index - 1);
    const bool topLevel = parentNode(index) == 0;
    const qsizetype selectedRow = m_selected >= 0 ? rowOfNode(m_selected + 1) : -1;
    const qsizetype firstRow = rowOfNode(index);
    const qsizetype rows = firstRow < 0 ? 0 : 1 + (topLevel && m_expanded[size_t(removed)] ? childCount(index) : 0);
    if (rows > 0)
        willChange(RowChange::Remove, firstRow, rows);
    if (topLevel && --m_topTexts[text(index)] <= 0)
        m_topTexts.remove(text(index));

    // The positions that go: the node, and with a top-level node its children,
    // which are whole runs. Sorted, with the count gone before each.
    std::vector<std::pair<qint32, qint32>> gone{{removed, 1}};
    if (topLevel)
        for (const Run &r : m_runs)
            if (r.parent == removed)
                gone.emplace_back(r.first, r.count);
    std::sort(gone.begin(), gone.end());
    std::vector<qint32> goneBefore(gone.size() + 1, 0);
    for (size_t g = 0; g < gone.size(); ++g)
        goneBefore[g + 1] = goneBefore[g] + gone[g].second;
    // The new position of a node, -1 when it goes.
    auto newPosition = [&](qint32 position) -> qint32 {
        const size_t g =
            size_t(std::upper_bound(gone.begin(), gone.end(), std::make_pair(position, INT_MAX)) - gone.begin());
        if (g > 0 && position < gone[g - 1].first + gone[g - 1].second)
            return -1;
        return position - goneBefore[g];
    };

    std::vector<Run> runs;
    runs.reserve(m_runs.size() + 1);
    for (const Run &r : m_runs) {
        if (topLevel && r.parent == removed)
            continue;
        if (r.first <= removed && removed < r.first + r.count) {
            // The node splits its run; what follows it is a run of its own.
            const qint32 before = removed - r.first;
            const qint32 after = r.count - before - 1;
            if (before > 0)
                runs.push_back(Run{r.record, r.first, before, r.parent, r.id, r.kind, r.image, r.selectedImage});
            if (after > 0)
                runs.push_back(Run{recordAfter(r.record, before + 1), removed + 1, after, r.parent, r.id + before + 1,
                                   r.kind, r.image, r.selectedImage});
            continue;
        }
        runs.push_back(r);
    }
    for (Run &r : runs) {
        r.first = newPosition(r.first);
        if (r.parent >= 0)
            r.parent = newPosition(r.parent);
    }
    std::vector<bool> expanded;
    expanded.reserve(m_expanded.size());
    for (size_t i = 0, g = 0; i < m_expanded.size(); ++i) {
        while (g < gone.size() && qint64(i) >= qint64(gone[g].first) + gone[g].second)
            ++g;
        if (g == gone.size() || qint64(i) < gone[g].first)
            expanded.push_back(m_expanded[i]);
    }
    const qint32 selected = m_selected >= 0 ? newPosition(qint32(m_selected)) : -1;
    m_runs = std::move(runs);
    m_expanded = std::move(expanded);
    m_recentRuns[0] = m_recentRuns[1] = 0;
    m_outlineValid = false;
    if (rows > 0)
        didChange(RowChange::Remove, firstRow, rows);

    // The selection stays with its node when that survives; otherwise the
    // node now on the selected row takes it, or the last row.
    if (m_selected >= 0) {
        if (selected >= 0) {
            m_selected = selected;
        } else {
            const qsizetype rowsLeft = rowCount();
            m_selected = rowsLeft == 0 ? -1 : nodeAtRow(std::clamp<qsizetype>(selectedRow, 0, rowsLeft - 1)) - 1;
        }
        moveSelection();
    }
}

void NodeCollection::clear()
{
    willChange(RowChange::Reset, 0, 0);
    m_runs.clear();
    m_runs.shrink_to_fit();
    m_expanded.clear();
    m_expanded.shrink_to_fit();
    m_arenas.clear();
    m_topTexts.clear();
    m_selected = -1;
    m_idsAscending = true;
    m_recentRuns[0] = m_recentRuns[1] = 0;
    m_outlineValid = false;
    didChange(RowChange::Reset, 0, 0);
    moveSelection();
}

qsizetype NodeCollection::rootNode(qsizetype index) const
{
    const qsizetype parent = parentNode(index);
    return parent == 0 ? index : parent;
}

qsizetype NodeCollection::childCount(qsizetype index) const
{
    if (parentNode(index) != 0)
        return 0;
    buildOutline();
    const qsizetype t = topOrdinal(index - 1);
    return m_childStart[size_t(t) + 1] - m_childStart[size_t(t)];
}

void NodeCollection::setExpanded(qsizetype index, bool expanded)
{
    const auto position = size_t(checked(index) - 1);
    if (m_expanded[position] == expanded)
        return;
    if (parentNode(index) != 0 || quiet()) {
        m_expanded[position] = expanded;
        m_rowsValid = false;
        return;
    }
    const qsizetype first = rowOfNode(index) + 1;
    const qsizetype count = childCount(index);
    const RowChange kind = expanded ? RowChange::Insert : RowChange::Remove;
    if (count > 0)
        willChange(kind, first, count);
    m_expanded[position] = expanded;
    m_rowsValid = false;
    if (count > 0)
        didChange(kind, first, count);
    // A collapsed section hides its keys; a hidden selection moves up to it.
    if (!expanded && m_selected >= 0 && parentNode(m_selected + 1) == index) {
        m_selected = index - 1;
        moveSelection();
    }
}

void NodeCollection::setSelectedNode(qsizetype index)
{
    const qsizetype position = index - 1;
    if (position < -1 || position >= count() || position == m_selected)
        return;
    // Selecting a key inside a collapsed section opens the section.
    if (position >= 0 && parentNode(index) != 0)
        setExpanded(parentNode(index), true);
    m_selected = position;
    moveSelection();
}
