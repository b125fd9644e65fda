#pragma once

#include "image_list.h"

#include <QStyledItemDelegate>

// Draws a row of the node tree indented by its level, with the branch arrow
// in front of sections that hold keys, the node's picture from the image
// list, and its selected picture on the selected row.
class NodeRowDelegate : public QStyledItemDelegate {
public:
    // `images` must outlive the delegate.
    NodeRowDelegate(const ImageList &images, QObject *parent) : QStyledItemDelegate(parent), m_images(images) {}

    // Width of one level of indentation, which is also the branch area's width.
    static int indentation(const QWidget *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A name cut off by the tree's width shows whole in a tooltip.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    const ImageList &m_images;
};
