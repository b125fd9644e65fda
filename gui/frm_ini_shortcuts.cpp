// Ways into the window's commands besides the menus: the tree's context
// menu, Enter and Delete in the tree, Ctrl+O, and files dropped on the window.
#include "frm_ini.h"

#include "node_tree_view.h"
#include "tree_commands.h"
#include "value_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
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

void frmINI::connectShortcuts()
{
    connect(tvw, &NodeTreeView::contextMenuAt, this, &frmINI::showTreeMenu);
    connect(tvw, &NodeTreeView::enterPressed, this, &frmINI::editSelectedValue);
    connect(tvw, &NodeTreeView::deletePressed, this, &frmINI::deleteSelected);
    // Kept off the menu item, so that its caption stays as it is.
    auto *open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(open, &QShortcut::activated, this, [this] {
        if (!bEditing)
            mnuOpen_Click();
    });
    setAcceptDrops(true);
}

void frmINI::showTreeMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuTree"));
    menu.addMenu(mnuNew);
    menu.addMenu(mnuDelete);
    menu.addSeparator();
    menu.addAction(mnuFind);
    menu.addAction(mnuNext);
    menu.exec(globalPos);
}

void frmINI::editSelectedValue()
{
    const NodeCollection &nodes = tvw->Nodes();
    const qsizetype selected = nodes.SelectedItem();
    QTreeWidgetItem *item = lvw->topLevelItem(0);
    if (selected == 0 || isRootKey(nodes.Key(selected)) || !item)
        return;
    lvw->setFocus();
    lvw->setCurrentItem(item);
    lvw->editItem(item, 0);
}

void frmINI::deleteSelected()
{
    const NodeCollection &nodes = tvw->Nodes();
    const qsizetype selected = nodes.SelectedItem();
    if (selected == 0)
        return;
    if (isRootKey(nodes.Key(selected)))
        mnuDelSection_Click();
    else
        mnuDelKey_Click();
}

void frmINI::dragEnterEvent(QDragEnterEvent *event)
{
    if (!bEditing && !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmINI::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (bEditing || path.isEmpty())
        return;
    event->acceptProposedAction();
    openFile(path);
}
