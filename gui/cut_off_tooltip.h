#pragma once

class QAbstractItemView;
class QHelpEvent;
class QModelIndex;
class QStyleOptionViewItem;

// A view's tooltip for an item whose text does not fit: the whole text,
// shown when the item needs `neededWidth` pixels from its left edge but its
// cell or the view's visible width is narrower; no tooltip when it fits.
// Always handles the event.
bool showTextWhenCutOff(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                        const QModelIndex &index, int neededWidth);
