#include "app_error.h"
#include "ini_store.h"
#include "node_collection.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "tree_build.h"

#include <QtTest>

// The tree of sections and keys, as built from loaded files, and the node
// collection's own rules: keys, indexes, removal, expansion and rows.
class TestNodeTree : public QObject {
    Q_OBJECT

    // Loads `bytes` and builds the tree from it, all sections expanded.
    struct Built {
        TestFolder dir;
        IniStore store{ScriptedUi::currentOrConsole()};
        NodeCollection nodes;
    };
    static std::unique_ptr<Built> build(const QByteArray &bytes, bool expand = true)
    {
        auto built = std::make_unique<Built>();
        built->store.setFileName(built->dir.write(QStringLiteral("t.ini"), bytes));
        built->store.load();
        fillTree(built->nodes, *built->store.records());
        if (expand)
            expandTree(built->nodes);
        return built;
    }

    // One line per visible row: indentation for children, key and text.
    static QStringList rows(const NodeCollection &nodes)
    {
        QStringList out;
        for (qsizetype row = 0; row < nodes.rowCount(); ++row) {
            const qsizetype n = nodes.nodeAtRow(row);
            out << (nodes.parentNode(n) ? QStringLiteral("  ") : QString()) + nodes.key(n) + QLatin1Char(' ')
                       + nodes.text(n);
        }
        return out;
    }

    // Records made for the collection alone, as the add dialog makes them.
    std::shared_ptr<RecordArena> m_arena = RecordArena::create();
    IniRecord *record(const QString &section, const QString &key, qint32 id)
    {
        IniRecord *r = m_arena->make();
        r->setSection(section);
        r->setKey(key);
        r->setId(id);
        return r;
    }

private Q_SLOTS:
    void buildsOneNodePerRecordInFileOrder()
    {
        ScriptedUi ui;
        const auto b = build("[Net]\r\nhost=a\r\nport=1\r\n[Empty]\r\n[Disp]\r\nw=2\r\n");
        QCOMPARE(rows(b->nodes), (QStringList{"RootKey=1 Net", "  TreeKey=2 host", "  TreeKey=3 port",
                                              "RootKey=4 Empty", "RootKey=5 Disp", "  TreeKey=6 w"}));
        // The node at index n belongs to the record with ID n.
        for (qsizetype i = 1; i <= b->nodes.count(); ++i)
            QCOMPARE(b->nodes.id(i), b->store.records()->at(i)->id());
        QCOMPARE(b->nodes.childCount(4), 0);
        QCOMPARE(b->nodes.image(1), kSectionImage);
        QCOMPARE(b->nodes.selectedImage(1), kSectionImage);
        QCOMPARE(b->nodes.image(2), kKeyImage);
        QCOMPARE(b->nodes.selectedImage(2), kKeyOpenImage);
    }

    void repeatedSectionsHangUnderTheSectionAddedLast()
    {
        ScriptedUi ui;
        // The second [A] header becomes an empty child of B, and its key follows it there.
        const auto b = build("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[A]\r\nz=3\r\n");
        QCOMPARE(rows(b->nodes), (QStringList{"RootKey=1 A", "  TreeKey=2 x", "RootKey=3 B", "  TreeKey=4 y",
                                              "  TreeKey=5 ", "  TreeKey=6 z"}));
    }

    void keysBeforeTheFirstHeaderAndCaseVariants()
    {
        ScriptedUi ui;
        const auto b = build("a=1\r\nb=2\r\n[Net]\r\nk=1\r\n[NET]\r\nk=2\r\n[]\r\nc=3\r\n");
        // The first key line makes a section node with empty text; [] is then a repeat of "".
        QCOMPARE(rows(b->nodes), (QStringList{"RootKey=1 ", "  TreeKey=2 b", "RootKey=3 Net", "  TreeKey=4 k",
                                              "RootKey=5 NET", "  TreeKey=6 k", "  TreeKey=7 ", "  TreeKey=8 c"}));
        QVERIFY(sectionNodeExists(b->nodes, QStringLiteral("Net")));
        QVERIFY(sectionNodeExists(b->nodes, QStringLiteral("NET")));
        QVERIFY(!sectionNodeExists(b->nodes, QStringLiteral("net")));
        QVERIFY(sectionNodeExists(b->nodes, QString()));
    }

    void keysFollowTheScheme()
    {
        QCOMPARE(nodeKey(NodeKind::Root, 12), QStringLiteral("RootKey=12"));
        QCOMPARE(nodeKey(NodeKind::Tree, 7), QStringLiteral("TreeKey=7"));
        QVERIFY(isRootKey(QStringLiteral("RootKey=1")));
        QVERIFY(isRootKey(QStringLiteral("RootKeyX")));
        QVERIFY(!isRootKey(QStringLiteral("rootKey=1")));
        QVERIFY(!isRootKey(QStringLiteral("TreeKey=1")));

        NodeCollection nodes;
        nodes.append({}, QStringLiteral("RootKey=5"), record("S", {}, 5), kSectionImage, kSectionImage);
        nodes.append(QStringLiteral("RootKey=5"), QStringLiteral("TreeKey=9"), record("S", "k", 9), kKeyImage,
                     kKeyOpenImage);
        QCOMPARE(nodes.indexOf(QStringLiteral("TreeKey=9")), 2);
        QCOMPARE(nodes.indexOf(QStringLiteral("RootKey=9")), 0);
        QCOMPARE(nodes.indexOf(QStringLiteral("TreeKey=09")), 0);

        auto failsWith = [&](ErrorKind kind, auto &&call) {
            try {
                call();
            } catch (const AppError &e) {
                return e.kind() == kind;
            }
            return false;
        };
        QVERIFY(failsWith(ErrorKind::KeyNotUnique,
                          [&] { nodes.append({}, QStringLiteral("RootKey=5"), record("T", {}, 5), 4, 4); }));
        QVERIFY(failsWith(ErrorKind::ElementNotFound, [&] {
            nodes.append(QStringLiteral("RootKey=77"), QStringLiteral("TreeKey=78"), record("T", "k", 78), 5, 6);
        }));
        QVERIFY(failsWith(ErrorKind::InvalidKey,
                          [&] { nodes.append({}, QStringLiteral("Other=1"), record("T", {}, 1), 4, 4); }));
        QVERIFY(failsWith(ErrorKind::InvalidArgument, [&] {
            nodes.append(QStringLiteral("TreeKey=9"), QStringLiteral("TreeKey=10"), record("S", "k", 10), 5, 6);
        }));
        QCOMPARE(nodes.count(), 2);
    }

