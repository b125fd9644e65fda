// The window follows its file: when another program changes it, the tree
// is read again, keeping what the person was looking at.
#include "main_window.h"

#include "app_error.h"
#include "gui_log.h"
#include "ini_store.h"
#include "node_tree_view.h"
#include "tree_build.h"
#include "value_list.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

namespace {
// Changes come in bursts (a write, then a rename, then the folder's entry):
// one look after the burst.
constexpr int kSettleMs = 100;
// While the person is busy (an edit, a dialog), the next look.
constexpr int kRetryMs = 250;

// What the person sees of the tree, by names, so that it can be found again
// in a tree built from other records.
struct TreeSight {
    QString section;
    QString key;
    bool onKey = false;
    bool anySelected = false;
    QSet<QString> collapsed;
    int scroll = 0;
};

TreeSight sightOf(const NodeTreeView &tree)
{
    const NodeCollection &nodes = tree.nodes();
    TreeSight sight;
    for (qsizetype i = 1; i <= nodes.count(); ++i)
        if (nodes.parentNode(i) == 0 && !nodes.isExpanded(i))
            sight.collapsed.insert(nodes.text(i));
    if (const qsizetype selected = nodes.selectedNode()) {
        sight.anySelected = true;
        const qsizetype parent = nodes.parentNode(selected);
        sight.onKey = parent != 0;
        sight.section = nodes.text(parent ? parent : selected);
        if (parent)
            sight.key = nodes.text(selected);
    }
    sight.scroll = tree.verticalScrollBar()->value();
    return sight;
}

// The node showing what `sight` had selected: the same key of the same
// section, else that section, else none.
qsizetype nodeFor(const NodeCollection &nodes, const TreeSight &sight)
{
    qsizetype section = 0;
    for (qsizetype i = 1; i <= nodes.count(); ++i) {
        const qsizetype parent = nodes.parentNode(i);
        if (parent == 0) {
            if (section)
                break;
            if (nodes.text(i) == sight.section)
                section = i;
        } else if (section && parent == section && sight.onKey && nodes.text(i) == sight.key) {
            return i;
        }
    }
    return section;
}
} // namespace

void MainWindow::watchOpenFile()
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        m_followTimer = new QTimer(this);
        m_followTimer->setSingleShot(true);
        connect(m_followTimer, &QTimer::timeout, this, &MainWindow::followFile);
        const auto touched = [this] { m_followTimer->start(kSettleMs); };
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, touched);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, touched);
    }
    const QString file = m_store ? m_store->fileName() : QString();
    // A write that replaces the file makes a new file under the old name:
    // the watch on the old one ends, and the folder tells of the new one.
    QStringList wanted;
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        wanted << info.absoluteFilePath() << info.absolutePath();
    }
    QStringList stale = m_watcher->files() + m_watcher->directories();
    for (const QString &path : std::as_const(wanted))
        stale.removeAll(path);
    if (!stale.isEmpty())
        m_watcher->removePaths(stale);
    for (const QString &path : std::as_const(wanted))
        if (!m_watcher->files().contains(path) && !m_watcher->directories().contains(path) && QFileInfo::exists(path)
            && !m_watcher->addPath(path))
            qCWarning(lcGui) << "changes of" << path << "are not followed";
}

bool MainWindow::busyWithPerson() const
{
    return m_editing || m_dragging || QApplication::activeModalWidget() != nullptr;
}

void MainWindow::followFile()
{
    watchOpenFile();
    if (!m_store || m_store->fileName().isEmpty())
        return;
    if (busyWithPerson()) {
        m_followTimer->start(kRetryMs);
        return;
    }
    try {
        if (!m_store->reloadIfChanged())
            return;
    } catch (const AppError &error) {
        // Half-way through another program's write, or gone: the tree keeps
        // showing what was read last, and the next change is looked at again.
        qCWarning(lcGui) << "the changed file was not read again:" << error.description();
        return;
    }
    followStore();
}

bool MainWindow::followStore()
{
    if (!m_store || m_store->loadCount() == m_treeLoad)
        return false;
    m_treeLoad = m_store->loadCount();
    NodeCollection &nodes = m_tree->nodes();
    const TreeSight sight = sightOf(*m_tree);
    nodes.beginUpdate();
    try {
        nodes.clear();
        fillTree();
        expandTree(nodes);
        for (qsizetype i = 1; i <= nodes.count(); ++i)
            if (nodes.parentNode(i) == 0 && sight.collapsed.contains(nodes.text(i)))
                nodes.setExpanded(i, false);
        if (sight.anySelected)
            nodes.setSelectedNode(nodeFor(nodes, sight));
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the tree was not built again:" << error.what();
    }
    nodes.endUpdate();
    m_tree->verticalScrollBar()->setValue(sight.scroll);
    showSelectedValue();
    return true;
}
