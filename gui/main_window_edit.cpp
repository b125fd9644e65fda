// The Edit menu's New and Delete commands.
#include "main_window.h"

#include "add_entry.h"
#include "add_entry_dialog.h"
#include "app_error.h"
#include "busy_cursor.h"
#include "gui_log.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "tree_build.h"
#include "tree_commands.h"
#include "value_list.h"

#include <QLineEdit>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kDeleteTitle = QStringLiteral("Delete ") + QStringLiteral("stext");
} // namespace

void MainWindow::showAddDialog(const std::function<void(AddEntryDialog &)> &prepare,
                               const std::function<void(const AddEntryDialog::Entry &)> &add)
{
    std::optional<AddEntryDialog::Entry> entry;
    {
        AddEntryDialog dialog(this, m_ui, m_store.get());
        prepare(dialog);
        if (dialog.exec() == QDialog::Accepted)
            entry = dialog.entry();
    }
    if (entry) {
        try {
            add(*entry);
        } catch (const AppError &error) {
            m_ui.reportError(error);
        }
    }
    // A key written into a file another program had changed meanwhile makes
    // the store read the file again.
    followStore();
    // The closing of one of our own dialogs activates the window again.
    activate();
}

void MainWindow::newSection()
{
    showAddDialog(
        [](AddEntryDialog &dialog) {
            dialog.setWindowTitle(QStringLiteral("Add Section"));
            AddEntryDialog::greyOut(dialog.keyEdit());
            AddEntryDialog::greyOut(dialog.valueEdit());
        },
        [this](const AddEntryDialog::Entry &entry) {
            if (!m_store)
                throwObjectNotSet();
            IniRecord *record = nullptr;
            {
                const BusyCursor busy;
                record = addSection(*m_store, entry.section);
            }
            if (record)
                m_tree->nodes().append(QString(), nodeKey(NodeKind::Root, record->id()), record, kSectionImage,
                                       kSectionImage);
            update();
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
        showAddDialog(
            [&section](AddEntryDialog &dialog) {
                dialog.setWindowTitle(QStringLiteral("Add Key"));
                dialog.sectionEdit()->setText(section);
                AddEntryDialog::greyOut(dialog.sectionEdit());
            },
            [this](const AddEntryDialog::Entry &entry) { addKeyNode(entry); });
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

void MainWindow::addKeyNode(const AddEntryDialog::Entry &entry)
{
    NodeCollection &nodes = m_tree->nodes();
    if (!m_store)
        throwObjectNotSet();
    const qsizetype selected = nodes.selectedNode();
    if (selected == 0)
        throwObjectNotSet();
    IniRecord *record = nullptr;
    {
        const BusyCursor busy;
        record = addKey(*m_store, entry.section, entry.key, entry.value);
    }
    // Not in the file (read-only, or the write failed): not in the store or
    // the tree either.
    if (record)
        nodes.append(nodes.key(sectionNodeOf(nodes, selected)), nodeKey(NodeKind::Tree, record->id()), record,
                     kKeyImage, kKeyOpenImage);
    update();
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
        if (!m_store)
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
            if (!deleteFromStore([&] { m_store->deleteKey(section, key); }))
                nodes.removeAt(parent);
        } else {
            if (!deleteFromStore([&] { m_store->deleteKey(section, key); }))
                nodes.removeAt(selected);
        }
        m_treePane->showSelectedValue();
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
        if (!m_store)
            throwObjectNotSet();
        const QString section = nodes.text(selected);
        if (!m_ui.ask(QStringLiteral("You are about to delete the entire '") + section + QStringLiteral("' section")
                          + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                      MessageIcon::Question, kDeleteTitle))
            return;
        // One record per node of the section, then a single rewrite.
        const QStringList keys = sectionDeletionKeys(nodes, section);
        if (!deleteFromStore([&] {
                m_store->deleteKeys(section, keys,
                                    [&](const RecordList &records) { return sectionDeletionKeysOf(records, section); });
            }))
            nodes.removeAt(selected);
        m_tree->viewport()->update();
        m_treePane->showSelectedValue();
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
    const quint64 loads = m_store->loadCount();
    try {
        deletion();
    } catch (const AppError &) {
        if (followStore())
            throw;
        // Whatever the store took out before it failed leaves the tree too.
        try {
            dropNodesOf(m_tree->nodes(), m_store->lastRemoved());
        } catch (const AppError &error) {
            qCWarning(lcGui) << "nodes of removed records kept:" << error.description();
        }
        m_treePane->showSelectedValue();
        throw;
    }
    if (m_store->loadCount() != loads) {
        // The command ran on records read again, which still hold what it
        // removed from the file (a section's header): the tree shows the
        // file as written.
        try {
            m_store->reload();
        } catch (const AppError &error) {
            qCWarning(lcGui) << "the written file was not read again:" << error.description();
        }
    }
    return followStore();
}
