#pragma once

#include "node_collection.h"
#include "record_list.h"

#include <QStringList>

// What the Delete commands read from the tree, kept apart from the window so
// that the command-line tool deletes exactly what the window would.

// The key names Delete > Section hands to the store, one per node, in node
// order: every key node under a section node showing `section`, and every
// section node showing it (which passes the section's own name as the key).
QStringList sectionDeletionKeys(const NodeCollection &nodes, const QString &section);
// The same keys for the tree the records make: what Delete > Section means
// on records read again after the file changed on disk.
QStringList sectionDeletionKeysOf(const RecordList &records, const QString &section);

// The section node a node stands for: itself when it is a section node (by
// its key), else its parent. `index` must be valid.
qsizetype sectionNodeOf(const NodeCollection &nodes, qsizetype index);

// The top-level node showing exactly `text`, 0 when none.
qsizetype sectionNodeIndex(const NodeCollection &nodes, const QString &text);

// Removes the nodes that show `records`, so that the tree shows no record
// the store no longer holds.
void dropNodesOf(NodeCollection &nodes, const QList<IniRecord *> &records);
