// Undo and Redo: the window's writes taken back and made again through the
// store, with the tree following the file.
#include "main_window.h"

#include "app_error.h"
#include "interaction.h"

#include <QAction>

void MainWindow::connectUndo()
{
    // Taken by the window wherever its focus is; a value's editor, which
    // has its own undo of what is typed, claims Ctrl+Z and Ctrl+Shift+Z
    // first (Qt asks the focused widget before any shortcut).
    addAction(m_menus->undoAction());
    addAction(m_menus->redoAction());
    connect(m_menus->undoAction(), &QAction::triggered, this, &MainWindow::undoWrite);
    connect(m_menus->redoAction(), &QAction::triggered, this, &MainWindow::redoWrite);
    m_undo.setChangedNotice([this] { m_menus->enableUndo(m_undo.canUndo(), m_undo.canRedo()); });
}

void MainWindow::undoWrite()
{
    stepWrite(true);
}

void MainWindow::redoWrite()
{
    stepWrite(false);
}

void MainWindow::stepWrite(bool undo)
{
    // A key the open editor left to the window (Ctrl+Y) does not touch the
    // file under the edit.
    if (!m_store || editing())
        return;
    try {
        if (undo)
            m_store->undoWrite();
        else
            m_store->redoWrite();
    } catch (const AppError &error) {
        m_ui.reportError(error);
    }
    // The store read the file again: the tree shows it as undone, the
    // selected key (or its section) kept where it still exists.
    followStore();
}
