// The Edit menu's New and Delete commands.
#include "main_window/frm_ini.h"

#include "add_dialog/frm_add.h"
#include "main_window/g_registry.h"
#include "main_window/node_tree_view.h"
#include "main_window/tree_commands.h"
#include "main_window/value_list.h"
#include "platform/app_error.h"
#include "platform/platform_ui.h"

#include <QLineEdit>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kDeleteTitle = QStringLiteral("Delete ") + QStringLiteral("stext");

[[noreturn]] void throwNoObject() {
    throw AppError(91, QStringLiteral("frmINI"), QStringLiteral("Object variable or With block variable not set"));
}

void reportFailure(const AppError &error) {
    MsgBox(QString::number(error.number()) + QStringLiteral(" - ") + error.description(), vbCritical);
}
} // namespace

void frmINI::showAddDialog(const std::function<void(frmAdd &)> &prepare) {
    {
        frmAdd dialog(this, tvw->Nodes());
        prepare(dialog);
        dialog.exec();
    }
    // The closing of one of our own dialogs activates the window again.
    Form_Activate();
}

void frmINI::mnuNewSection_Click() {
    showAddDialog([](frmAdd &dialog) {
        dialog.setWindowTitle(QStringLiteral("Add Section"));
        frmAdd::greyOut(dialog.Text2);
        frmAdd::greyOut(dialog.Text3);
    });
}

void frmINI::mnuNewKey_Click() {
    try {
        const NodeCollection &nodes = tvw->Nodes();
        const qsizetype selected = nodes.SelectedItem();
        if (selected == 0)
            throwNoObject();
        const QString section = isRootKey(nodes.Key(selected)) ? nodes.Text(selected) : nodes.Text(nodes.Parent(selected));
        showAddDialog([&section](frmAdd &dialog) {
            dialog.setWindowTitle(QStringLiteral("Add Key"));
            dialog.Text1->setText(section);
            frmAdd::greyOut(dialog.Text1);
        });
    } catch (const AppError &error) {
        reportFailure(error);
    }
}

void frmINI::mnuDelKey_Click() {
    NodeCollection &nodes = tvw->Nodes();
    try {
        const qsizetype selected = nodes.SelectedItem();
        if (selected == 0)
            throwNoObject();
        if (isRootKey(nodes.Key(selected))) {
            MsgBox(QStringLiteral("Key Not Selected or Invalid"), vbCritical);
            return;
        }
        if (!gRegistry)
            throwNoObject();
        const qsizetype parent = nodes.Parent(selected);
        const QString section = nodes.Text(parent);
        const QString key = nodes.Text(selected);
        if (MsgBox(QStringLiteral("You are about to delete the '") + key + QStringLiteral("' Key from '") + section
                       + QStringLiteral("' section") + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                   vbYesNo + vbQuestion, kDeleteTitle)
            != vbYes)
            return;
        if (nodes.Children(parent) < 2) {
            if (MsgBox(QStringLiteral("This is last Key for this section. Deleting this Key will ALSO REMOVE the '")
                           + section + QStringLiteral("' section name ") + kCrLf + kCrLf
                           + QStringLiteral("Do you wish to continue?"),
                       vbYesNo + vbQuestion, QStringLiteral("Delete Section?"))
                != vbYes)
                return;
            deleteFromStore([&] { gRegistry->DeleteKey(section, key); });
            nodes.Remove(parent);
        } else {
            deleteFromStore([&] { gRegistry->DeleteKey(section, key); });
            nodes.Remove(selected);
        }
        lvw->clearItems();
    } catch (const AppError &error) {
        reportFailure(error);
    }
}

void frmINI::mnuDelSection_Click() {
    NodeCollection &nodes = tvw->Nodes();
    try {
        const qsizetype selected = nodes.SelectedItem();
        if (selected == 0)
            throwNoObject();
        if (!isRootKey(nodes.Key(selected))) {
            MsgBox(QStringLiteral("Section not selected or invalid"), vbCritical);
            return;
        }
        if (!gRegistry)
            throwNoObject();
        const QString section = nodes.Text(selected);
        if (MsgBox(QStringLiteral("You are about to delete the entire '") + section + QStringLiteral("' section")
                       + kCrLf + kCrLf + QStringLiteral("Do you want to continue?"),
                   vbYesNo + vbQuestion, kDeleteTitle)
            != vbYes)
            return;
        // One record per node of the section, then a single rewrite.
        const QStringList keys = SectionDeletionKeys(nodes, section);
        deleteFromStore([&] { gRegistry->DeleteKeys(section, keys); });
        nodes.Remove(selected);
        tvw->viewport()->update();
    } catch (const AppError &error) {
        reportFailure(error);
    }
}

void frmINI::deleteFromStore(const std::function<void()> &deletion) {
    try {
        deletion();
    } catch (const AppError &) {
        // Whatever the store took out before it failed leaves the tree too.
        try {
            DropNodesOf(tvw->Nodes(), gRegistry->LastRemoved());
        } catch (const AppError &) {
        }
        lvw->clearItems();
        throw;
    }
}
