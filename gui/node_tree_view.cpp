#include "node_tree_view.h"

#include "node_row_delegate.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

NodeTreeView::NodeTreeView(QWidget *parent) : QAbstractItemView(parent)
{
    setModel(&m_nodes);
    setItemDelegate(new NodeRowDelegate(m_images, this));
    // The pictures are drawn at the style's small icon size, whatever sizes
    // the icons come in, so that one row height fits them all.
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    setIconSize(QSize(icon, icon));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    connect(&m_nodes, &NodeCollection::selectionMoved, this, &NodeTreeView::showSelection);
}

NodeTreeView::~NodeTreeView()
{
    // The collection goes before the view's base class does.
    disconnect(&m_nodes, nullptr, this, nullptr);
    setModel(nullptr);
}

void NodeTreeView::setImageList(const ImageList &images)
{
    m_images = images;
    viewport()->update();
}

qsizetype NodeTreeView::nodeAt(const QModelIndex &index) const
{
    return index.isValid() ? m_nodes.nodeAtRow(index.row()) : 0;
}

QRect NodeTreeView::nodeRect(qsizetype index) const
{
    const qsizetype row = m_nodes.rowOfNode(index);
    return row < 0 ? QRect() : visualRect(m_nodes.index(int(row)));
}

bool NodeTreeView::onBranch(const QModelIndex &index, const QPoint &pos) const
{
    return index.isValid() && index.data(NodeCollection::LevelRole).toInt() == 0
           && pos.x() - visualRect(index).left() < NodeRowDelegate::indentation(this);
}

void NodeTreeView::setNodeExpanded(qsizetype index, bool expanded)
{
    if (index < 1 || index > m_nodes.count() || m_nodes.isExpanded(index) == expanded)
        return;
    m_nodes.setExpanded(index, expanded);
    if (!expanded)
        Q_EMIT nodeCollapse(index);
}

void NodeTreeView::selectNode(qsizetype index)
{
    if (index == 0)
        return;
    const qsizetype row = m_nodes.rowOfNode(index);
    if (row >= 0)
        setCurrentIndex(m_nodes.index(int(row)));
}

void NodeTreeView::showSelection()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const qsizetype row = m_nodes.rowOfNode(m_nodes.selectedNode());
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = m_nodes.index(int(row));
        setCurrentIndex(index);
        scrollTo(index);
    }
    m_syncing = false;
}

// The selected row, not the current one, is the tree's selected node: the
// view makes the first row current when it gains focus, selecting nothing.
void NodeTreeView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (m_syncing)
        return;
    const qsizetype node = selected.isEmpty() ? 0 : nodeAt(selected.indexes().constFirst());
    if (node == 0) {
        // A tree keeps its selected node: a deselecting click is undone.
        showSelection();
        return;
    }
    m_syncing = true;
    m_nodes.setSelectedNode(node);
    m_syncing = false;
    // A mouse press reports its click on release; keyboard moves report at once.
    if (!m_pressing)
        Q_EMIT nodeClick(node);
}

bool NodeTreeView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if ((trigger & editTriggers()) && index.isValid() && canEditLabel && !canEditLabel())
        return false;
    return QAbstractItemView::edit(index, trigger, event);
}

void NodeTreeView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && onBranch(index, event->position().toPoint())) {
        const qsizetype node = nodeAt(index);
        setNodeExpanded(node, !m_nodes.isExpanded(node));
        return;
    }
    m_pressing = true;
    QAbstractItemView::mousePressEvent(event);
    m_pressing = false;
    m_pressedNode = nodeAt(index);
}

void NodeTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    QAbstractItemView::mouseReleaseEvent(event);
    reportPendingClick();
}

void NodeTreeView::reportPendingClick()
{
    // A press on a node is its click, wherever the button comes up: the
    // pane must follow the node the press selected.
    const bool pressed = m_pressedNode != 0;
    m_pressedNode = 0;
    if (pressed && m_nodes.selectedNode() != 0)
        Q_EMIT nodeClick(m_nodes.selectedNode());
}

void NodeTreeView::contextMenuEvent(QContextMenuEvent *event)
{
    // The right button's press selected the node under it; the menu takes
    // the release, so the click is reported now, before the menu acts on
    // the selected node.
    reportPendingClick();
    Q_EMIT contextMenuAt(event->globalPos());
}

void NodeTreeView::showNodeWithSection(qsizetype index)
{
    if (index < 1 || index > m_nodes.count())
        return;
    const qsizetype section = m_nodes.rootNode(index);
    const qsizetype sectionRow = m_nodes.rowOfNode(section);
    const qsizetype row = m_nodes.rowOfNode(index);
    if (row < 0)
        return;
    if (sectionRow >= 0 && sectionRow != row)
        scrollTo(m_nodes.index(int(sectionRow)), QAbstractItemView::PositionAtTop);
    scrollTo(m_nodes.index(int(row)), QAbstractItemView::EnsureVisible);
}

void NodeTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && !onBranch(index, event->position().toPoint())
        && index.data(NodeCollection::LevelRole).toInt() == 0) {
        const qsizetype node = nodeAt(index);
        setNodeExpanded(node, !m_nodes.isExpanded(node));
        return;
    }
    QAbstractItemView::mouseDoubleClickEvent(event);
    // A key's row: its value is edited, as Enter does.
    if (event->button() == Qt::LeftButton && index.isValid() && nodeAt(index) == m_nodes.selectedNode()
        && index.data(NodeCollection::LevelRole).toInt() > 0)
        Q_EMIT enterPressed();
}

void NodeTreeView::keyPressEvent(QKeyEvent *event)
{
    const qsizetype node = m_nodes.selectedNode();
    if (node == 0) {
        QAbstractItemView::keyPressEvent(event);
        return;
    }
    const bool top = m_nodes.parentNode(node) == 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            Q_EMIT enterPressed();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (event->modifiers() == Qt::NoModifier) {
            Q_EMIT deletePressed();
            return;
        }
        break;
    case Qt::Key_Left:
        if (top && m_nodes.isExpanded(node))
            setNodeExpanded(node, false);
        else if (!top)
            selectNode(m_nodes.parentNode(node));
        return;
    case Qt::Key_Right:
        if (top && !m_nodes.isExpanded(node))
            setNodeExpanded(node, true);
        else if (top && m_nodes.childCount(node) > 0)
            selectNode(m_nodes.nodeAtRow(m_nodes.rowOfNode(node) + 1));
        return;
    case Qt::Key_Plus:
        if (top)
            setNodeExpanded(node, true);
        return;
    case Qt::Key_Minus:
        if (top)
            setNodeExpanded(node, false);
        return;
    default:
        break;
    }
    QAbstractItemView::keyPressEvent(event);
}
