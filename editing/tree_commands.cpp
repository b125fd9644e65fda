#include "tree_commands.h"

#include "tree_build.h"

QStringList sectionDeletionKeys(const NodeCollection &nodes, const QString &section)
{
    QStringList keys;
    for (qsizetype i = 1; i <= nodes.count(); ++i) {
        const qsizetype parent = nodes.parentNode(i);
        if (parent == 0) {
            if (nodes.text(i) == section)
                keys.append(section);
        } else if (nodes.text(parent) == section) {
            keys.append(nodes.text(i));
        }
    }
    return keys;
}

QStringList sectionDeletionKeysOf(const RecordList &records, const QString &section)
{
    NodeCollection nodes;
    fillTree(nodes, records);
    return sectionDeletionKeys(nodes, section);
}

qsizetype sectionNodeOf(const NodeCollection &nodes, qsizetype index)
{
    return isRootKey(nodes.key(index)) ? index : nodes.parentNode(index);
}

qsizetype sectionNodeIndex(const NodeCollection &nodes, const QString &text)
{
    if (!nodes.hasTopLevelText(text))
        return 0;
    for (qsizetype i = 1; i <= nodes.count(); ++i)
        if (nodes.parentNode(i) == 0 && nodes.text(i) == text)
            return i;
    return 0;
}

void dropNodesOf(NodeCollection &nodes, const QList<IniRecord *> &records)
{
    for (IniRecord *record : records) {
        for (NodeKind kind : {NodeKind::Tree, NodeKind::Root}) {
            const qsizetype index = nodes.indexOf(nodeKey(kind, record->id()));
            // IDs come back into use after deletions; the record itself tells.
            if (index != 0 && nodes.record(index) == record) {
                nodes.removeAt(index);
                break;
            }
        }
    }
}