    void keysStayFindableWhenIdsComeOutOfOrder()
    {
        NodeCollection nodes;
        nodes.append({}, QStringLiteral("RootKey=10"), record("A", {}, 10), 4, 4);
        nodes.append({}, QStringLiteral("RootKey=3"), record("B", {}, 3), 4, 4);
        nodes.append(QStringLiteral("RootKey=10"), QStringLiteral("TreeKey=4"), record("A", "k", 4), 5, 6);
        QCOMPARE(nodes.indexOf(QStringLiteral("RootKey=10")), 1);
        QCOMPARE(nodes.indexOf(QStringLiteral("RootKey=3")), 2);
        QCOMPARE(nodes.indexOf(QStringLiteral("TreeKey=4")), 3);
        QVERIFY_THROWS_EXCEPTION(AppError, nodes.append({}, QStringLiteral("RootKey=3"), record("C", {}, 3), 4, 4));
        // The later child still shows under its section, after the section's row.
        expandTree(nodes);
        QCOMPARE(rows(nodes), (QStringList{"RootKey=10 A", "  TreeKey=4 k", "RootKey=3 B"}));
    }

    void removingRenumbersAndTakesTheChildren()
    {
        ScriptedUi ui;
        const auto b = build("[A]\r\nx=1\r\n[B]\r\ny=2\r\nz=3\r\n[C]\r\nw=4\r\n");
        b->nodes.setSelectedNode(6); // C
        b->nodes.removeAt(3); // B with y and z
        QCOMPARE(b->nodes.count(), 4);
        QCOMPARE(rows(b->nodes), (QStringList{"RootKey=1 A", "  TreeKey=2 x", "RootKey=6 C", "  TreeKey=7 w"}));
        QCOMPARE(b->nodes.parentNode(4), 3);
        QCOMPARE(b->nodes.selectedNode(), 3);
        QVERIFY(!sectionNodeExists(b->nodes, QStringLiteral("B")));
        QCOMPARE(b->nodes.indexOf(QStringLiteral("TreeKey=7")), 4);

        // A removed selection passes to the node now on its row.
        b->nodes.setSelectedNode(2);
        b->nodes.removeAt(2);
        QCOMPARE(b->nodes.key(b->nodes.selectedNode()), QStringLiteral("RootKey=6"));
        QVERIFY_THROWS_EXCEPTION(AppError, b->nodes.removeAt(9));
        b->nodes.clear();
        QCOMPARE(b->nodes.selectedNode(), 0);
        QCOMPARE(b->nodes.rowCount(), 0);
    }

    void rowsFollowExpansion()
    {
        ScriptedUi ui;
        const auto b = build("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n", false);
        QCOMPARE(rows(b->nodes), (QStringList{"RootKey=1 A", "RootKey=4 B"}));
        QCOMPARE(b->nodes.rowOfNode(2), -1);

        // The row changes the collection announces to its views.
        struct Change {
            bool inserted;
            int first;
            int count;
        };
        QList<Change> changes;
        QObject::connect(&b->nodes, &QAbstractItemModel::rowsInserted, [&](const QModelIndex &, int first, int last) {
            changes.append({true, first, last - first + 1});
        });
        QObject::connect(&b->nodes, &QAbstractItemModel::rowsRemoved, [&](const QModelIndex &, int first, int last) {
            changes.append({false, first, last - first + 1});
        });
        b->nodes.setExpanded(1, true);
        QCOMPARE(changes.size(), 1);
        QVERIFY(changes[0].inserted);
        QCOMPARE(changes[0].first, 1);
        QCOMPARE(changes[0].count, 2);
        QCOMPARE(b->nodes.rowOfNode(4), 3);

        // Selecting a hidden key opens its section; collapsing moves the selection up.
        b->nodes.setSelectedNode(5);
        QVERIFY(b->nodes.isExpanded(4));
        QCOMPARE(b->nodes.rowOfNode(5), 4);
        b->nodes.setExpanded(4, false);
        QCOMPARE(b->nodes.selectedNode(), 4);
        QVERIFY(!changes.last().inserted);
        QCOMPARE(changes.last().first, 4);

        // Adding a key to an open section inserts its row after the section's last key.
        changes.clear();
        b->nodes.append(QStringLiteral("RootKey=1"), QStringLiteral("TreeKey=9"), record("A", "n", 9), 5, 6);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0].first, 3);
        QCOMPARE(rows(b->nodes),
                 (QStringList{"RootKey=1 A", "  TreeKey=2 x", "  TreeKey=3 y", "  TreeKey=9 n", "RootKey=4 B"}));
    }
};

QTEST_GUILESS_MAIN(TestNodeTree)
#include "test_node_tree.moc"
