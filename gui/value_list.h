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

    std::function<void(qint16 &cancel)> beforeLabelEdit;
    std::function<void(qint16 &cancel, const std::optional<QString> &newText)> afterLabelEdit;

protected:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    ValueEditDelegate *m_delegate;
};
