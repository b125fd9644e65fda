// The outline of a node collection (which node shows on which row) and the
// list model a view reads it through.
#include "node_collection.h"

#include <algorithm>

void NodeCollection::beginUpdate()
{
    if (m_updateDepth++ == 0)
        beginResetModel();
}

void NodeCollection::endUpdate()
{
    if (--m_updateDepth > 0)
        return;
    endResetModel();
    // A reset loses the view's current row, so the selection is always re-announced.
    Q_EMIT selectionMoved();
}

void NodeCollection::willChange(RowChange kind, qsizetype first, qsizetype count)
{
    if (quiet())
        return;
    switch (kind) {
    case RowChange::Reset:
        beginResetModel();
        break;
    case RowChange::Insert:
        beginInsertRows(QModelIndex(), int(first), int(first + count - 1));
        break;
    case RowChange::Remove:
        beginRemoveRows(QModelIndex(), int(first), int(first + count - 1));
        break;
    }
}

void NodeCollection::didChange(RowChange kind, qsizetype first, qsizetype)
{
    if (quiet())
        return;
    switch (kind) {
    case RowChange::Reset:
        endResetModel();
        return;
    case RowChange::Insert:
        endInsertRows();
        break;
    case RowChange::Remove:
        endRemoveRows();
        break;
    }
    // The row above an inserted or removed run may have gained or lost its branch arrow.
    if (first > 0) {
        const QModelIndex above = index(int(first - 1));
        Q_EMIT dataChanged(above, above);
    }
}

void NodeCollection::moveSelection()
{
    if (!quiet())
        Q_EMIT selectionMoved();
}

void NodeCollection::buildOutline() const
{
    if (m_outlineValid)
        return;
    m_tops.clear();
    std::vector<qint32> ordinal(m_nodes.size(), -1);
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        if (m_nodes[i].parent < 0) {
            ordinal[i] = qint32(m_tops.size());
            m_tops.push_back(qint32(i));
        }
    }
    // Children grouped by section, each group in collection order.
    m_childBegin.assign(m_tops.size() + 1, 0);
    for (const Node &n : m_nodes)
        if (n.parent >= 0)
            ++m_childBegin[size_t(ordinal[size_t(n.parent)]) + 1];
    for (size_t t = 1; t < m_childBegin.size(); ++t)
        m_childBegin[t] += m_childBegin[t - 1];
    m_childPositions.assign(size_t(m_childBegin.back()), 0);
    std::vector<qint32> fill(m_childBegin.begin(), m_childBegin.end() - 1);
    for (size_t i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].parent >= 0)
            m_childPositions[size_t(fill[size_t(ordinal[size_t(m_nodes[i].parent)])]++)] = qint32(i);
    m_outlineValid = true;
    m_rowsValid = false;
}

void NodeCollection::buildRows() const
{
    buildOutline();
    if (m_rowsValid)
        return;
    m_rowStart.assign(m_tops.size() + 1, 0);
    for (size_t t = 0; t < m_tops.size(); ++t) {
        const bool open = m_nodes[size_t(m_tops[t])].expanded;
        m_rowStart[t + 1] = m_rowStart[t] + 1 + (open ? m_childBegin[t + 1] - m_childBegin[t] : 0);
    }
    m_rowsValid = true;
}

qsizetype NodeCollection::topOrdinal(qsizetype position) const
{
    return std::lower_bound(m_tops.begin(), m_tops.end(), qint32(position)) - m_tops.begin();
}

int NodeCollection::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    buildRows();
    return int(m_rowStart.back());
}

QVariant NodeCollection::data(const QModelIndex &index, int role) const
{
    const qsizetype node = nodeAtRow(index.row());
    if (node == 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return Text(node);
    case ImageRole:
        return Image(node);
    case SelectedImageRole:
        return SelectedImage(node);
    case LevelRole:
        return Parent(node) == 0 ? 0 : 1;
    case HasChildrenRole:
        return Parent(node) == 0 && Children(node) > 0;
    case ExpandedRole:
        return Expanded(node);
    default:
        return {};
    }
}

Qt::ItemFlags NodeCollection::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

qsizetype NodeCollection::nodeAtRow(qsizetype row) const
{
    buildRows();
    if (row < 0 || row >= m_rowStart.back())
        return 0;
    const qsizetype t = std::upper_bound(m_rowStart.begin(), m_rowStart.end(), row) - m_rowStart.begin() - 1;
    const qsizetype offset = row - m_rowStart[size_t(t)];
    if (offset == 0)
        return m_tops[size_t(t)] + 1;
    return m_childPositions[size_t(m_childBegin[size_t(t)] + offset - 1)] + 1;
}

qsizetype NodeCollection::rowOfNode(qsizetype index) const
{
    if (index < 1 || index > Count())
        return -1;
    buildRows();
    const Node &n = m_nodes[size_t(index - 1)];
    if (n.parent < 0)
        return m_rowStart[size_t(topOrdinal(index - 1))];
    if (!m_nodes[size_t(n.parent)].expanded)
        return -1;
    const qsizetype t = topOrdinal(n.parent);
    const auto first = m_childPositions.begin() + m_childBegin[size_t(t)];
    const auto last = m_childPositions.begin() + m_childBegin[size_t(t) + 1];
    return m_rowStart[size_t(t)] + 1 + (std::lower_bound(first, last, qint32(index - 1)) - first);
}
