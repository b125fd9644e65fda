#pragma once

#include "image_list.h"
#include "node_collection.h"

#include <QListView>

#include <functional>

// The section tree on screen: a list view over the visible rows of a node
// collection, drawing the indentation and the branch arrow itself. A list
// view keeps no per-row state, so a million nodes cost nothing beyond the
// collection; expanding and collapsing only inserts or removes the rows of
// one section.
class NodeTreeView : public QListView {
    Q_OBJECT
public:
    explicit NodeTreeView(QWidget *parent = nullptr);
    ~NodeTreeView() override;

    NodeCollection &Nodes() { return m_nodes; }
    const NodeCollection &Nodes() const { return m_nodes; }
    qsizetype SelectedItem() const { return m_nodes.SelectedItem(); }

    void setImageList(const ImageList &images);
    const ImageList &imageList() const { return m_images; }

    // Expands or collapses a node as the user does, with the notices.
    void setNodeExpanded(qsizetype index, bool expanded);
    // The rectangle of a node's row in viewport coordinates (empty when hidden).
    QRect nodeRect(qsizetype index) const;
    // Scrolls a node into view together with its section's row, as far as
    // both fit, so that a key is never shown without the section it is in.
    void showNodeWithSection(qsizetype index);

    // Asked before a node's text would be edited; setting `cancel` refuses.
    std::function<void(qint16 &cancel)> beforeLabelEdit;

Q_SIGNALS:
    // The user clicked a node, or moved the selection to it with the keyboard.
    void nodeClick(qsizetype index);
    void nodeCollapse(qsizetype index);
    // Asked for the tree's context menu, at a point on the screen.
    void contextMenuAt(const QPoint &globalPos);
    // Enter or Delete pressed with a node selected.
    void enterPressed();
    void deletePressed();

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
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
};
