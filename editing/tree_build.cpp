#include "tree_build.h"

#include "app_error.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcTree, "larkspur.tree")
}

bool SectionNodeExists(const NodeCollection &nodes, const QString &section) {
    return nodes.hasTopLevelText(section);
}

void FillTree(NodeCollection &nodes, const clsINIList &records) {
    nodes.beginUpdate();
    QString currentSectionKey;
    // Records of one section share their section string; while it does not
    // change, the section's node is known to exist and the look-up is skipped.
    const void *knownSection = nullptr;
    qsizetype knownSize = -1;
    for (const clsINIPtr &record : records) {
        try {
            const QString section = record->Section();
            const bool exists = (record->sectionIdentity() == knownSection && section.size() == knownSize)
                                || SectionNodeExists(nodes, section);
            if (!exists) {
                const QString key = nodeKey(NodeKind::Root, record->ID());
                nodes.Add(QString(), key, record, kSectionImage, kSectionImage);
                currentSectionKey = key;
            } else {
                nodes.Add(currentSectionKey, nodeKey(NodeKind::Tree, record->ID()), record, kKeyImage,
                          kKeyOpenImage);
            }
            knownSection = record->sectionIdentity();
            knownSize = section.size();
        } catch (const AppError &error) {
            // A node that cannot be added is left out; the build goes on.
            qCWarning(lcTree) << "record" << record->ID() << "left out of the tree:" << error.description();
        }
    }
    nodes.endUpdate();
}

void ExpandTree(NodeCollection &nodes) {
    nodes.beginUpdate();
    for (qsizetype i = 1; i <= nodes.Count(); ++i)
        // Every key of the scheme starts with its kind's prefix.
        if (nodes.Kind(nodes.Root(i)) == NodeKind::Root)
            nodes.setExpanded(i, true);
    nodes.endUpdate();
}
