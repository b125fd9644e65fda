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
    for (const Run &r : m_runs)
        if (r.parent < 0)
            for (qint32 i = 0; i < r.count; ++i)
                m_tops.push_back(r.first + i);
    // Runs of children grouped by parent, each group in collection order.
    std::vector<qint32> parentOrdinal;
    parentOrdinal.reserve(m_runs.size());
    m_childRunBegin.assign(m_tops.size() + 1, 0);
    m_childStart.assign(m_tops.size() + 1, 0);
    for (const Run &r : m_runs) {
        if (r.parent < 0)
            continue;
        const auto t = size_t(topOrdinal(r.parent));
        parentOrdinal.push_back(qint32(t));
        ++m_childRunBegin[t + 1];
        m_childStart[t + 1] += r.count;
    }
    for (size_t t = 1; t < m_childRunBegin.size(); ++t) {
        m_childRunBegin[t] += m_childRunBegin[t - 1];
        m_childStart[t] += m_childStart[t - 1];
    }
    m_childRuns.assign(size_t(m_childRunBegin.back()), 0);
    m_childRunOffset.assign(m_childRuns.size(), 0);
    std::vector<qint32> fill(m_childRunBegin.begin(), m_childRunBegin.end() - 1);
    size_t childRun = 0;
    for (size_t r = 0; r < m_runs.size(); ++r) {
        if (m_runs[r].parent < 0)
            continue;
        const auto t = size_t(parentOrdinal[childRun++]);
        const auto slot = size_t(fill[t]++);
        m_childRuns[slot] = qint32(r);
        m_childRunOffset[slot] = slot == size_t(m_childRunBegin[t])
                                     ? 0
                                     : m_childRunOffset[slot - 1] + m_runs[size_t(m_childRuns[slot - 1])].count;
    }
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
        const bool open = m_expanded[size_t(m_tops[t])];
        m_rowStart[t + 1] = m_rowStart[t] + 1 + (open ? m_childStart[t + 1] - m_childStart[t] : 0);
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
        return text(node);
    case ImageRole:
        return image(node);
    case SelectedImageRole:
        return selectedImage(node);
    case LevelRole:
        return parentNode(node) == 0 ? 0 : 1;
    case HasChildrenRole:
        return parentNode(node) == 0 && childCount(node) > 0;
    case ExpandedRole:
        return isExpanded(node);
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
    const auto t = size_t(std::upper_bound(m_rowStart.begin(), m_rowStart.end(), row) - m_rowStart.begin() - 1);
    const qsizetype offset = row - m_rowStart[t];
    if (offset == 0)
        return m_tops[t] + 1;
    // The child's place among its parent's children, then the run holding it.
    const qsizetype child = offset - 1;
    const auto first = m_childRunOffset.begin() + m_childRunBegin[t];
    const auto last = m_childRunOffset.begin() + m_childRunBegin[t + 1];
    const auto slot = size_t(std::upper_bound(first, last, qint32(child)) - m_childRunOffset.begin() - 1);
    return m_runs[size_t(m_childRuns[slot])].first + (child - m_childRunOffset[slot]) + 1;
}

qsizetype NodeCollection::rowOfNode(qsizetype index) const
{
    if (index < 1 || index > count())
        return -1;
    buildRows();
    const size_t r = runIndex(index - 1);
    const Run &run = m_runs[r];
    if (run.parent < 0)
        return m_rowStart[size_t(topOrdinal(index - 1))];
    if (!m_expanded[size_t(run.parent)])
        return -1;
    const auto t = size_t(topOrdinal(run.parent));
    const auto first = m_childRuns.begin() + m_childRunBegin[t];
    const auto last = m_childRuns.begin() + m_childRunBegin[t + 1];
    const auto slot = size_t(std::lower_bound(first, last, qint32(r)) - m_childRuns.begin());
    return m_rowStart[t] + 1 + m_childRunOffset[slot] + (index - 1 - run.first);
}
