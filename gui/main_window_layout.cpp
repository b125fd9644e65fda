// The main window's layout: the tree, the bar and the value pane side by
// side, kept in proportion on resize and moved by dragging the bar.
#include "main_window.h"

#include "node_tree_view.h"
#include "splitter_bar.h"
#include "twips.h"
#include "value_list.h"

#include <QKeyEvent>

double MainWindow::clientWidthTwips() const
{
    return pixelsToTwips(m_client->width(), logicalDpiX());
}

double MainWindow::clientHeightTwips() const
{
    return pixelsToTwips(m_client->height(), logicalDpiY());
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        relayout();
    else if (event->type() == QEvent::KeyPress)
        previewKey(watched, static_cast<QKeyEvent *>(event));
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::relayout()
{
    // A minimised window reports no client area; laying out for it would
    // leave the tree without width after the restore.
    if (isMinimized())
        return;
    m_layout.resize(clientWidthTwips(), clientHeightTwips());
    applyLayout();
}

void MainWindow::applyLayout()
{
    auto place = [](QWidget *widget, const TwipRect &r) { setTwipsGeometry(widget, r.left, r.top, r.width, r.height); };
    place(m_tree, m_layout.tree);
    place(m_splitter, m_layout.bar);
    place(m_valuePane, m_layout.pane);
    m_valuePane->setColumnWidth(0, twipsToPixels(m_layout.columnWidth, logicalDpiX()));
}

void MainWindow::splitterPressed(const QPoint &, Qt::MouseButtons buttons)
{
    if (buttons == Qt::LeftButton)
        m_dragging = true;
}

void MainWindow::splitterMoved(const QPoint &pos, Qt::MouseButtons)
{
    if (!m_dragging)
        return;
    m_layout.drag(pixelsToTwips(pos.x(), logicalDpiX()), clientWidthTwips());
    applyLayout();
}

void MainWindow::splitterReleased(const QPoint &pos, Qt::MouseButtons buttons)
{
    splitterMoved(pos, buttons);
    m_dragging = false;
}
