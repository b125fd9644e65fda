// Where the tree's rows are and how they are drawn. Rows are of one height
// and as wide as the widest of the view and the last row; the vertical
// scroll bar's value is the top row, so every place is worked out from a row
// number and nothing is kept per row.
#include "node_tree_view.h"

#include <QHoverEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

int NodeTreeView::rowHeight() const
{
    if (m_rowHeight < 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        // The delegate gives every row the same height, whatever it shows.
        const QModelIndex sample = m_nodes.index(0);
        m_rowHeight = std::max(1, itemDelegate()->sizeHint(option, sample).height());
    }
    return m_rowHeight;
}

int NodeTreeView::contentsWidth() const
{
    if (m_contentsWidth < 0) {
        const int rows = m_nodes.rowCount();
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        m_contentsWidth = rows == 0 ? 0 : itemDelegate()->sizeHint(option, m_nodes.index(rows - 1)).width();
    }
    return m_contentsWidth;
}

int NodeTreeView::pageRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int NodeTreeView::topRow() const
{
    return verticalScrollBar()->value();
}

std::pair<int, int> NodeTreeView::rowsIn(const QRect &rect) const
{
    const int rows = m_nodes.rowCount();
    const int h = rowHeight();
    // Division that rounds down for points above the viewport too.
    auto rowAt = [&](int y) { return topRow() + (y >= 0 ? y / h : -((-y + h - 1) / h)); };
    return {std::max(0, rowAt(rect.top())), std::min(rows - 1, rowAt(rect.bottom()))};
}

QRect NodeTreeView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != &m_nodes)
        return QRect();
    const int h = rowHeight();
    return QRect(-horizontalOffset(), (index.row() - topRow()) * h, std::max(contentsWidth(), viewport()->width()), h);
}

QModelIndex NodeTreeView::indexAt(const QPoint &point) const
{
    const auto [first, last] = rowsIn(QRect(point, QSize(1, 1)));
    if (first > last)
        return QModelIndex();
    const QModelIndex index = m_nodes.index(first);
    return visualRect(index).contains(point) ? index : QModelIndex();
}

int NodeTreeView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int NodeTreeView::verticalOffset() const
{
    return topRow() * rowHeight();
}

void NodeTreeView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != &m_nodes)
        return;
    const int row = index.row();
    const int page = pageRows();
    int top = topRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + page)
            top = row - page + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - page + 1;
        break;
    case PositionAtCenter:
        top = row - page / 2;
        break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex NodeTreeView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int rows = m_nodes.rowCount();
    if (rows == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return m_nodes.index(0);
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= std::max(1, pageRows() - 1);
        break;
    case MovePageDown:
        row += std::max(1, pageRows() - 1);
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    default:
        // One column: left and right lead nowhere.
        break;
    }
    return m_nodes.index(std::clamp(row, 0, rows - 1));
}

void NodeTreeView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    const QRect normal = rect.normalized();
    const auto [first, last] = rowsIn(normal);
    const int left = -horizontalOffset();
    const bool across = normal.right() >= left && normal.left() < left + visualRect(m_nodes.index(0)).width();
    QItemSelection selection;
    if (first <= last && across)
        selection.select(m_nodes.index(first), m_nodes.index(last));
    selectionModel()->select(selection, command);
}

QRegion NodeTreeView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        const QRect top = visualRect(range.topLeft());
        const QRect bottom = visualRect(range.bottomRight());
        region += QRect(top.topLeft(), bottom.bottomRight()).intersected(viewport()->rect().adjusted(0, -1, 0, 1));
    }
    return region;
}

void NodeTreeView::initViewItemOption(QStyleOptionViewItem *option) const
{
    QAbstractItemView::initViewItemOption(option);
    option->decorationPosition = QStyleOptionViewItem::Left;
    option->viewItemPosition = QStyleOptionViewItem::OnlyOne;
}

void NodeTreeView::updateGeometries()
{
    m_rowHeight = -1;
    m_contentsWidth = -1;
    const int rows = m_nodes.rowCount();
    const int page = pageRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, rows - page));
    const int width = viewport()->width();
    horizontalScrollBar()->setSingleStep(std::max(1, rowHeight()));
    horizontalScrollBar()->setPageStep(width);
    horizontalScrollBar()->setRange(0, std::max(0, contentsWidth() - width));
    QAbstractItemView::updateGeometries();
}

void NodeTreeView::scrollContentsBy(int dx, int dy)
{
    // The vertical bar counts rows; the viewport moves by pixels.
    const int pixels = dy * rowHeight();
    scrollDirtyRegion(dx, pixels);
    // Sideways, every row's text is cut off (and elided) at another place:
    // the rows are drawn again rather than moved.
    if (dx != 0)
        viewport()->update();
    else
        viewport()->scroll(dx, pixels);
}

void NodeTreeView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    QStyleOptionViewItem base;
    initViewItemOption(&base);
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const auto [first, last] = rowsIn(event->rect());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = m_nodes.index(row);
        QStyleOptionViewItem option = base;
        // Drawn only as far as the viewport's right edge, so that a name cut
        // off there ends in an ellipsis, as one cut off by its row's end does.
        option.rect = visualRect(index);
        option.rect.setRight(std::min(option.rect.right(), viewport()->width() - 1));
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (option.state & QStyle::State_Enabled)
            option.palette.setCurrentColorGroup(QPalette::Normal);
        if (focus && index == current) {
            option.state |= QStyle::State_HasFocus;
            if (state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, row == m_hoverRow);
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void NodeTreeView::setHoverRow(int row)
{
    if (row == m_hoverRow)
        return;
    const int rows = m_nodes.rowCount();
    for (const int changed : {m_hoverRow, row})
        if (changed >= 0 && changed < rows)
            viewport()->update(visualRect(m_nodes.index(changed)));
    m_hoverRow = row;
}

bool NodeTreeView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        setHoverRow(indexAt(static_cast<QHoverEvent *>(event)->position().toPoint()).row());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        setHoverRow(-1);
        break;
    default:
        break;
    }
    return QAbstractItemView::viewportEvent(event);
}

void NodeTreeView::rowsInserted(const QModelIndex &parent, int first, int last)
{
    QAbstractItemView::rowsInserted(parent, first, last);
    m_hoverRow = -1;
    scheduleDelayedItemsLayout();
}

void NodeTreeView::rowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    QAbstractItemView::rowsAboutToBeRemoved(parent, first, last);
    m_hoverRow = -1;
    scheduleDelayedItemsLayout();
}

void NodeTreeView::reset()
{
    m_hoverRow = -1;
    QAbstractItemView::reset();
    scheduleDelayedItemsLayout();
}
