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
    // The steps were the last file's.
    m_undo.clear();
    m_store->setFileName(chosen);
    try {
        m_store->load();
    } catch (const AppError &error) {
        m_ui.tell(error.description(), MessageIcon::Critical);
        // The store named a file it could not read: it keeps neither that
        // name nor the old file's records, the window shows none, and the
        // caption no file.
        m_store->closeFile();
        m_tree->nodes().clear();
        m_valuePane->clearItems();
        const qsizetype separator = windowTitle().indexOf(QStringLiteral(" - "));
        if (separator >= 0)
            setWindowTitle(windowTitle().left(separator));
        m_follower->watchOpenFile();
        return;
    }
    m_tree->nodes().clear();
    m_valuePane->clearItems();
    showLoadedFile();
    try {
        const QString caption = windowTitle();
        const qsizetype separator = caption.indexOf(QStringLiteral(" - "));
        setWindowTitle((separator < 0 ? caption : caption.left(separator)) + QStringLiteral(" - ")
                       + m_store->fileName());
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the caption was not changed:" << error.what();
    }
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
    {
        HistoryDialog dialog(this, m_ui, *m_store);
        dialog.exec();
    }
    // A restore read the file again: the tree shows it as restored.
    followStore();
    // The closing of one of our own dialogs activates the window again.
    activate();
}

void MainWindow::exitProgram()
{
    // Ends at once: no window's unload handling runs and nothing is asked.
    QCoreApplication::exit(0);
}
