#include "cut_off_tooltip.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>

bool showTextWhenCutOff(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                        const QModelIndex &index, int neededWidth)
{
    const int visibleRight = std::min(option.rect.right(), view->viewport()->width() - 1);
    const bool cutOff = option.rect.left() + neededWidth - 1 > visibleRight;
    const QString text = index.data(Qt::DisplayRole).toString();
    if (cutOff && !text.isEmpty())
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
