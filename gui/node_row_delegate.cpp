#include "node_row_delegate.h"

#include "cut_off_tooltip.h"
#include "node_collection.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>

namespace {
// Blank pixels above and below a row's picture or text.
constexpr int kRowMargin = 2;
} // namespace

int NodeRowDelegate::indentation(const QWidget *view)
{
    return view->style()->pixelMetric(QStyle::PM_TreeViewIndentation, nullptr, view);
}

void NodeRowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The collection names its pictures by their image-list index; they are
    // drawn the way a view draws a row's decoration.
    const bool selected = option->state & QStyle::State_Selected;
    const int image = index.data(selected ? NodeCollection::SelectedImageRole : NodeCollection::ImageRole).toInt();
    option->icon = m_images.image(image);
    if (option->icon.isNull())
        return;
    option->features |= QStyleOptionViewItem::HasDecoration;
    const QIcon::Mode mode = !(option->state & QStyle::State_Enabled) ? QIcon::Disabled
                             : selected                               ? QIcon::Selected
                                                                      : QIcon::Normal;
    const QIcon::State state = option->state & QStyle::State_Open ? QIcon::On : QIcon::Off;
    const QSize actual = option->icon.actualSize(option->decorationSize, mode, state);
    option->decorationSize = option->decorationSize.boundedTo(actual);
}

void NodeRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int indent = indentation(option.widget);
    const int level = index.data(NodeCollection::LevelRole).toInt();
    if (index.data(NodeCollection::HasChildrenRole).toBool()) {
        QStyleOption branch;
        branch.rect = QRect(option.rect.left(), option.rect.top(), indent, option.rect.height());
        branch.palette = option.palette;
        branch.state = QStyle::State_Item | QStyle::State_Children;
        if (index.data(NodeCollection::ExpandedRole).toBool())
            branch.state |= QStyle::State_Open;
        option.widget->style()->drawPrimitive(QStyle::PE_IndicatorBranch, &branch, painter, option.widget);
    }
    QStyleOptionViewItem shifted = option;
    shifted.rect.setLeft(option.rect.left() + indent * (level + 1));
    QStyledItemDelegate::paint(painter, shifted, index);
}

QSize NodeRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += indentation(option.widget) * (index.data(NodeCollection::LevelRole).toInt() + 1);
    // Every row has the same height, the tallest of a picture and a line of
    // text, whatever the row shows: the tree never jumps when a row changes.
    size.setHeight(qMax(option.decorationSize.height(), option.fontMetrics.height()) + 2 * kRowMargin);
    return size;
}

bool NodeRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    return showTextWhenCutOff(event, view, option, index, sizeHint(option, index).width());
}
