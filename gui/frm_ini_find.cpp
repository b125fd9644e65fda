// Find, Next, the keys that run them, and the About box.
#include "frm_ini.h"

#include "frm_find.h"
#include "g_registry.h"
#include "input_codes.h"
#include "interaction.h"
#include "mod_functions.h"
#include "node_tree_view.h"
#include "tree_commands.h"
#include "value_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {
constexpr qint16 kCtrlF = 6;
constexpr qint16 kVirtualKeyF3 = 114;
const QString kFindForm = QStringLiteral("frmFind");
} // namespace

void frmINI::previewKey(QObject *receiver, const QKeyEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || widget->window() != this)
        return;
    // A key nobody took travels on from its control to the control's
    // parents, as the same event; only its first delivery counts, even when
    // a message box shown on the way has seen other keys meanwhile.
    if (event == m_previewedKey && m_previewedReceiver && widget != m_previewedReceiver
        && widget->isAncestorOf(m_previewedReceiver))
        return;
    m_previewedKey = event;
    m_previewedReceiver = widget;
    Form_KeyDown(virtualKeyCode(event->key()), shiftValue(event->modifiers()));
    if (const qint16 ascii = characterCode(*event))
        Form_KeyPress(ascii);
}

frmFind *frmINI::findDialog() const
{
    if (!IsFormLoaded(m_ui, kFindForm))
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<frmFind *>(widget); dialog && dialog->objectName() == kFindForm)
            return dialog;
    return nullptr;
}

void frmINI::mnuFind_Click()
{
    frmFind *dialog = findDialog();
    if (!dialog)
        dialog = new frmFind(this, m_ui, m_findState);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void frmINI::mnuNext_Click()
{
    frmFind *dialog = findDialog();
    if (dialog && dialog->canFindNext())
        dialog->FindNext();
}

void frmINI::mnuAbout_Click()
{
    const QString crlf = QStringLiteral("\r\n");
    m_ui.MsgBox(QStringLiteral("Larkspur ") + QStringLiteral(LARKSPUR_VERSION) + crlf + crlf
                    + QStringLiteral("The Larkspur Project") + crlf + QStringLiteral("Lyon, France") + crlf + crlf
                    + QStringLiteral("larkspur@example.org"),
                vbInformation, QStringLiteral("About Us"));
}

void frmINI::Form_KeyDown(qint16 KeyCode, qint16)
{
    frmFind *dialog = findDialog();
    const bool enabled = dialog && dialog->canFindNext();
    if (KeyCode == kVirtualKeyF3 && enabled)
        dialog->FindNext();
}

void frmINI::Form_KeyPress(qint16 KeyAscii)
{
    if (KeyAscii == kCtrlF)
        mnuFind_Click();
}

void frmINI::ShowFindHit(const clsINI &record)
{
    NodeCollection &nodes = tvw->Nodes();
    // The hit record's own node, found by its ID, whatever deletions did to
    // the positions of the nodes before it.
    qsizetype node = nodes.Find(nodeKey(NodeKind::Tree, record.ID()));
    if (node == 0)
        node = nodes.Find(nodeKey(NodeKind::Root, record.ID()));
    if (node != 0) {
        nodes.setSelectedItem(node);
        tvw->showNodeWithSection(node);
    }

    lvw->clearItems();
    const qsizetype selected = nodes.SelectedItem();
    if (selected == 0 || !gRegistry)
        return;
    const QString section = nodes.Text(SectionNodeOf(nodes, selected));
    lvw->addItem(1, QStringLiteral("RegValue"), gRegistry->GetRegValue(section, nodes.Text(selected)));
}

const clsINIRegistry *frmINI::findStore() const
{
    return gRegistry.get();
}

void frmINI::FindClosed()
{
    // The closing of one of our own dialogs activates the window again; the
    // dialog is being destroyed now, so the activation waits until it is gone.
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}
