#pragma once

#include "add_entry_dialog.h"
#include "find_dialog.h"
#include "find_host.h"
#include "find_state.h"
#include "image_list.h"
#include "ini_store.h"
#include "main_menus.h"
#include "pane_layout.h"
#include "tree_pane.h"
#include "undo_journal.h"
#include "window_layout.h"

#include <QMainWindow>
#include <QPointer>
#include <QtCore/qnamespace.h>

#include <functional>
#include <memory>
#include <optional>

class FileHistory;
class FileFollower;
class FindDialog;
class NodeTreeView;
class SplitterBar;
class ValueList;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class Interaction;

// The main window: the section tree on the left, the value of the selected
// key on the right, the bar between them, and the menu bar. It owns the
// program's store from its first activation until it closes, and hands it to
// the dialogs it opens, with the version history it creates from the
// environment. `ui` (which must outlive the window) is how it and
// its store talk to the person; `commandLine` is the program's argument
// text, the file to open.
class MainWindow : public QMainWindow, public FindHost {
    Q_OBJECT
public:
    MainWindow(Interaction &ui, QString commandLine, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Loads the file named on the command line while the store has no file
    // name yet. Runs after the window is first shown and whenever one of our
    // own dialogs closes.
    void activate();
    // False while a value is being edited: the window stays open.
    bool canClose() const;
    // Menu commands.
    void openFile();
    void showHistory();
    void exitProgram();
    void newSection();
    void newKey();
    void deleteSection();
    void deleteKey();
    void showFind();
    void findNext();
    void showAbout();
    // Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y), and the tree's context menu:
    // the file put back as it was before the window's last write, and
    // forward again. Nothing while a value is being edited.
    void undoWrite();
    void redoWrite();

    // A key, seen before the focused control gets it, and not consumed: F3
    // runs Next when the find dialog could, Ctrl+F shows the find dialog.
    void previewKeyPress(const QKeyEvent &event);

    // Opens `path` as File > Open File does with the name its dialog returns.
    void loadFile(const QString &path);

    // The find dialog's side of a search.
    void showFindHit(const IniRecord &record) override;
    void findClosed() override;
    const IniStore *findStore() const override;
    // The loaded find dialog, or nullptr.
    FindDialog *findDialog() const { return m_findDialog.data(); }
    // The window's store; nullptr before the first activation and after the close.
    IniStore *store() const { return m_store.get(); }

    // The window's controls.
    NodeTreeView *tree() const { return m_tree; }
    ValueList *valuePane() const { return m_valuePane; }
    SplitterBar *splitter() const { return m_splitter; }
    // The tree and the value pane working together.
    TreePane *treePane() const { return m_treePane; }

    // The menus and their commands.
    MainMenus *menus() const { return m_menus.get(); }

    // The last hit of the find dialogs this window opens.
    FindState &findState() { return m_findState; }

    // True while a value is being edited: the window counts as busy.
    bool editing() const { return m_treePane->editing(); }
    bool dragging() const { return m_paneLayout->dragging(); }
    const WindowLayout &layoutTwips() const { return m_paneLayout->twips(); }
    // The client area (below the menu bar) in twips.
    double clientWidthTwips() const { return m_paneLayout->clientWidthTwips(); }
    double clientHeightTwips() const { return m_paneLayout->clientHeightTwips(); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A file dropped on the window is opened.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Registers the shell verb again, so that it follows the program wherever it moved.
    void registerShellVerb();
    void connectShortcuts();
    // Undo and Redo connected, their keys taken by the window, and offered
    // as the journal allows.
    void connectUndo();
    // undoWrite (`undo`) or redoWrite, then the tree built again.
    void stepWrite(bool undo);
    // Delete in the tree: Delete > Key or Delete > Section, by the node.
    void deleteSelected();
    // The menus built on the menu bar, their commands connected to this window.
    void buildMenus();
    // Builds and expands the tree of the store's records, then points out a read-only file.
    void showLoadedFile();
    // Shows a fresh add dialog, prepared by `prepare`, modally over this
    // window, and hands what the person entered to `add`.
    void showAddDialog(const std::function<void(AddEntryDialog &)> &prepare,
                       const std::function<void(const AddEntryDialog::Entry &)> &add);
    // Adds the key entered, and its node under the selected node's section.
    void addKeyNode(const AddEntryDialog::Entry &entry);
    // Runs a delete on the store; when it fails, the nodes of the records it
    // took out before failing go too, and the failure is passed on. True
    // when the store read the file again for it, and the tree was built
    // again from the new records (the caller's nodes are gone).
    bool deleteFromStore(const std::function<void()> &deletion);
    // The tree built again when the store holds new records, keeping the
    // selected node, the closed sections and the scroll position where they
    // still exist; true when it was.
    bool followStore();
    // While a value is edited, the bar dragged or a dialog open, the file
    // is not looked at.
    bool busyWithPerson() const;
    // Hands a key meant for this window's focused control to the key handlers first.
    void previewKey(QObject *receiver, const QKeyEvent *event);

    // After a failed open: `previous`, the file open before, read again and
    // shown; false when there was none or it cannot be read either.
    bool reopenFile(const QString &previous);
    // The program's store, keeping the window's version history.
    void createStore();

    Interaction &m_ui;
    const QString m_commandLine;

    NodeTreeView *m_tree = nullptr;
    ValueList *m_valuePane = nullptr;
    SplitterBar *m_splitter = nullptr;
    ImageList m_images;
    TreePane *m_treePane = nullptr;

    std::unique_ptr<MainMenus> m_menus;

    std::shared_ptr<FileHistory> m_history;
    // The window's writes to its file, for undo and redo; handed to the
    // store, which it outlives.
    UndoJournal m_undo;
    std::unique_ptr<IniStore> m_store;
    QPointer<FindDialog> m_findDialog;
    FindState m_findState;
    bool m_shown = false;
    PaneLayout *m_paneLayout = nullptr;
    QWidget *m_client = nullptr;
    const QKeyEvent *m_previewedKey = nullptr;
    QPointer<QWidget> m_previewedReceiver;
    FileFollower *m_follower = nullptr;
    // The store's load count the tree was built from.
    quint64 m_treeLoad = 0;
};
