// The Edit menu's New and Delete commands.
#include "frm_ini.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "frm_add.h"
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
const QString kSource = QStringLiteral("frmINI");
} // namespace

void frmINI::showAddDialog(const std::function<void(frmAdd &)> &prepare)
{
    {
        frmAdd dialog(this, m_ui, gRegistry.get(), tvw->Nodes());
        prepare(dialog);
        dialog.exec();
    }
    // A key written into a file another program had changed meanwhile makes
    // the store read the file again.
    followStore();
    // The closing of one of our own dialogs activates the window again.
    Form_Activate();
}

void frmINI::mnuNewSection_Click()
{
    showAddDialog([](frmAdd &dialog) {
        dialog.setWindowTitle(QStringLiteral("Add Section"));
        frmAdd::greyOut(dialog.Text2);
        frmAdd::greyOut(dialog.Text3);
    });
}

void frmINI::mnuNewKey_Click()
{
    try {
        const NodeCollection &nodes = tvw->Nodes();
        const qsizetype selected = nodes.SelectedItem();
        if (selected == 0)
            throwObjectNotSet(kSource);
        const QString section = nodes.Text(SectionNodeOf(nodes, selected));
        showAddDialog([&section](frmAdd &dialog) {
            dialog.setWindowTitle(QStringLiteral("Add Key"));
            dialog.Text1->setText(section);
            frmAdd::greyOut(dialog.Text1);
        });
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

void frmINI::mnuDelKey_Click()
{
    NodeCollection &nodes = tvw->Nodes();
    try {
        const qsizetype selected = nodes.SelectedItem();
        if (selected == 0)
            throwObjectNotSet(kSource);
        if (isRootKey(nodes.Key(selected))) {
            m_ui.MsgBox(QStringLiteral("Key Not Selected or Invalid"), vbCritical);
            return;
        }
        if (!gRegistry)
            throwObjectNotSet(kSource);
        const qsizetype parent = nodes.Parent(selected);
        const QString section = nodes.Text(parent);
        const QString key = nodes.Text(selected);
        if (m_ui.MsgBox(QStringLiteral("You are about to delete the '") + key + QStringLiteral("' Key from '") + section
                            + QStringLiteral("' section") + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                        vbYesNo + vbQuestion, kDeleteTitle)
            != vbYes)
            return;
        if (nodes.Children(parent) < 2) {
            if (m_ui.MsgBox(
                    QStringLiteral("This is last Key for this section. Deleting this Key will ALSO REMOVE the '")
                        + section + QStringLiteral("' section name ") + kCrLf + kCrLf
                        + QStringLiteral("Do you wish to continue?"),
                    vbYesNo + vbQuestion, QStringLiteral("Delete Section?"))
                != vbYes)
                return;
            if (!deleteFromStore([&] { gRegistry->DeleteKey(section, key); }))
                nodes.Remove(parent);
        } else {
            if (!deleteFromStore([&] { gRegistry->DeleteKey(section, key); }))
                nodes.Remove(selected);
        }
        showSelectedValue();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

void frmINI::mnuDelSection_Click()
{
    NodeCollection &nodes = tvw->Nodes();
    try {
        const qsizetype selected = nodes.SelectedItem();
        if (selected == 0)
            throwObjectNotSet(kSource);
        if (!isRootKey(nodes.Key(selected))) {
            m_ui.MsgBox(QStringLiteral("Section not selected or invalid"), vbCritical);
            return;
        }
        if (!gRegistry)
            throwObjectNotSet(kSource);
        const QString section = nodes.Text(selected);
        if (m_ui.MsgBox(QStringLiteral("You are about to delete the entire '") + section + QStringLiteral("' section")
                            + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                        vbYesNo + vbQuestion, kDeleteTitle)
            != vbYes)
            return;
        // One record per node of the section, then a single rewrite.
        const QStringList keys = SectionDeletionKeys(nodes, section);
        if (!deleteFromStore([&] {
                gRegistry->DeleteKeys(
                    section, keys, [&](const clsINIList &records) { return SectionDeletionKeysOf(records, section); });
            }))
            nodes.Remove(selected);
        tvw->viewport()->update();
        showSelectedValue();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
}

bool frmINI::deleteFromStore(const std::function<void()> &deletion)
{
    // The confirmation just closed: the window is painted again before the
    // rewrite, which may take a while, so that no closed box stays on screen.
    repaint();
    const BusyCursor busy;
    const quint64 loads = gRegistry->LoadCount();
    try {
        deletion();
    } catch (const AppError &) {
        if (followStore())
            throw;
        // Whatever the store took out before it failed leaves the tree too.
        try {
            DropNodesOf(tvw->Nodes(), gRegistry->LastRemoved());
        } catch (const AppError &error) {
            qCWarning(lcGui) << "nodes of removed records kept:" << error.description();
        }
        showSelectedValue();
        throw;
    }
    if (gRegistry->LoadCount() != loads) {
        // The command ran on records read again, which still hold what it
        // removed from the file (a section's header): the tree shows the
        // file as written.
        try {
            gRegistry->Reload();
        } catch (const AppError &error) {
            qCWarning(lcGui) << "the written file was not read again:" << error.description();
        }
    }
    return followStore();
}
