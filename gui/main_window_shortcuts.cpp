// Ways into the window's commands besides the menus: Delete in the tree,
// Ctrl+O, and files dropped on the window.
#include "main_window.h"

#include "node_tree_view.h"
#include "tree_commands.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QShortcut>

namespace {
// The one local file a drop carries, or "" when it carries anything else.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}
} // namespace

void MainWindow::connectShortcuts()
{
    connect(m_tree, &NodeTreeView::deletePressed, this, &MainWindow::deleteSelected);
    // Kept off the menu item, so that its caption stays as it is.
    auto *open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(open, &QShortcut::activated, this, [this] {
        if (!editing())
            openFile();
    });
    setAcceptDrops(true);
}

void MainWindow::deleteSelected()
{
    const NodeCollection &nodes = m_tree->nodes();
    const qsizetype selected = nodes.selectedNode();
    if (selected == 0)
        return;
    if (isRootKey(nodes.key(selected)))
        deleteSection();
    else
        deleteKey();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!editing() && !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (editing() || path.isEmpty())
        return;
    event->acceptProposedAction();
    loadFile(path);
}
