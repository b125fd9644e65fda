// The main window's reactions to the tree and the value pane.
#include "main_window/frm_ini.h"

#include "main_window/g_registry.h"
#include "main_window/node_tree_view.h"
#include "main_window/value_list.h"
#include "platform/app_error.h"
#include "platform/platform_ui.h"

namespace {
const QString kValueItemKey = QStringLiteral("RegValue");

[[noreturn]] void throwNoObject() {
    throw AppError(91, QStringLiteral("frmINI"), QStringLiteral("Object variable or With block variable not set"));
}
} // namespace

QString frmINI::selectedSection() const {
    const NodeCollection &nodes = tvw->Nodes();
    const qsizetype selected = nodes.SelectedItem();
    if (selected == 0 || nodes.Parent(selected) == 0)
        throwNoObject();
    return nodes.Text(nodes.Parent(selected));
}

QString frmINI::selectedKey() const {
    const qsizetype selected = tvw->Nodes().SelectedItem();
    if (selected == 0)
        throwNoObject();
    return tvw->Nodes().Text(selected);
}

void frmINI::tvw_NodeClick(qsizetype Node) {
    lvw->clearItems();
    try {
        if (!gRegistry)
            throwNoObject();
        lvw->addItem(1, kValueItemKey, gRegistry->GetRegValue(selectedSection(), selectedKey()));
    } catch (const std::exception &) {
        // A section node, or no store: the pane stays empty.
    }
    const bool section = isRootKey(tvw->Nodes().Key(Node));
    mnuDelSection->setEnabled(section);
    mnuDelKey->setEnabled(!section);
}

void frmINI::tvw_Collapse(qsizetype) {
    lvw->clearItems();
}

void frmINI::tvw_BeforeLabelEdit(qint16 &Cancel) {
    Cancel = 1;
}

void frmINI::lvw_BeforeLabelEdit(qint16 &) {
    bEditing = true;
}

void frmINI::lvw_AfterLabelEdit(qint16 &Cancel, const std::optional<QString> &NewString) {
    bEditing = false;
    // An abandoned edit changes nothing.
    if (!NewString)
        return;
    try {
        if (!gRegistry)
            throwNoObject();
        if (gRegistry->SetRegValue(selectedSection(), selectedKey(), *NewString) == 1)
            Cancel = 1;
    } catch (const AppError &error) {
        MsgBox(QString::number(error.number()) + QStringLiteral(" - ") + error.description(), vbCritical);
    }
}
