#pragma once

#include "image_list.h"
#include "node_collection.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

// Rows of the node tree for a list view: one row per visible node.
class NodeRowModel : public QAbstractListModel {
public:
    enum Role { LevelRole = Qt::UserRole + 1, HasChildrenRole, ExpandedRole, SelectedImageRole };

    NodeRowModel(const NodeCollection &nodes, const ImageList &images, QObject *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Mirror the collection's row changes.
    void beforeRows(const NodeCollection::RowChange &change);
    void afterRows(const NodeCollection::RowChange &change);

private:
    const NodeCollection &m_nodes;
    const ImageList &m_images;
};

// Draws a row indented by its level, with the branch arrow in front of
// sections that hold keys, and the selected picture on the selected row.
class NodeRowDelegate : public QStyledItemDelegate {
public:
    explicit NodeRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

    // Width of one level of indentation, which is also the branch area's width.
    static int indentation(const QWidget *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
