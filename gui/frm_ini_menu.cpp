// The File menu.
#include "frm_ini.h"

#include "app_error.h"
#include "busy_cursor.h"
#include "frm_history.h"
#include "g_registry.h"
#include "gui_log.h"
#include "interaction.h"
#include "node_tree_view.h"
#include "value_list.h"

#include <QCoreApplication>

void frmINI::mnuOpen_Click()
{
    const QString chosen = ChooseINIFile(m_ui);
    if (!chosen.isEmpty())
        openFile(chosen);
}

void frmINI::openFile(const QString &chosen)
{
    const BusyCursor busy;
    if (!gRegistry)
        createStore();
    gRegistry->setFileName(chosen);
    try {
        gRegistry->LoadINI();
    } catch (const AppError &error) {
        m_ui.MsgBox(error.description(), vbCritical);
        // The store named a file it could not read: it keeps neither that
        // name nor the old file's records, the window shows none, and the
        // caption no file.
        gRegistry->CloseFile();
        tvw->Nodes().Clear();
        lvw->clearItems();
        const qsizetype separator = windowTitle().indexOf(QStringLiteral(" - "));
        if (separator >= 0)
            setWindowTitle(windowTitle().left(separator));
        watchOpenFile();
        return;
    }
    tvw->Nodes().Clear();
    lvw->clearItems();
    showLoadedFile();
    try {
        const QString caption = windowTitle();
        const qsizetype separator = caption.indexOf(QStringLiteral(" - "));
        setWindowTitle((separator < 0 ? caption : caption.left(separator)) + QStringLiteral(" - ")
                       + gRegistry->FileName());
    } catch (const std::exception &error) {
        qCWarning(lcGui) << "the caption was not changed:" << error.what();
    }
}

void frmINI::createStore()
{
    gRegistry = std::make_unique<clsINIRegistry>(m_ui, m_history);
}

void frmINI::mnuHistory_Click()
{
    if (!gRegistry || gRegistry->FileName().isEmpty()) {
        m_ui.MsgBox(QStringLiteral("No file is open"), vbExclamation);
        return;
    }
    {
        frmHistory dialog(this, m_ui, *gRegistry);
        dialog.exec();
    }
    // A restore read the file again: the tree shows it as restored.
    followStore();
    // The closing of one of our own dialogs activates the window again.
    Form_Activate();
}

void frmINI::mnuExit_Click()
{
    // Ends at once: no window's unload handling runs and nothing is asked.
    QCoreApplication::exit(0);
}
