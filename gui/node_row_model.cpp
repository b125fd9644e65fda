#include "node_row_model.h"

#include <QPainter>
#include <QStyle>

NodeRowModel::NodeRowModel(const NodeCollection &nodes, const ImageList &images, QObject *parent)
    : QAbstractListModel(parent), m_nodes(nodes), m_images(images) {}

int NodeRowModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_nodes.rowCount());
}

QVariant NodeRowModel::data(const QModelIndex &index, int role) const {
    const qsizetype node = m_nodes.nodeAtRow(index.row());
    if (node == 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_nodes.Text(node);
    case Qt::DecorationRole:
        return m_images.image(m_nodes.Image(node));
    case SelectedImageRole:
        return m_images.image(m_nodes.SelectedImage(node));
    case LevelRole:
        return m_nodes.Parent(node) == 0 ? 0 : 1;
    case HasChildrenRole:
        return m_nodes.Parent(node) == 0 && m_nodes.Children(node) > 0;
    case ExpandedRole:
        return m_nodes.Expanded(node);
    default:
        return {};
    }
}

Qt::ItemFlags NodeRowModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void NodeRowModel::beforeRows(const NodeCollection::RowChange &change) {
    const int last = int(change.first + change.count - 1);
    switch (change.kind) {
    case NodeCollection::RowChange::Reset:
        beginResetModel();
        break;
    case NodeCollection::RowChange::Insert:
        beginInsertRows(QModelIndex(), int(change.first), last);
        break;
    case NodeCollection::RowChange::Remove:
        beginRemoveRows(QModelIndex(), int(change.first), last);
        break;
    }
}

void NodeRowModel::afterRows(const NodeCollection::RowChange &change) {
    switch (change.kind) {
    case NodeCollection::RowChange::Reset:
        endResetModel();
        break;
    case NodeCollection::RowChange::Insert:
        endInsertRows();
        break;
    case NodeCollection::RowChange::Remove:
        endRemoveRows();
        break;
    }
    // The row above an inserted or removed run may have gained or lost its branch arrow.
    if (change.kind != NodeCollection::RowChange::Reset && change.first > 0) {
        const QModelIndex above = index(int(change.first - 1));
        Q_EMIT dataChanged(above, above);
    }
}

int NodeRowDelegate::indentation(const QWidget *view) {
    return view->style()->pixelMetric(QStyle::PM_TreeViewIndentation, nullptr, view);
}

void NodeRowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected)
        option->icon = index.data(NodeRowModel::SelectedImageRole).value<QIcon>();
}

void NodeRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    const int indent = indentation(option.widget);
    const int level = index.data(NodeRowModel::LevelRole).toInt();
    if (index.data(NodeRowModel::HasChildrenRole).toBool()) {
        QStyleOption branch;
        branch.rect = QRect(option.rect.left(), option.rect.top(), indent, option.rect.height());
        branch.palette = option.palette;
        branch.state = QStyle::State_Item | QStyle::State_Children;
        if (index.data(NodeRowModel::ExpandedRole).toBool())
            branch.state |= QStyle::State_Open;
        option.widget->style()->drawPrimitive(QStyle::PE_IndicatorBranch, &branch, painter, option.widget);
    }
    QStyleOptionViewItem shifted = option;
    shifted.rect.setLeft(option.rect.left() + indent * (level + 1));
    QStyledItemDelegate::paint(painter, shifted, index);
}

QSize NodeRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += indentation(option.widget) * (index.data(NodeRowModel::LevelRole).toInt() + 1);
    return size;
}
