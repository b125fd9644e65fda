#pragma once

#include "version_diff.h"

#include <QAbstractListModel>
#include <QPalette>
#include <QStyledItemDelegate>

// The rows of a diff as a list for a view: removed lines on a red tint,
// added ones on a green tint, each with its old and new line number, and
// one grey row for each run of unchanged lines left out. The colours come
// from the view's palette (see setPalette), so that every row stays
// readable on a light or a dark one.
class DiffRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRows(QList<DiffLine> rows);
    const QList<DiffLine> &rows() const { return m_rows; }
    // The palette the rows' text and background colours are made from.
    void setPalette(const QPalette &palette);
    // The row with the longest text; 0 when there is none.
    int widestRow() const { return m_widest; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The text a row shows: line numbers, a mark (- or +) and the line.
    static QString rowText(const DiffLine &line);

private:
    QList<DiffLine> m_rows;
    QPalette m_palette;
    int m_widest = 0;
};

// Draws the diff's rows. The view asks one row for its size and gives that
// size to all: it is the widest row's, so that no line is cut short and the
// horizontal scroll bar reaches the end of every line. A row that still does
// not fit the view shows whole in a tooltip.
class DiffRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
};
