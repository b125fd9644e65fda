// The main window's reactions to the tree and the value pane.
#include "frm_ini.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "g_registry.h"
#include "gui_log.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "value_list.h"

#include <QTimer>

namespace {
const QString kValueItemKey = QStringLiteral("RegValue");
const QString kSource = QStringLiteral("frmINI");
} // namespace

QString frmINI::selectedSection() const
{
    const NodeCollection &nodes = tvw->Nodes();
    const qsizetype selected = nodes.SelectedItem();
    if (selected == 0 || nodes.Parent(selected) == 0)
        throwObjectNotSet(kSource);
    return nodes.Text(nodes.Parent(selected));
}

QString frmINI::selectedKey() const
{
    const qsizetype selected = tvw->Nodes().SelectedItem();
    if (selected == 0)
        throwObjectNotSet(kSource);
    return tvw->Nodes().Text(selected);
}

void frmINI::tvw_NodeClick(qsizetype Node)
{
    lvw->clearItems();
    const NodeCollection &nodes = tvw->Nodes();
    const qsizetype selected = nodes.SelectedItem();
    // A section node has no value: the pane stays empty.
    if (selected != 0 && nodes.Parent(selected) != 0) {
        try {
            if (!gRegistry)
                throwObjectNotSet(kSource);
            lvw->addItem(1, kValueItemKey, gRegistry->GetRegValue(selectedSection(), selectedKey()));
        } catch (const std::exception &error) {
            qCWarning(lcGui) << "no value shown for node" << Node << ":" << error.what();
        }
    }
    const bool section = isRootKey(tvw->Nodes().Key(Node));
    mnuDelSection->setEnabled(section);
    mnuDelKey->setEnabled(!section);
}

void frmINI::showSelectedValue()
{
    const qsizetype selected = tvw->Nodes().SelectedItem();
    if (selected == 0)
        lvw->clearItems();
    else
        tvw_NodeClick(selected);
}

void frmINI::tvw_Collapse(qsizetype)
{
    lvw->clearItems();
}

void frmINI::tvw_BeforeLabelEdit(qint16 &Cancel)
{
    Cancel = 1;
}

void frmINI::lvw_BeforeLabelEdit(qint16 &)
{
    bEditing = true;
}

void frmINI::lvw_AfterLabelEdit(qint16 &Cancel, const std::optional<QString> &NewString)
{
    bEditing = false;
    // An abandoned edit changes nothing.
    if (!NewString)
        return;
    try {
        if (!gRegistry)
            throwObjectNotSet(kSource);
        const BusyCursor busy;
        if (gRegistry->SetRegValue(selectedSection(), selectedKey(), *NewString) == 1)
            Cancel = 1;
        // Written into a file another program had changed, the value came
        // with new records; the tree follows once the editor has closed.
        QTimer::singleShot(0, this, [this] { followStore(); });
    } catch (const AppError &error) {
        m_ui.reportError(error);
        // Not written: the pane goes on showing what the file holds.
        Cancel = 1;
    }
}
