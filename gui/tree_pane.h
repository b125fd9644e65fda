#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class IniRecord;
class IniStore;
class Interaction;
class MainMenus;
class NodeTreeView;
class QPoint;
class ValueList;

// The section tree and the value pane working together: a click on a key
// node shows its value in the pane, a collapse empties it, Enter or F2 edits
// the value in place and writes it to the store, the tree's context menu
// offers Undo, Redo and the Edit menu's commands, and a find hit is
// selected and shown. The window owns the widgets, the menus and the store;
// `store` names the store (nullptr when there is none), which comes and goes
// with the window's activations and close. `ui` is how a failed write is
// reported.
class TreePane : public QObject {
    Q_OBJECT
public:
    TreePane(NodeTreeView &tree, ValueList &valuePane, MainMenus &menus, Interaction &ui,
             std::function<IniStore *()> store, QObject *parent);

    // Fills the tree with the store's records.
    void fillTree();
    bool sectionNodeExists(const QString &section) const;

    void onNodeClicked(qsizetype node);
    void onNodeCollapsed(qsizetype node);
    // The pane shows what a click on the selected node shows, so that the
    // highlight and the pane always agree.
    void showSelectedValue();
    // Node names are never edited in place.
    bool canRenameNode() const;
    // A value edit may always start; the pane counts as editing until it ends.
    bool canEditValue();
    // Writes an edited value; false when it was not written, and the pane
    // goes back to what the file holds. An abandoned edit (no text) is accepted.
    bool onValueEdited(const std::optional<QString> &newString);
    // Enter, F2 or a double-click in the tree: the selected key's value is
    // edited in place.
    void editSelectedValue();
    // The tree's context menu at a point of the screen: Undo and Redo, then
    // the Edit menu's New, Delete, Find and Next commands. Returns once the
    // menu has closed.
    void showTreeMenu(const QPoint &globalPos);
    // Selects the node of a find hit and shows its value.
    void showFindHit(const IniRecord &record);

    // True while a value is being edited.
    bool editing() const { return m_editing; }

Q_SIGNALS:
    // A value was written into the file; the store may have read the file
    // again for it and hold new records.
    void valueWritten();

private:
    // Section and key names of the selected key node, read from the tree.
    QString selectedSection() const;
    QString selectedKey() const;

    NodeTreeView &m_tree;
    ValueList &m_valuePane;
    MainMenus &m_menus;
    Interaction &m_ui;
    std::function<IniStore *()> m_store;
    bool m_editing = false;
};
