#pragma once

#include "node_collection.h"
#include "record_list.h"

// Image-list indexes of the tree's node pictures.
inline constexpr int kSectionImage = 4;
inline constexpr int kKeyImage = 5;
inline constexpr int kKeyOpenImage = 6;

// True when a top-level node of `nodes` shows exactly `section` (letter case counts).
bool sectionNodeExists(const NodeCollection &nodes, const QString &section);

// Adds one node per record of `records`, in order: a record whose section has
// no top-level node yet becomes one; every other record becomes a child of
// the top-level node added last. A record whose node cannot be added is
// skipped. The window and the command-line tool build the same tree here.
void fillTree(NodeCollection &nodes, const RecordList &records);

// Opens every node whose top-level ancestor is a section node.
void expandTree(NodeCollection &nodes);
