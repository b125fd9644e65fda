#include "app_error.h"
#include "node_collection.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

// The node collection keeps runs of nodes instead of one entry per node.
// Whatever is added, removed, opened and selected, it must answer every
// question as a plain list of nodes does.
class TestNodeRuns : public QObject {
    Q_OBJECT

    struct Node {
        IniRecord *record;
        qint32 id;
        qsizetype parent; // 1-based, 0 for top level
        NodeKind kind;
        int image;
        int selectedImage;
        bool expanded = false;
    };

    // The reference: every node spelt out, rows worked out from scratch.
    struct Reference {
        QList<Node> nodes;
        qsizetype selected = 0;

        QList<qsizetype> rows() const
        {
            QList<qsizetype> out;
            for (qsizetype i = 1; i <= nodes.size(); ++i) {
                if (nodes[i - 1].parent != 0)
                    continue;
                out.append(i);
                if (nodes[i - 1].expanded)
                    for (qsizetype c = 1; c <= nodes.size(); ++c)
                        if (nodes[c - 1].parent == i)
                            out.append(c);
            }
            return out;
        }
        qsizetype children(qsizetype index) const
        {
            return std::count_if(nodes.begin(), nodes.end(), [&](const Node &n) { return n.parent == index; });
        }
        void remove(qsizetype index)
        {
            const QList<qsizetype> before = rows();
            const qsizetype selectedRow = before.indexOf(selected);
            QList<qsizetype> newIndex(nodes.size() + 1, 0);
            QList<Node> kept;
            for (qsizetype i = 1; i <= nodes.size(); ++i) {
                if (i == index || (nodes[i - 1].parent == index && nodes[index - 1].parent == 0))
                    continue;
                kept.append(nodes[i - 1]);
                newIndex[i] = kept.size();
            }
            for (Node &n : kept)
                n.parent = newIndex[n.parent];
            nodes = kept;
            if (selected == 0)
                return;
            if (newIndex[selected] != 0) {
                selected = newIndex[selected];
                return;
            }
            const QList<qsizetype> after = rows();
            selected = after.isEmpty() ? 0 : after[std::clamp<qsizetype>(selectedRow, 0, after.size() - 1)];
        }
    };

    static void compare(const NodeCollection &nodes, const Reference &reference)
    {
        QCOMPARE(nodes.count(), reference.nodes.size());
        QCOMPARE(nodes.selectedNode(), reference.selected);
        for (qsizetype i = 1; i <= nodes.count(); ++i) {
            const Node &n = reference.nodes[i - 1];
            QCOMPARE(nodes.record(i), n.record);
            QCOMPARE(nodes.id(i), n.id);
            QCOMPARE(nodes.kind(i), n.kind);
            QCOMPARE(nodes.parentNode(i), n.parent);
            QCOMPARE(nodes.rootNode(i), n.parent == 0 ? i : n.parent);
            QCOMPARE(nodes.image(i), n.image);
            QCOMPARE(nodes.selectedImage(i), n.selectedImage);
            QCOMPARE(nodes.isExpanded(i), n.expanded);
            QCOMPARE(nodes.childCount(i), n.parent == 0 ? reference.children(i) : 0);
            QCOMPARE(nodes.indexOf(nodes.key(i)), i);
        }
        const QList<qsizetype> rows = reference.rows();
        QCOMPARE(nodes.rowCount(), int(rows.size()));
        for (qsizetype row = 0; row < rows.size(); ++row) {
            QCOMPARE(nodes.nodeAtRow(row), rows[row]);
            QCOMPARE(nodes.rowOfNode(rows[row]), row);
        }
        for (qsizetype i = 1; i <= nodes.count(); ++i)
            if (!rows.contains(i))
                QCOMPARE(nodes.rowOfNode(i), -1);
    }

private Q_SLOTS:
    void runsAnswerAsAListOfNodes()
    {
        for (int round = 0; round < 150; ++round) {
            QRandomGenerator random{quint32(round) + 3};
            const auto arena = RecordArena::create();
            NodeCollection nodes;
            Reference reference;
            qint32 nextId = 1;
            auto add = [&](qsizetype parent, NodeKind kind, int image, int selectedImage) -> bool {
                // IDs mostly count up, as a load numbers its records, and now and then jump back.
                const qint32 id = random.bounded(10) == 0 ? random.bounded(1, nextId + 1) : nextId++;
                IniRecord *const record = arena->make();
                record->setSection(QStringLiteral("S%1").arg(random.bounded(4)));
                record->setKey(QStringLiteral("k%1").arg(id));
                record->setId(id);
                const QString parentKey = parent == 0 ? QString() : nodes.key(parent);
                try {
                    nodes.append(parentKey, nodeKey(kind, id), record, image, selectedImage);
                } catch (const AppError &) {
                    // A key already taken: the reference must hold it too.
                    const bool taken = std::any_of(reference.nodes.begin(), reference.nodes.end(),
                                                   [&](const Node &n) { return n.id == id && n.kind == kind; });
                    if (!taken)
                        QTest::qFail("a free key was refused", __FILE__, __LINE__);
                    return false;
                }
                reference.nodes.append(Node{record, id, parent, kind, image, selectedImage});
                return true;
            };
            auto randomTop = [&]() -> qsizetype {
                QList<qsizetype> tops;
                for (qsizetype i = 1; i <= reference.nodes.size(); ++i)
                    if (reference.nodes[i - 1].parent == 0)
                        tops.append(i);
                return tops.isEmpty() ? 0 : tops[random.bounded(int(tops.size()))];
            };

            // A tree as a load builds it: sections, each with its keys.
            const int sections = random.bounded(0, 6);
            for (int s = 0; s < sections; ++s) {
                if (!add(0, NodeKind::Root, 4, 4))
                    continue;
                const qsizetype top = reference.nodes.size();
                const int keys = random.bounded(0, 6);
                for (int k = 0; k < keys; ++k)
                    add(top, NodeKind::Tree, 5, 6);
            }
            compare(nodes, reference);

            for (int step = 0; step < 25; ++step) {
                const qsizetype count = reference.nodes.size();
                const qsizetype any = count == 0 ? 0 : random.bounded(int(count)) + 1;
                switch (random.bounded(6)) {
                case 0:
                    add(0, random.bounded(4) ? NodeKind::Root : NodeKind::Tree, 4, 4);
                    break;
                case 1:
                    if (const qsizetype top = randomTop())
                        add(top, NodeKind::Tree, random.bounded(3) ? 5 : 7, 6);
                    break;
                case 2:
                    if (any) {
                        nodes.removeAt(any);
                        reference.remove(any);
                    }
                    break;
                case 3:
                    if (any) {
                        const bool open = random.bounded(2);
                        nodes.setExpanded(any, open);
                        reference.nodes[any - 1].expanded = open;
                        // A collapsed section hides its keys; a hidden selection moves up to it.
                        if (!open && reference.selected && reference.nodes[reference.selected - 1].parent == any)
                            reference.selected = any;
                    }
                    break;
                default:
                    if (any && any != reference.selected) {
                        nodes.setSelectedNode(any);
                        if (const qsizetype parent = reference.nodes[any - 1].parent)
                            reference.nodes[parent - 1].expanded = true;
                        reference.selected = any;
                    }
                }
                compare(nodes, reference);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestNodeRuns)
#include "test_node_runs.moc"
