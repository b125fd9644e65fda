#include "node_collection.h"

#include "app_error.h"

#include <algorithm>
#include <optional>

namespace {

const QString kSource = QStringLiteral("Nodes");
const QString kRootPrefix = QStringLiteral("RootKey=");
const QString kTreePrefix = QStringLiteral("TreeKey=");

// Node-collection failures, numbered as tree controls have always numbered them.
constexpr qint32 kElementNotFound = 35601;
constexpr qint32 kKeyNotUnique = 35602;
constexpr qint32 kInvalidKey = 35603;

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

const NodeCollection::Node &NodeCollection::node(qsizetype index) const
{
    Q_ASSERT(index >= 1 && index <= Count());
    return m_nodes[size_t(index - 1)];
}

QString NodeCollection::Key(qsizetype index) const
{
    const Node &n = node(index);
    return nodeKey(n.kind, n.id);
}

QString NodeCollection::Text(qsizetype index) const
{
    const Node &n = node(index);
    return n.kind == NodeKind::Root ? n.record->Section() : n.record->Key();
}

qsizetype NodeCollection::positionOf(NodeKind kind, qint32 id) const
{
    if (m_idsAscending) {
        auto it = std::lower_bound(m_nodes.begin(), m_nodes.end(), id,
                                   [](const Node &n, qint32 value) { return n.id < value; });
        for (; it != m_nodes.end() && it->id == id; ++it)
            if (it->kind == kind)
                return it - m_nodes.begin();
        return -1;
    }
    for (size_t i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].id == id && m_nodes[i].kind == kind)
            return qsizetype(i);
    return -1;
}

qsizetype NodeCollection::Find(const QString &key) const
{
    const auto parsed = parseKey(key);
    return parsed ? positionOf(parsed->kind, parsed->id) + 1 : 0;
}

qsizetype NodeCollection::Add(const QString &relativeKey, const QString &key, clsINIPtr record, int image,
                              int selectedImage)
{
    const auto parsed = parseKey(key);
    if (!parsed || !record)
        throw AppError(kInvalidKey, kSource, QStringLiteral("Invalid key"));
    qint32 parent = -1;
    if (!relativeKey.isEmpty()) {
        const qsizetype found = Find(relativeKey);
        if (found == 0)
            throw AppError(kElementNotFound, kSource, QStringLiteral("Element not found"));
        parent = qint32(found - 1);
        if (m_nodes[size_t(parent)].parent >= 0)
            throw AppError(RuntimeError::InvalidArgument, kSource,
                           QStringLiteral("Only top-level nodes hold child nodes"));
    }
    if (positionOf(parsed->kind, parsed->id) >= 0)
        throw AppError(kKeyNotUnique, kSource, QStringLiteral("Key is not unique in collection"));

    // The new node is the last of the collection, so it is the last top-level
    // row, or the last row of its section when that is open.
    qsizetype row = -1;
    if (!quiet()) {
        if (parent < 0)
            row = rowCount();
        else if (m_nodes[size_t(parent)].expanded)
            row = rowOfNode(parent + 1) + Children(parent + 1) + 1;
    }
    if (row >= 0)
        willChange(RowChange::Insert, row, 1);

    if (!m_nodes.empty() && parsed->id <= m_nodes.back().id)
        m_idsAscending = false;
    Node n;
    n.record = std::move(record);
    n.id = parsed->id;
    n.parent = parent;
    n.kind = parsed->kind;
    n.image = quint8(image);
    n.selectedImage = quint8(selectedImage);
    m_nodes.push_back(std::move(n));
    if (parent < 0)
        ++m_topTexts[Text(Count())];
    m_outlineValid = false;

    if (row >= 0)
        didChange(RowChange::Insert, row, 1);
    return Count();
}

