#pragma once

#include "window_layout.h"

#include <QObject>
#include <QPoint>

class NodeTreeView;
class SplitterBar;
class ValueList;
class QWidget;

// The main window's client area: the tree, the bar and the value pane side
// by side, kept in proportion when the area is resized and moved when the
// bar is dragged with the left button. Sizes are worked out in twips.
class PaneLayout : public QObject {
    Q_OBJECT
public:
    PaneLayout(QWidget *client, NodeTreeView *tree, SplitterBar *bar, ValueList *pane);

    const WindowLayout &twips() const { return m_layout; }
    bool dragging() const { return m_dragging; }
    // The client area in twips.
    double clientWidthTwips() const;
    double clientHeightTwips() const;
    // Places the three panes as the layout says.
    void apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Lays the panes out again for the client area's new size.
    void relayout();
    // The bar, at a point of its own (in pixels).
    void barPressed(const QPoint &pos, Qt::MouseButtons buttons);
    void barMoved(const QPoint &pos, Qt::MouseButtons buttons);
    void barReleased(const QPoint &pos, Qt::MouseButtons buttons);

    QWidget *m_client;
    NodeTreeView *m_tree;
    SplitterBar *m_bar;
    ValueList *m_pane;
    WindowLayout m_layout = WindowLayout::design();
    bool m_dragging = false;
};
