#pragma once

#include "cls_ini.h"

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <vector>

// Which half of the node key scheme a node belongs to: "RootKey=" + ID for
// section nodes, "TreeKey=" + ID for key nodes.
enum class NodeKind : quint8 { Root, Tree };

// The nodes of the section tree, in the order they were added, numbered from
// 1. A node is a key in the scheme above, an image pair and a record whose
// section name (Root nodes) or key name (Tree nodes) is its text; it holds no
// copy of that text, so a million nodes cost a million small structs.
//
// Two levels only: top-level nodes and their children. The outline (which
// node shows on which row, given the expanded sections) is derived from the
// collection when somebody asks for it, and the collection is itself the
// list model of that outline, so a view shows it as it is, with no copy.
class NodeCollection : public QAbstractListModel {
    Q_OBJECT
public:
    // What a row tells its view besides its text (Qt::DisplayRole).
    enum Role {
        LevelRole = Qt::UserRole + 1, // 0 for a top-level node, 1 for a child
        HasChildrenRole, // a top-level node with children
        ExpandedRole,
        ImageRole, // the node's image-list indexes
        SelectedImageRole,
    };

    explicit NodeCollection(QObject *parent = nullptr) : QAbstractListModel(parent) {}

    qsizetype Count() const { return qsizetype(m_nodes.size()); }

    // Adds a node as the last of the collection: top-level when `relativeKey`
    // is empty, else the last child of the node with that key. Throws
    // AppError when the key is taken, malformed, or the relative missing.
    // Returns the new node's index.
    qsizetype Add(const QString &relativeKey, const QString &key, clsINIPtr record, int image, int selectedImage);
    // Removes the node and its children; later nodes move up.
    void Remove(qsizetype index);
    void Clear();

    // Index of the node with `key`, 0 when none.
    qsizetype Find(const QString &key) const;

    // Per-node properties; `index` is 1-based and must be valid.
    QString Key(qsizetype index) const;
    QString Text(qsizetype index) const;
    NodeKind Kind(qsizetype index) const { return node(index).kind; }
    // The record whose name the node shows.
    const clsINIPtr &Record(qsizetype index) const { return node(index).record; }
    qint32 ID(qsizetype index) const { return node(index).id; }
    int Image(qsizetype index) const { return node(index).image; }
    int SelectedImage(qsizetype index) const { return node(index).selectedImage; }
    // Index of the parent, 0 for a top-level node.
    qsizetype Parent(qsizetype index) const { return node(index).parent + 1; }
    // The top-level ancestor, or the node itself.
    qsizetype Root(qsizetype index) const;
    qsizetype Children(qsizetype index) const;
    bool Expanded(qsizetype index) const { return node(index).expanded; }
    void setExpanded(qsizetype index, bool expanded);

    // The selected node, 0 when none.
    qsizetype SelectedItem() const { return m_selected + 1; }
    void setSelectedItem(qsizetype index);

    // True when a top-level node shows exactly `text`.
    bool hasTopLevelText(const QString &text) const { return m_topTexts.value(text) > 0; }

    // The outline: rows shown, top to bottom.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    qsizetype nodeAtRow(qsizetype row) const;
    // The row of a node, -1 while its section is collapsed.
    qsizetype rowOfNode(qsizetype index) const;

    // Changes between beginUpdate and the matching endUpdate reach the views
    // as one reset instead of row by row.
    void beginUpdate();
    void endUpdate();

Q_SIGNALS:
    // The selected node changed by itself (a removal, a collapse), through
    // setSelectedItem, or may have after a reset.
    void selectionMoved();

private:
    enum class RowChange { Reset, Insert, Remove };

    struct Node {
        clsINIPtr record;
        qint32 id = 0;
        qint32 parent = -1;
        NodeKind kind = NodeKind::Root;
        quint8 image = 0;
        quint8 selectedImage = 0;
        bool expanded = false;
    };

    const Node &node(qsizetype index) const;
    qsizetype positionOf(NodeKind kind, qint32 id) const;
    void willChange(RowChange kind, qsizetype first, qsizetype count);
    void didChange(RowChange kind, qsizetype first, qsizetype count);
    void moveSelection();
    bool quiet() const { return m_updateDepth > 0; }
    void buildOutline() const;
    void buildRows() const;
    qsizetype topOrdinal(qsizetype position) const;

    std::vector<Node> m_nodes;
    qsizetype m_selected = -1;
    // True while IDs grow along the collection, so a key is found by bisection.
    bool m_idsAscending = true;
    QHash<QString, qint32> m_topTexts;
    int m_updateDepth = 0;

    // Derived outline, rebuilt lazily.
    mutable bool m_outlineValid = false;
    mutable bool m_rowsValid = false;
    mutable std::vector<qint32> m_tops; // positions of top-level nodes
    mutable std::vector<qint32> m_childBegin; // per top-level node, into m_childPositions
    mutable std::vector<qint32> m_childPositions;
    mutable std::vector<qsizetype> m_rowStart; // per top-level node, plus the total
};

// The node key of the scheme: "RootKey=12", "TreeKey=12".
QString nodeKey(NodeKind kind, qint32 id);
// True when the first seven characters of `key` are "RootKey".
bool isRootKey(const QString &key);
