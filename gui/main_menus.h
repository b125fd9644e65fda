#pragma once

class QAction;
class QMenu;
class QMenuBar;
class QPoint;
class QWidget;

// The main window's menus: File (Open File, History..., Exit), Edit with its
// New and Delete submenus, Find... and Next, and About, built once on the
// window's menu bar with their captions and object names, and Undo and
// Redo, which stand on no menu of the bar: the tree's context menu offers
// them and the window takes their keys. The menu bar owns the menus and
// actions; the window connects the actions to its commands.
class MainMenus {
public:
    explicit MainMenus(QMenuBar &bar);

    // Delete > Section is offered while a section node is clicked, Delete >
    // Key while a key node is.
    void enableDeleteFor(bool sectionNode);
    // Undo and Redo are offered, and their keys work, only when there is a
    // write to undo or redo.
    void enableUndo(bool canUndo, bool canRedo);
    // The tree's context menu at a point of the screen, over `parent`: the
    // Edit menu's New, Delete, Find and Next commands, after Undo and Redo.
    // Returns once the menu has closed.
    void execTreeMenu(QWidget *parent, const QPoint &globalPos) const;

    QMenu *fileMenu() const { return m_fileMenu; }
    QAction *openAction() const { return m_openAction; }
    QAction *fileSeparator() const { return m_fileSeparator; }
    QAction *historyAction() const { return m_historyAction; }
    QAction *exitAction() const { return m_exitAction; }
    QMenu *editMenu() const { return m_editMenu; }
    QMenu *newMenu() const { return m_newMenu; }
    QAction *newSectionAction() const { return m_newSectionAction; }
    QAction *newKeyAction() const { return m_newKeyAction; }
    QAction *newSeparator() const { return m_newSeparator; }
    QMenu *deleteMenu() const { return m_deleteMenu; }
    QAction *deleteSectionAction() const { return m_deleteSectionAction; }
    QAction *deleteKeyAction() const { return m_deleteKeyAction; }
    QAction *findSeparator() const { return m_findSeparator; }
    QAction *findAction() const { return m_findAction; }
    QAction *findNextAction() const { return m_findNextAction; }
    QAction *aboutAction() const { return m_aboutAction; }
    QAction *undoAction() const { return m_undoAction; }
    QAction *redoAction() const { return m_redoAction; }

private:
    QMenu *m_fileMenu = nullptr;
    QAction *m_openAction = nullptr;
    QAction *m_fileSeparator = nullptr;
    QAction *m_historyAction = nullptr;
    QAction *m_exitAction = nullptr;
    QMenu *m_editMenu = nullptr;
    QMenu *m_newMenu = nullptr;
    QAction *m_newSectionAction = nullptr;
    QAction *m_newKeyAction = nullptr;
    QAction *m_newSeparator = nullptr;
    QMenu *m_deleteMenu = nullptr;
    QAction *m_deleteSectionAction = nullptr;
    QAction *m_deleteKeyAction = nullptr;
    QAction *m_findSeparator = nullptr;
    QAction *m_findAction = nullptr;
    QAction *m_findNextAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
};