void NodeCollection::Remove(qsizetype index)
{
    if (index < 1 || index > Count())
        throw AppError(kElementNotFound, kSource, QStringLiteral("Element not found"));
    const qsizetype removed = index - 1;
    const qsizetype selectedRow = m_selected >= 0 ? rowOfNode(m_selected + 1) : -1;
    const qsizetype firstRow = rowOfNode(index);
    const Node &target = m_nodes[size_t(removed)];
    const qsizetype rows = firstRow < 0 ? 0 : 1 + (target.parent < 0 && target.expanded ? Children(index) : 0);
    if (rows > 0)
        willChange(RowChange::Remove, firstRow, rows);

    // One pass: drop the node and its children, renumber the parents of the rest.
    std::vector<qint32> newPosition(m_nodes.size(), -1);
    size_t kept = 0;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        Node &n = m_nodes[i];
        const bool drop = qsizetype(i) == removed || (n.parent >= 0 && n.parent == removed);
        if (drop) {
            if (n.parent < 0 && --m_topTexts[Text(qsizetype(i) + 1)] <= 0)
                m_topTexts.remove(Text(qsizetype(i) + 1));
            continue;
        }
        newPosition[i] = qint32(kept);
        if (n.parent >= 0)
            n.parent = newPosition[size_t(n.parent)];
        if (kept != i)
            m_nodes[kept] = std::move(n);
        ++kept;
    }
    m_nodes.resize(kept);
    m_outlineValid = false;
    if (rows > 0)
        didChange(RowChange::Remove, firstRow, rows);

    // The selection stays with its node when that survives; otherwise the
    // node now on the selected row takes it, or the last row.
    if (m_selected >= 0) {
        if (newPosition[size_t(m_selected)] >= 0) {
            m_selected = newPosition[size_t(m_selected)];
        } else {
            const qsizetype rowsLeft = rowCount();
            m_selected = rowsLeft == 0 ? -1 : nodeAtRow(std::clamp<qsizetype>(selectedRow, 0, rowsLeft - 1)) - 1;
        }
        moveSelection();
    }
}

void NodeCollection::Clear()
{
    willChange(RowChange::Reset, 0, 0);
    m_nodes.clear();
    m_nodes.shrink_to_fit();
    m_topTexts.clear();
    m_selected = -1;
    m_idsAscending = true;
    m_outlineValid = false;
    didChange(RowChange::Reset, 0, 0);
    moveSelection();
}

qsizetype NodeCollection::Root(qsizetype index) const
{
    const Node &n = node(index);
    return n.parent < 0 ? index : n.parent + 1;
}

qsizetype NodeCollection::Children(qsizetype index) const
{
    const Node &n = node(index);
    if (n.parent >= 0)
        return 0;
    buildOutline();
    const qsizetype t = topOrdinal(index - 1);
    return m_childBegin[size_t(t) + 1] - m_childBegin[size_t(t)];
}

void NodeCollection::setExpanded(qsizetype index, bool expanded)
{
    Node &n = m_nodes[size_t(index - 1)];
    if (n.expanded == expanded)
        return;
    if (n.parent >= 0 || quiet()) {
        n.expanded = expanded;
        m_rowsValid = false;
        return;
    }
    const qsizetype first = rowOfNode(index) + 1;
    const qsizetype count = Children(index);
    const RowChange kind = expanded ? RowChange::Insert : RowChange::Remove;
    if (count > 0)
        willChange(kind, first, count);
    n.expanded = expanded;
    m_rowsValid = false;
    if (count > 0)
        didChange(kind, first, count);
    // A collapsed section hides its keys; a hidden selection moves up to it.
    if (!expanded && m_selected >= 0 && m_nodes[size_t(m_selected)].parent == index - 1) {
        m_selected = index - 1;
        moveSelection();
    }
}

void NodeCollection::setSelectedItem(qsizetype index)
{
    const qsizetype position = index - 1;
    if (position < -1 || position >= Count() || position == m_selected)
        return;
    // Selecting a key inside a collapsed section opens the section.
    if (position >= 0 && m_nodes[size_t(position)].parent >= 0)
        setExpanded(m_nodes[size_t(position)].parent + 1, true);
    m_selected = position;
    moveSelection();
}
