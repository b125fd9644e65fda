// The main window's layout: the tree, the bar and the value pane side by
// side, kept in proportion on resize and moved by dragging the bar.
#include "frm_ini.h"

#include "node_tree_view.h"
#include "splitter_bar.h"
#include "twips.h"
#include "value_list.h"

#include <QKeyEvent>

double frmINI::clientWidthTwips() const
{
    return pixelsToTwips(m_client->width(), logicalDpiX());
}

double frmINI::clientHeightTwips() const
{
    return pixelsToTwips(m_client->height(), logicalDpiY());
}

bool frmINI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    else if (event->type() == QEvent::KeyPress)
        previewKey(watched, static_cast<QKeyEvent *>(event));
    return QMainWindow::eventFilter(watched, event);
}

void frmINI::Form_Resize()
{
    // A minimised window reports no client area; laying out for it would
    // leave the tree without width after the restore.
    if (isMinimized())
        return;
    m_layout.resize(clientWidthTwips(), clientHeightTwips());
    applyLayout();
}

void frmINI::applyLayout()
{
    auto place = [](QWidget *widget, const TwipRect &r) { setTwipsGeometry(widget, r.left, r.top, r.width, r.height); };
    place(tvw, m_layout.tree);
    place(Splitter, m_layout.bar);
    place(lvw, m_layout.pane);
    lvw->setColumnWidth(0, twipsToPixels(m_layout.columnWidth, logicalDpiX()));
}

void frmINI::Splitter_MouseDown(int Button, int, float, float)
{
    if (Button == 1)
        bDragging = true;
}

void frmINI::Splitter_MouseMove(int, int, float X, float)
{
    if (!bDragging)
        return;
    m_layout.drag(X, clientWidthTwips());
    applyLayout();
}

void frmINI::Splitter_MouseUp(int Button, int Shift, float X, float Y)
{
    Splitter_MouseMove(Button, Shift, X, Y);
    bDragging = false;
}
