// The tree built again when the store read its file again, keeping what the
// person was looking at.
#include "main_window.h"

#include "gui_log.h"
#include "ini_store.h"
#include "node_tree_view.h"
#include "tree_build.h"
#include "value_list.h"

#include <QApplication>
#include <QScrollBar>
#include <QSet>

namespace {
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

bool MainWindow::busyWithPerson() const
{
    return editing() || m_paneLayout->dragging() || QApplication::activeModalWidget() != nullptr;
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
        m_treePane->fillTree();
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
    m_treePane->showSelectedValue();
    return true;
}
