// The Edit menu's New and Delete commands.
#include "main_window.h"

#include "add_entry_dialog.h"
#include "app_error.h"
#include "busy_cursor.h"
#include "g_registry.h"
#include "gui_log.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "tree_commands.h"
#include "value_list.h"

#include <QLineEdit>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kDeleteTitle = QStringLiteral("Delete ") + QStringLiteral("stext");
} // namespace

void MainWindow::showAddDialog(const std::function<void(AddEntryDialog &)> &prepare)
{
    {
        AddEntryDialog dialog(this, m_ui, gRegistry.get(), m_tree->nodes());
        prepare(dialog);
        dialog.exec();
    }
    // A key written into a file another program had changed meanwhile makes
    // the store read the file again.
    followStore();
    // The closing of one of our own dialogs activates the window again.
    activate();
}

void MainWindow::newSection()
{
    showAddDialog([](AddEntryDialog &dialog) {
        dialog.setWindowTitle(QStringLiteral("Add Section"));
        AddEntryDialog::greyOut(dialog.m_keyEdit);
        AddEntryDialog::greyOut(dialog.m_valueEdit);
    });
}

void MainWindow::newKey()
{
    try {
        const NodeCollection &nodes = m_tree->nodes();
        const qsizetype selected = nodes.selectedNode();
        if (selected == 0)
            throwObjectNotSet();
        const QString section = nodes.text(sectionNodeOf(nodes, selected));
        showAddDialog([&section](AddEntryDialog &dialog) {
            dialog.setWindowTitle(QStringLiteral("Add Key"));
            dialog.m_sectionEdit->setText(section);
            AddEntryDialog::greyOut(dialog.m_sectionEdit);
        });
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

void MainWindow::deleteKey()
{
    NodeCollection &nodes = m_tree->nodes();
    try {
        const qsizetype selected = nodes.selectedNode();
        if (selected == 0)
            throwObjectNotSet();
        if (isRootKey(nodes.key(selected))) {
            m_ui.tell(QStringLiteral("Key Not Selected or Invalid"), MessageIcon::Critical);
            return;
        }
        if (!gRegistry)
            throwObjectNotSet();
        const qsizetype parent = nodes.parentNode(selected);
        const QString section = nodes.text(parent);
        const QString key = nodes.text(selected);
        if (!m_ui.ask(QStringLiteral("You are about to delete the '") + key + QStringLiteral("' Key from '") + section
                          + QStringLiteral("' section") + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                      MessageIcon::Question, kDeleteTitle))
            return;
        if (nodes.childCount(parent) < 2) {
            if (!m_ui.ask(QStringLiteral("This is last Key for this section. Deleting this Key will ALSO REMOVE the '")
                              + section + QStringLiteral("' section name ") + kCrLf + kCrLf
                              + QStringLiteral("Do you wish to continue?"),
                          MessageIcon::Question, QStringLiteral("Delete Section?")))
                return;
            if (!deleteFromStore([&] { gRegistry->deleteKey(section, key); }))
                nodes.removeAt(parent);
        } else {
            if (!deleteFromStore([&] { gRegistry->deleteKey(section, key); }))
                nodes.removeAt(selected);
        }
        showSelectedValue();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

void MainWindow::deleteSection()
{
    NodeCollection &nodes = m_tree->nodes();
    try {
        const qsizetype selected = nodes.selectedNode();
        if (selected == 0)
            throwObjectNotSet();
        if (!isRootKey(nodes.key(selected))) {
            m_ui.tell(QStringLiteral("Section not selected or invalid"), MessageIcon::Critical);
            return;
        }
        if (!gRegistry)
            throwObjectNotSet();
        const QString section = nodes.text(selected);
        if (!m_ui.ask(QStringLiteral("You are about to delete the entire '") + section + QStringLiteral("' section")
                          + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                      MessageIcon::Question, kDeleteTitle))
            return;
        // One record per node of the section, then a single rewrite.
        const QStringList keys = sectionDeletionKeys(nodes, section);
        if (!deleteFromStore([&] {
                gRegistry->deleteKeys(
                    section, keys, [&](const RecordList &records) { return sectionDeletionKeysOf(records, section); });
            }))
            nodes.removeAt(selected);
        m_tree->viewport()->update();
        showSelectedValue();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

bool MainWindow::deleteFromStore(const std::function<void()> &deletion)
{
    // The confirmation just closed: the window is painted again before the
    // rewrite, which may take a while, so that no closed box stays on screen.
    repaint();
    const BusyCursor busy;
    const quint64 loads = gRegistry->loadCount();
    try {
        deletion();
    } catch (const AppError &) {
        if (followStore())
            throw;
        // Whatever the store took out before it failed leaves the tree too.
        try {
            dropNodesOf(m_tree->nodes(), gRegistry->lastRemoved());
        } catch (const AppError &error) {
            qCWarning(lcGui) << "nodes of removed records kept:" << error.description();
        }
        showSelectedValue();
        throw;
    }
    if (gRegistry->loadCount() != loads) {
        // The command ran on records read again, which still hold what it
        // removed from the file (a section's header): the tree shows the
        // file as written.
        try {
            gRegistry->reload();
        } catch (const AppError &error) {
            qCWarning(lcGui) << "the written file was not read again:" << error.description();
        }
    }
    return followStore();
}
