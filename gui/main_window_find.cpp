// Find, Next, the keys that run them, and the About box.
#include "main_window.h"

#include "find_dialog.h"
#include "interaction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        previewKey(watched, static_cast<QKeyEvent *>(event));
    return QMainWindow::eventFilter(watched, event);
}

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
    previewKeyPress(*event);
}

void MainWindow::showFind()
{
    if (!m_findDialog)
        m_findDialog = new FindDialog(this, m_ui, m_findState);
    FindDialog *dialog = m_findDialog;
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

void MainWindow::previewKeyPress(const QKeyEvent &event)
{
    FindDialog *dialog = findDialog();
    if (event.key() == Qt::Key_F3 && dialog && dialog->canFindNext())
        dialog->findNext();
    // Ctrl with F, whatever other modifiers are held.
    if ((event.modifiers() & Qt::ControlModifier) && event.key() == Qt::Key_F)
        showFind();
}

void MainWindow::showFindHit(const IniRecord &record)
{
    m_treePane->showFindHit(record);
}

const IniStore *MainWindow::findStore() const
{
    return m_store.get();
}

void MainWindow::findClosed()
{
    // The closing of one of our own dialogs activates the window again; the
    // dialog is being destroyed now, so the activation waits until it is gone.
    QTimer::singleShot(0, this, [this] { activate(); });
}
