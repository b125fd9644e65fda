#include "tree_commands.h"

#include "tree_build.h"

QStringList SectionDeletionKeys(const NodeCollection &nodes, const QString &section)
{
    QStringList keys;
    for (qsizetype i = 1; i <= nodes.Count(); ++i) {
        const qsizetype parent = nodes.Parent(i);
        if (parent == 0) {
            if (nodes.Text(i) == section)
                keys.append(section);
        } else if (nodes.Text(parent) == section) {
            keys.append(nodes.Text(i));
        }
    }
    return keys;
}

QStringList SectionDeletionKeysOf(const clsINIList &records, const QString &section)
{
    NodeCollection nodes;
    FillTree(nodes, records);
    return SectionDeletionKeys(nodes, section);
}

qsizetype SectionNodeOf(const NodeCollection &nodes, qsizetype index)
{
    return isRootKey(nodes.Key(index)) ? index : nodes.Parent(index);
}

qsizetype SectionNodeIndex(const NodeCollection &nodes, const QString &text)
{
    if (!nodes.hasTopLevelText(text))
        return 0;
    for (qsizetype i = 1; i <= nodes.Count(); ++i)
        if (nodes.Parent(i) == 0 && nodes.Text(i) == text)
            return i;
    return 0;
}

void DropNodesOf(NodeCollection &nodes, const QList<clsINIPtr> &records)
{
    for (const clsINIPtr &record : records) {
        for (NodeKind kind : {NodeKind::Tree, NodeKind::Root}) {
            const qsizetype index = nodes.Find(nodeKey(kind, record->ID()));
            // IDs come back into use after deletions; the record itself tells.
            if (index != 0 && nodes.Record(index) == record) {
                nodes.Remove(index);
                break;
            }
        }
    }
}
