// The File menu.
#include "main_window.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "file_follower.h"
#include "gui_log.h"
#include "history_dialog.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "value_list.h"

#include <QCoreApplication>
#include <QScrollBar>

void MainWindow::openFile()
{
    const QString chosen = chooseIniFile(m_ui);
    if (!chosen.isEmpty())
        loadFile(chosen);
}

void MainWindow::loadFile(const QString &chosen)
{
    const BusyCursor busy;
    if (!m_store)
        createStore();
    const QString previous = m_store->fileName();
    m_store->setFileName(chosen);
    try {
        m_store->load();
    } catch (const AppError &error) {
        m_ui.tell(error.description(), MessageIcon::Critical);
        if (reopenFile(previous))
            return;
        // Neither file can be read: the store keeps no name and no records
        // (nothing is written to a file it could not read), the window shows
        // none, and the caption no file.
        m_store->closeFile();
        m_tree->nodes().clear();
        m_valuePane->clearItems();
        const qsizetype separator = windowTitle().indexOf(QStringLiteral(" - "));
        if (separator >= 0)
            setWindowTitle(windowTitle().left(separator));
        m_follower->watchOpenFile();
        return;
    }
    // The undo steps were the last file's; a failed open above keeps them
    // with the file it keeps open.
    m_undo.clear();
    m_tree->nodes().clear();
    m_valuePane->clearItems();
    showLoadedFile();
    // Another file starts at its top, whatever was scrolled in the last one.
    m_tree->verticalScrollBar()->setValue(0);
    m_tree->horizontalScrollBar()->setValue(0);
    try {
        const QString caption = windowTitle();
        const qsizetype separator = caption.indexOf(QStringLiteral(" - "));
        setWindowTitle((separator < 0 ? caption : caption.left(separator)) + QStringLiteral(" - ")
                       + m_store->fileName());
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the caption was not changed:" << error.what();
    }
}

bool MainWindow::reopenFile(const QString &previous)
{
    // The file that was open stays open, read again as it is on disk now.
    try {
        if (previous.isEmpty() || !m_store->reopen(previous))
            return false;
    } catch (const AppError &error) {
        qCWarning(lcGui) << "the file open before was not read again:" << error.description();
        return false;
    }
    followStore();
    m_follower->watchOpenFile();
    return true;
}

void MainWindow::createStore()
{
    m_store = std::make_unique<IniStore>(m_ui, m_history);
    m_store->setUndoJournal(&m_undo);
}

void MainWindow::showHistory()
{
    if (!m_store || m_store->fileName().isEmpty()) {
        m_ui.tell(QStringLiteral("No file is open"), MessageIcon::Warning);
        return;
    }
    QString restored;
    {
        HistoryDialog dialog(this, m_ui, *m_store);
        dialog.exec();
        restored = dialog.restoredSummary();
    }
    // A restore read the file again: the tree shows it as restored.
    followStore();
    if (!restored.isEmpty())
        m_ui.tell(restored, MessageIcon::Information, QStringLiteral("History"));
    // The closing of one of our own dialogs activates the window again.
    activate();
}

void MainWindow::exitProgram()
{
    // Ends at once: no window's unload handling runs and nothing is asked.
    QCoreApplication::exit(0);
}
