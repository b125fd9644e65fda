#pragma once

#include "ini_record.h"

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// Which half of the node key scheme a node belongs to: "RootKey=" + ID for
// section nodes, "TreeKey=" + ID for key nodes.
enum class NodeKind : quint8 { Root, Tree };

// The nodes of the section tree, in the order they were added, numbered from
// 1. A node is a key in the scheme above, an image pair and a record whose
// section name (Root nodes) or key name (Tree nodes) is its text; it holds no
// copy of that text.
//
// Nodes are kept in runs: consecutive nodes with the same parent, kind and
// images whose IDs count up by one and whose records follow each other in
// their arena are one run. A tree built from a loaded file is two runs per
// section (its node, then its keys), so a million nodes cost a few thousand
// small structs and a bit each. The collection shares the ownership of the
// arenas its records come from, so that they outlive the store's list.
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

    qsizetype count() const { return qsizetype(m_expanded.size()); }

    // Adds a node as the last of the collection: top-level when `relativeKey`
    // is empty, else the last child of the node with that key. Throws
    // AppError when the key is taken, malformed, or the relative missing.
    // Returns the new node's index.
    qsizetype append(const QString &relativeKey, const QString &key, IniRecord *record, int image, int selectedImage);
    // The same with the key's parts and the parent's index (0 for top level).
    qsizetype addNode(qsizetype parentIndex, NodeKind kind, qint32 id, IniRecord *record, int image, int selectedImage);
    // Removes the node and its children; later nodes move up.
    void removeAt(qsizetype index);
    void clear();

    // Index of the node with `key`, 0 when none.
    qsizetype indexOf(const QString &key) const;

    // Per-node properties; `index` is 1-based and must be valid.
    QString key(qsizetype index) const;
    QString text(qsizetype index) const;
    NodeKind kind(qsizetype index) const { return run(index - 1).kind; }
    // The record whose name the node shows.
    IniRecord *record(qsizetype index) const;
    qint32 id(qsizetype index) const;
    int image(qsizetype index) const { return run(index - 1).image; }
    int selectedImage(qsizetype index) const { return run(index - 1).selectedImage; }
    // Index of the parent, 0 for a top-level node.
    qsizetype parentNode(qsizetype index) const { return run(index - 1).parent + 1; }
    // The top-level ancestor, or the node itself.
    qsizetype rootNode(qsizetype index) const;
    qsizetype childCount(qsizetype index) const;
    bool isExpanded(qsizetype index) const { return m_expanded[size_t(checked(index) - 1)]; }
    void setExpanded(qsizetype index, bool expanded);

    // The selected node, 0 when none.
    qsizetype selectedNode() const { return m_selected + 1; }
    void setSelectedNode(qsizetype index);

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

    // Nodes first .. first + count - 1: the first shows `record`, each
    // later one the record made after the one before in the same arena, with
    // the ID one higher.
    struct Run {
        IniRecord *record = nullptr;
        qint32 first = 0;
        qint32 count = 0;
        // Position of the parent of every node in the run, -1 for top level.
        qint32 parent = -1;
        qint32 id = 0;
        NodeKind kind = NodeKind::Root;
        quint8 image = 0;
        quint8 selectedImage = 0;
    };

    qsizetype checked(qsizetype index) const;
    // The run holding 0-based `position`, which must be valid.
    const Run &run(qsizetype position) const { return m_runs[runIndex(checked(position + 1) - 1)]; }
    size_t runIndex(qsizetype position) const;
    static IniRecord *recordAfter(IniRecord *record, qsizetype steps);
    void appendRun(qint32 parent, NodeKind kind, qint32 id, IniRecord *record, int image, int selectedImage);
    void keepArenaOf(const IniRecord &record);
    qsizetype positionOf(NodeKind kind, qint32 id) const;
    void willChange(RowChange kind, qsizetype first, qsizetype count);
    void didChange(RowChange kind, qsizetype first, qsizetype count);
    void moveSelection();
    bool quiet() const { return m_updateDepth > 0; }
    void buildOutline() const;
    void buildRows() const;
    qsizetype topOrdinal(qsizetype position) const;

    std::vector<Run> m_runs;
    // Per node, in collection order.
    std::vector<bool> m_expanded;
    std::vector<std::shared_ptr<RecordArena>> m_arenas;
    qsizetype m_selected = -1;
    // True while IDs grow along the collection, so a key is found by bisection.
    bool m_idsAscending = true;
    QHash<QString, qint32> m_topTexts;
    int m_updateDepth = 0;
    // The runs of the last two look-ups: walks go node by node, and often
    // between a key and its section.
    mutable size_t m_recentRuns[2] = {0, 0};

    // Derived outline, rebuilt lazily.
    mutable bool m_outlineValid = false;
    mutable bool m_rowsValid = false;
    mutable std::vector<qint32> m_tops; // positions of top-level nodes
    mutable std::vector<qint32> m_childStart; // per top-level node, its first child's place among all children
    mutable std::vector<qint32> m_childRunBegin; // per top-level node, into m_childRuns
    mutable std::vector<qint32> m_childRuns; // runs of children, grouped by parent, each group in collection order
    mutable std::vector<qint32> m_childRunOffset; // per entry of m_childRuns, the parent's children before it
    mutable std::vector<qsizetype> m_rowStart; // per top-level node, plus the total
};

// The node key of the scheme: "RootKey=12", "TreeKey=12".
QString nodeKey(NodeKind kind, qint32 id);
// True when the first seven characters of `key` are "RootKey".
bool isRootKey(const QString &key);
