#include "tree_build.h"

#include "app_error.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcTree, "larkspur.tree")
}

bool sectionNodeExists(const NodeCollection &nodes, const QString &section)
{
    return nodes.hasTopLevelText(section);
}

void fillTree(NodeCollection &nodes, const RecordList &records)
{
    nodes.beginUpdate();
    qsizetype currentSection = 0;
    // While the section does not change, its node is known to exist and
    // the look-up is skipped.
    SectionRun run;
    for (IniRecord *record : records) {
        try {
            const bool exists = !run.changed(*record) || sectionNodeExists(nodes, record->section());
            if (!exists)
                currentSection = nodes.addNode(0, NodeKind::Root, record->id(), record, kSectionImage, kSectionImage);
            else
                nodes.addNode(currentSection, NodeKind::Tree, record->id(), record, kKeyImage, kKeyOpenImage);
        } catch (const AppError &error) {
            run.reset();
            // A node that cannot be added is left out; the build goes on.
            qCWarning(lcTree) << "record" << record->id() << "left out of the tree:" << error.description();
        }
    }
    nodes.endUpdate();
}

void expandTree(NodeCollection &nodes)
{
    nodes.beginUpdate();
    for (qsizetype i = 1; i <= nodes.count(); ++i)
        // Every key of the scheme starts with its kind's prefix.
        if (nodes.kind(nodes.rootNode(i)) == NodeKind::Root)
            nodes.setExpanded(i, true);
    nodes.endUpdate();
}
