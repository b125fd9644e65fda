// The main window's reactions to the tree and the value pane.
#include "main_window.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "gui_log.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "value_list.h"

#include <QTimer>

namespace {
const QString kValueItemKey = QStringLiteral("RegValue");
} // namespace

QString MainWindow::selectedSection() const
{
    const NodeCollection &nodes = m_tree->nodes();
    const qsizetype selected = nodes.selectedNode();
    if (selected == 0 || nodes.parentNode(selected) == 0)
        throwObjectNotSet();
    return nodes.text(nodes.parentNode(selected));
}

QString MainWindow::selectedKey() const
{
    const qsizetype selected = m_tree->nodes().selectedNode();
    if (selected == 0)
        throwObjectNotSet();
    return m_tree->nodes().text(selected);
}

void MainWindow::onNodeClicked(qsizetype node)
{
    m_valuePane->clearItems();
    const NodeCollection &nodes = m_tree->nodes();
    const qsizetype selected = nodes.selectedNode();
    // A section node has no value: the pane stays empty.
    if (selected != 0 && nodes.parentNode(selected) != 0) {
        try {
            if (!m_store)
                throwObjectNotSet();
            m_valuePane->addItem(1, kValueItemKey, m_store->value(selectedSection(), selectedKey()));
        } catch (const std::exception &error) {
            qCWarning(lcGui) << "no value shown for node" << node << ":" << error.what();
        }
    }
    const bool section = isRootKey(m_tree->nodes().key(node));
    m_menus->enableDeleteFor(section);
}

void MainWindow::showSelectedValue()
{
    const qsizetype selected = m_tree->nodes().selectedNode();
    if (selected == 0)
        m_valuePane->clearItems();
    else
        onNodeClicked(selected);
}

void MainWindow::onNodeCollapsed(qsizetype)
{
    m_valuePane->clearItems();
}

bool MainWindow::canRenameNode() const
{
    return false;
}

bool MainWindow::canEditValue()
{
    m_editing = true;
    return true;
}

bool MainWindow::onValueEdited(const std::optional<QString> &newString)
{
    m_editing = false;
    // An abandoned edit changes nothing.
    if (!newString)
        return true;
    bool accepted = true;
    try {
        if (!m_store)
            throwObjectNotSet();
        const BusyCursor busy;
        if (m_store->setValue(selectedSection(), selectedKey(), *newString) == WriteResult::ReadOnly)
            accepted = false;
        // Written into a file another program had changed, the value came
        // with new records; the tree follows once the editor has closed.
        QTimer::singleShot(0, this, [this] { followStore(); });
    } catch (const AppError &error) {
        m_ui.reportError(error);
        // Not written: the pane goes on showing what the file holds.
        accepted = false;
    }
    return accepted;
}
