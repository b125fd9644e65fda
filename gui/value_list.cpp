#include "value_list.h"

#include "cut_off_tooltip.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace {
constexpr int kKeyRole = Qt::UserRole + 1;
}

// Turns the view's editor life cycle into the before and after notices.
class ValueEditDelegate : public QStyledItemDelegate {
public:
    explicit ValueEditDelegate(ValueList *list) : QStyledItemDelegate(list), m_list(list) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (m_list->canEditValue && !m_list->canEditValue())
            return nullptr;
        m_open = true;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        // A message box shown by the after-notice takes the focus from the
        // editor, which commits again; only the first commit counts.
        if (!m_open)
            return;
        m_open = false;
        const auto *line = qobject_cast<QLineEdit *>(editor);
        const QString text = line ? line->text() : index.data().toString();
        if (text == index.data().toString()) {
            finish(std::nullopt);
            return;
        }
        if (finish(text))
            model->setData(index, text);
    }

    // Ends an edit that closed without a commit.
    void abandon() const
    {
        if (!m_open)
            return;
        m_open = false;
        finish(std::nullopt);
    }

private:
    // True when the new text is accepted.
    bool finish(const std::optional<QString> &text) const { return !m_list->valueEdited || m_list->valueEdited(text); }

    // A value cut off by the column's width shows whole in a tooltip.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        return showTextWhenCutOff(event, view, option, index, sizeHint(option, index).width());
    }

    ValueList *m_list;
    mutable bool m_open = false;
};

ValueList::ValueList(QWidget *parent) : QTreeWidget(parent), m_delegate(new ValueEditDelegate(this))
{
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("Value")});
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::DoubleClicked);
}

void ValueList::clearItems()
{
    // Clearing destroys an open editor without closing it; the edit ends
    // here, abandoned, so that whoever waits for its end hears of it.
    if (isEditing())
        m_delegate->abandon();
    clear();
}

void ValueList::addItem(int index, const QString &key, const QString &text)
{
    auto *item = new QTreeWidgetItem({text});
    item->setData(0, kKeyRole, key);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    insertTopLevelItem(qBound(0, index - 1, topLevelItemCount()), item);
}

QString ValueList::itemKey(int index) const
{
    const QTreeWidgetItem *item = topLevelItem(index - 1);
    return item ? item->data(0, kKeyRole).toString() : QString();
}

QString ValueList::itemText(int index) const
{
    const QTreeWidgetItem *item = topLevelItem(index - 1);
    return item ? item->text(0) : QString();
}

void ValueList::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidget::closeEditor(editor, hint);
    m_delegate->abandon();
}
