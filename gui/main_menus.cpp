#include "main_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
QAction *action(QMenu *menu, const char *name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1StringView(name));
    return item;
}

QAction *separator(QMenu *menu, const char *name)
{
    QAction *item = menu->addSeparator();
    item->setObjectName(QLatin1StringView(name));
    return item;
}

QMenu *submenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(QLatin1StringView(name));
    return sub;
}
} // namespace

MainMenus::MainMenus(QMenuBar &bar)
{
    m_fileMenu = bar.addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("mnuFile"));
    m_openAction = action(m_fileMenu, "mnuOpen", QStringLiteral("&Open File"));
    m_fileSeparator = separator(m_fileMenu, "mnuLine1");
    m_historyAction = action(m_fileMenu, "mnuHistory", QStringLiteral("&History..."));
    m_exitAction = action(m_fileMenu, "mnuExit", QStringLiteral("E&xit"));

    m_editMenu = bar.addMenu(QStringLiteral("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("mnuEdit"));
    m_newMenu = submenu(m_editMenu, "mnuNew", QStringLiteral("&New"));
    m_newSectionAction = action(m_newMenu, "mnuNewSection", QStringLiteral("&Section"));
    m_newKeyAction = action(m_newMenu, "mnuNewKey", QStringLiteral("&Key"));
    m_newSeparator = separator(m_editMenu, "mnuLine2");
    m_deleteMenu = submenu(m_editMenu, "mnuDelete", QStringLiteral("&Delete"));
    m_deleteSectionAction = action(m_deleteMenu, "mnuDelSection", QStringLiteral("&Section"));
    m_deleteKeyAction = action(m_deleteMenu, "mnuDelKey", QStringLiteral("&Key"));
    m_findSeparator = separator(m_editMenu, "mnuLine3");
    // The keys are part of the captions; F3 and Ctrl+F reach the window
    // before the focused control does, so they are no shortcuts here.
    m_findAction = action(m_editMenu, "mnuFind", QStringLiteral("&Find...      Ctl+F"));
    m_findNextAction = action(m_editMenu, "mnuNext", QStringLiteral("Next        F3"));

    m_aboutAction = bar.addAction(QStringLiteral("&About"));
    m_aboutAction->setObjectName(QStringLiteral("mnuAbout"));

    // On no menu of the bar, whose items stay as they always were.
    m_undoAction = new QAction(QStringLiteral("&Undo"), &bar);
    m_undoAction->setObjectName(QStringLiteral("mnuUndo"));
    m_undoAction->setShortcuts(QKeySequence::Undo);
    m_redoAction = new QAction(QStringLiteral("&Redo"), &bar);
    m_redoAction->setObjectName(QStringLiteral("mnuRedo"));
    // Ctrl+Y too, as on Windows, whatever the platform calls Redo.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    const QKeySequence ctrlY(Qt::CTRL | Qt::Key_Y);
    if (!redoKeys.contains(ctrlY))
        redoKeys.append(ctrlY);
    m_redoAction->setShortcuts(redoKeys);
    m_undoAction->setShortcutContext(Qt::WindowShortcut);
    m_redoAction->setShortcutContext(Qt::WindowShortcut);
    enableUndo(false, false);
}

void MainMenus::enableDeleteFor(bool sectionNode)
{
    m_deleteSectionAction->setEnabled(sectionNode);
    m_deleteKeyAction->setEnabled(!sectionNode);
}

void MainMenus::enableUndo(bool canUndo, bool canRedo)
{
    m_undoAction->setEnabled(canUndo);
    m_redoAction->setEnabled(canRedo);
}

void MainMenus::execTreeMenu(QWidget *parent, const QPoint &globalPos) const
{
    QMenu menu(parent);
    menu.setObjectName(QStringLiteral("mnuTree"));
    menu.addAction(m_undoAction);
    menu.addAction(m_redoAction);
    menu.addSeparator();
    menu.addMenu(m_newMenu);
    menu.addMenu(m_deleteMenu);
    menu.addSeparator();
    menu.addAction(m_findAction);
    menu.addAction(m_findNextAction);
    menu.exec(globalPos);
}
