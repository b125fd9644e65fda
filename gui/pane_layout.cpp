#include "pane_layout.h"

#include "node_tree_view.h"
#include "splitter_bar.h"
#include "twips.h"
#include "value_list.h"

#include <QEvent>

PaneLayout::PaneLayout(QWidget *client, NodeTreeView *tree, SplitterBar *bar, ValueList *pane)
    : QObject(client), m_client(client), m_tree(tree), m_bar(bar), m_pane(pane)
{
    client->installEventFilter(this);
    connect(m_bar, &SplitterBar::pressed, this, &PaneLayout::barPressed);
    connect(m_bar, &SplitterBar::moved, this, &PaneLayout::barMoved);
    connect(m_bar, &SplitterBar::released, this, &PaneLayout::barReleased);
}

double PaneLayout::clientWidthTwips() const
{
    return pixelsToTwips(m_client->width(), m_client->logicalDpiX());
}

double PaneLayout::clientHeightTwips() const
{
    return pixelsToTwips(m_client->height(), m_client->logicalDpiY());
}

bool PaneLayout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        relayout();
    return QObject::eventFilter(watched, event);
}

void PaneLayout::relayout()
{
    // A minimised window reports no client area; laying out for it would
    // leave the tree without width after the restore.
    if (m_client->window()->isMinimized())
        return;
    m_layout.resize(clientWidthTwips(), clientHeightTwips());
    apply();
}

void PaneLayout::apply()
{
    auto place = [](QWidget *widget, const TwipRect &r) { setTwipsGeometry(widget, r.left, r.top, r.width, r.height); };
    place(m_tree, m_layout.tree);
    place(m_bar, m_layout.bar);
    place(m_pane, m_layout.pane);
    m_pane->setColumnWidth(0, twipsToPixels(m_layout.columnWidth, m_client->logicalDpiX()));
}

void PaneLayout::barPressed(const QPoint &, Qt::MouseButtons buttons)
{
    if (buttons == Qt::LeftButton)
        m_dragging = true;
}

void PaneLayout::barMoved(const QPoint &pos, Qt::MouseButtons)
{
    if (!m_dragging)
        return;
    m_layout.drag(pixelsToTwips(pos.x(), m_client->logicalDpiX()), clientWidthTwips());
    apply();
}

void PaneLayout::barReleased(const QPoint &pos, Qt::MouseButtons buttons)
{
    barMoved(pos, buttons);
    m_dragging = false;
}
