#pragma once

#include <QTreeWidget>

#include <functional>
#include <optional>

class ValueEditDelegate;

// The value pane: a one-column list in report view whose items are edited in
// place. Every edit that starts is announced before (the notice may refuse
// it) and ends with exactly one after-notice: with the new text when the user
// committed a change (the notice may cancel it, keeping the old text), or
// without a text when the edit was abandoned (Escape, or no change).
class ValueList : public QTreeWidget {
    Q_OBJECT
public:
    explicit ValueList(QWidget *parent = nullptr);

    void clearItems();
    // Inserts an item at 1-based `index` with a key and a text.
    void addItem(int index, const QString &key, const QString &text);
    int itemCount() const { return topLevelItemCount(); }
    QString itemKey(int index) const;
    QString itemText(int index) const;
    // True while an in-place edit is open.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // Asked before an item's text would be edited; false refuses.
    std::function<bool()> canEditValue;
    // Told when an edit ends, with the new text (none when it was abandoned
    // or left the text as it was); false keeps the item's old text.
    std::function<bool(const std::optional<QString> &newText)> valueEdited;

protected:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    ValueEditDelegate *m_delegate;
};
