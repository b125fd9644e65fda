// Find, Next, the keys that run them, and the About box.
#include "main_window.h"

#include "find_dialog.h"
#include "g_registry.h"
#include "input_codes.h"
#include "interaction.h"
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

void MainWindow::previewKey(QObject *receiver, const QKeyEvent *event)
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

FindDialog *MainWindow::findDialog() const
{
    if (!m_ui.isWindowLoaded(kFindForm))
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<FindDialog *>(widget); dialog && dialog->objectName() == kFindForm)
            return dialog;
    return nullptr;
}

void MainWindow::showFind()
{
    FindDialog *dialog = findDialog();
    if (!dialog)
        dialog = new FindDialog(this, m_ui, m_findState);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void MainWindow::findNext()
{
    FindDialog *dialog = findDialog();
    if (dialog && dialog->canFindNext())
        dialog->findNext();
}

void MainWindow::showAbout()
{
    const QString crlf = QStringLiteral("\r\n");
    m_ui.tell(QStringLiteral("Larkspur ") + QStringLiteral(LARKSPUR_VERSION) + crlf + crlf
                  + QStringLiteral("The Larkspur Project") + crlf + QStringLiteral("Lyon, France") + crlf + crlf
                  + QStringLiteral("larkspur@example.org"),
              MessageIcon::Information, QStringLiteral("About Us"));
}

void MainWindow::Form_KeyDown(qint16 KeyCode, qint16)
{
    FindDialog *dialog = findDialog();
    const bool enabled = dialog && dialog->canFindNext();
    if (KeyCode == kVirtualKeyF3 && enabled)
        dialog->findNext();
}

void MainWindow::Form_KeyPress(qint16 KeyAscii)
{
    if (KeyAscii == kCtrlF)
        showFind();
}

void MainWindow::showFindHit(const IniRecord &record)
{
    NodeCollection &nodes = m_tree->nodes();
    // The hit record's own node, found by its ID, whatever deletions did to
    // the positions of the nodes before it.
    qsizetype node = nodes.indexOf(nodeKey(NodeKind::Tree, record.id()));
    if (node == 0)
        node = nodes.indexOf(nodeKey(NodeKind::Root, record.id()));
    if (node != 0) {
        nodes.setSelectedNode(node);
        m_tree->showNodeWithSection(node);
    }

    m_valuePane->clearItems();
    const qsizetype selected = nodes.selectedNode();
    if (selected == 0 || !gRegistry)
        return;
    const QString section = nodes.text(sectionNodeOf(nodes, selected));
    m_valuePane->addItem(1, QStringLiteral("RegValue"), gRegistry->value(section, nodes.text(selected)));
}

const IniStore *MainWindow::findStore() const
{
    return gRegistry.get();
}

void MainWindow::findClosed()
{
    // The closing of one of our own dialogs activates the window again; the
    // dialog is being destroyed now, so the activation waits until it is gone.
    QTimer::singleShot(0, this, [this] { activate(); });
}
