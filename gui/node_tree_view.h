#pragma once

#include "image_list.h"
#include "node_collection.h"

#include <QAbstractItemView>

#include <functional>
#include <utility>

// The section tree on screen: a list of the visible rows of a node
// collection, drawing the indentation and the branch arrow itself. Every row
// has the same height, so where a row is follows from its number: the view
// keeps nothing per row (a list view keeps two numbers a row, 8 MB for a
// million-line file), and expanding or collapsing only inserts or removes
// the rows of one section. The vertical scroll bar counts rows.
class NodeTreeView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit NodeTreeView(QWidget *parent = nullptr);
    ~NodeTreeView() override;

    NodeCollection &nodes() { return m_nodes; }
    const NodeCollection &nodes() const { return m_nodes; }
    qsizetype selectedNode() const { return m_nodes.selectedNode(); }

    void setImageList(const ImageList &images);
    const ImageList &imageList() const { return m_images; }

    // Expands or collapses a node as the user does, with the notices.
    void setNodeExpanded(qsizetype index, bool expanded);
    // The rectangle of a node's row in viewport coordinates (empty when hidden).
    QRect nodeRect(qsizetype index) const;
    // Scrolls a node into view together with its section's row, as far as
    // both fit, so that a key is never shown without the section it is in.
    void showNodeWithSection(qsizetype index);

    // Asked before a node's text would be edited; false refuses.
    std::function<bool()> canEditLabel;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void reset() override;

Q_SIGNALS:
    // The user clicked a node, or moved the selection to it with the keyboard.
    void nodeClick(qsizetype index);
    void nodeCollapse(qsizetype index);
    // Asked for the tree's context menu, at a point on the screen.
    void contextMenuAt(const QPoint &globalPos);
    // Enter or F2 pressed with a node selected, or a key's row double-clicked:
    // its value is to be edited.
    void enterPressed();
    // Delete pressed with a node selected.
    void deletePressed();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void initViewItemOption(QStyleOptionViewItem *option) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void rowsInserted(const QModelIndex &parent, int first, int last) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int first, int last) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    // Pixels of one row, and of the widest row as the last one stands for them all.
    int rowHeight() const;
    int contentsWidth() const;
    // Rows that fit in the viewport whole, at least one.
    int pageRows() const;
    int topRow() const;
    // The first and last rows a rectangle of the viewport touches, clamped to the rows there are.
    std::pair<int, int> rowsIn(const QRect &rect) const;
    void setHoverRow(int row);

    qsizetype nodeAt(const QModelIndex &index) const;
    bool onBranch(const QModelIndex &index, const QPoint &pos) const;
    void showSelection();
    void selectNode(qsizetype index);
    void reportPendingClick();

    NodeCollection m_nodes;
    ImageList m_images;
    // Set while the view itself moves the current row, so that no click is reported.
    bool m_syncing = false;
    // Set while a mouse press moves the current row; the click is reported on release.
    bool m_pressing = false;
    // The node under the last press, until its release.
    qsizetype m_pressedNode = 0;
    // Worked out again after every change of rows, font or style.
    mutable int m_rowHeight = -1;
    mutable int m_contentsWidth = -1;
    // The row under the mouse, drawn as the style draws a hovered row.
    int m_hoverRow = -1;
};
