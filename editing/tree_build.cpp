#include "tree_build.h"

#include "app_error.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcTree, "larkspur.tree")
}

bool SectionNodeExists(const NodeCollection &nodes, const QString &section)
{
    return nodes.hasTopLevelText(section);
}

void FillTree(NodeCollection &nodes, const clsINIList &records)
{
    nodes.beginUpdate();
    qsizetype currentSection = 0;
    // While the section does not change, its node is known to exist and
    // the look-up is skipped.
    SectionRun run;
    for (const clsINIPtr &record : records) {
        try {
            const bool exists = !run.changed(*record) || SectionNodeExists(nodes, record->Section());
            if (!exists)
                currentSection = nodes.AddNode(0, NodeKind::Root, record->ID(), record, kSectionImage, kSectionImage);
            else
                nodes.AddNode(currentSection, NodeKind::Tree, record->ID(), record, kKeyImage, kKeyOpenImage);
        } catch (const AppError &error) {
            run.reset();
            // A node that cannot be added is left out; the build goes on.
            qCWarning(lcTree) << "record" << record->ID() << "left out of the tree:" << error.description();
        }
    }
    nodes.endUpdate();
}

void ExpandTree(NodeCollection &nodes)
{
    nodes.beginUpdate();
    for (qsizetype i = 1; i <= nodes.Count(); ++i)
        // Every key of the scheme starts with its kind's prefix.
        if (nodes.Kind(nodes.Root(i)) == NodeKind::Root)
            nodes.setExpanded(i, true);
    nodes.endUpdate();
}
