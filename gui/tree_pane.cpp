#include "tree_pane.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "gui_log.h"
#include "ini_store.h"
#include "interaction.h"
#include "main_menus.h"
#include "node_tree_view.h"
#include "tree_build.h"
#include "tree_commands.h"
#include "value_list.h"

namespace {
const QString kValueItemKey = QStringLiteral("RegValue");
} // namespace

TreePane::TreePane(NodeTreeView &tree, ValueList &valuePane, MainMenus &menus, Interaction &ui,
                   std::function<IniStore *()> store, QObject *parent)
    : QObject(parent), m_tree(tree), m_valuePane(valuePane), m_menus(menus), m_ui(ui), m_store(std::move(store))
{
    connect(&m_tree, &NodeTreeView::nodeClick, this, &TreePane::onNodeClicked);
    connect(&m_tree, &NodeTreeView::nodeCollapse, this, &TreePane::onNodeCollapsed);
    m_tree.canEditLabel = [this] { return canRenameNode(); };
    m_valuePane.canEditValue = [this] { return canEditValue(); };
    m_valuePane.valueEdited = [this](const std::optional<QString> &text) { return onValueEdited(text); };
    connect(&m_tree, &NodeTreeView::contextMenuAt, this, &TreePane::showTreeMenu);
    connect(&m_tree, &NodeTreeView::enterPressed, this, &TreePane::editSelectedValue);
}

void TreePane::fillTree()
{
    ::fillTree(m_tree.nodes(), *m_store()->records());
}

bool TreePane::sectionNodeExists(const QString &section) const
{
    return ::sectionNodeExists(m_tree.nodes(), section);
}

QString TreePane::selectedSection() const
{
    const NodeCollection &nodes = m_tree.nodes();
    const qsizetype selected = nodes.selectedNode();
    if (selected == 0 || nodes.parentNode(selected) == 0)
        throwObjectNotSet();
    return nodes.text(nodes.parentNode(selected));
}

QString TreePane::selectedKey() const
{
    const qsizetype selected = m_tree.nodes().selectedNode();
    if (selected == 0)
        throwObjectNotSet();
    return m_tree.nodes().text(selected);
}

void TreePane::onNodeClicked(qsizetype node)
{
    m_valuePane.clearItems();
    const NodeCollection &nodes = m_tree.nodes();
    const qsizetype selected = nodes.selectedNode();
    // A section node has no value: the pane stays empty.
    if (selected != 0 && nodes.parentNode(selected) != 0) {
        try {
            IniStore *store = m_store();
            if (!store)
                throwObjectNotSet();
            m_valuePane.addItem(1, kValueItemKey, store->value(selectedSection(), selectedKey()));
        } catch (const std::exception &error) {
            qCWarning(lcGui) << "no value shown for node" << node << ":" << error.what();
        }
    }
    m_menus.enableDeleteFor(isRootKey(m_tree.nodes().key(node)));
}

void TreePane::showSelectedValue()
{
    const qsizetype selected = m_tree.nodes().selectedNode();
    if (selected == 0)
        m_valuePane.clearItems();
    else
        onNodeClicked(selected);
}

void TreePane::onNodeCollapsed(qsizetype)
{
    m_valuePane.clearItems();
}

bool TreePane::canRenameNode() const
{
    return false;
}

bool TreePane::canEditValue()
{
    m_editing = true;
    return true;
}

bool TreePane::onValueEdited(const std::optional<QString> &newString)
{
    m_editing = false;
    // An abandoned edit changes nothing.
    if (!newString)
        return true;
    bool accepted = true;
    try {
        IniStore *store = m_store();
        if (!store)
            throwObjectNotSet();
        const BusyCursor busy;
        if (store->setValue(selectedSection(), selectedKey(), *newString) == WriteResult::ReadOnly)
            accepted = false;
        Q_EMIT valueWritten();
    } catch (const AppError &error) {
        m_ui.reportError(error);
        // Not written: the pane goes on showing what the file holds.
        accepted = false;
    }
    return accepted;
}

void TreePane::editSelectedValue()
{
    const NodeCollection &nodes = m_tree.nodes();
    const qsizetype selected = nodes.selectedNode();
    QTreeWidgetItem *item = m_valuePane.topLevelItem(0);
    if (selected == 0 || isRootKey(nodes.key(selected)) || !item)
        return;
    m_valuePane.setFocus();
    m_valuePane.setCurrentItem(item);
    m_valuePane.editItem(item, 0);
}

void TreePane::showTreeMenu(const QPoint &globalPos)
{
    m_menus.execTreeMenu(m_tree.window(), globalPos);
}

void TreePane::showFindHit(const IniRecord &record)
{
    NodeCollection &nodes = m_tree.nodes();
    // The hit record's own node, found by its ID, whatever deletions did to
    // the positions of the nodes before it.
    qsizetype node = nodes.indexOf(nodeKey(NodeKind::Tree, record.id()));
    if (node == 0)
        node = nodes.indexOf(nodeKey(NodeKind::Root, record.id()));
    if (node != 0) {
        nodes.setSelectedNode(node);
        m_tree.showNodeWithSection(node);
    }

    m_valuePane.clearItems();
    const qsizetype selected = nodes.selectedNode();
    IniStore *store = m_store();
    if (selected == 0 || !store)
        return;
    const QString section = nodes.text(sectionNodeOf(nodes, selected));
    m_valuePane.addItem(1, kValueItemKey, store->value(section, nodes.text(selected)));
}
