#include "app_error.h"
#include "ini_store.h"
#include "node_collection.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "tree_build.h"
#include "tree_commands.h"

#include <QRandomGenerator>
#include <QtTest>

// Deleting many keys of a section with one rewrite must leave exactly what
// the same deletions one by one would: file, backup and records.
class TestStoreBatchDelete : public QObject {
    Q_OBJECT

    using Row = std::tuple<QString, QString, QString, qint32>;

    static QList<Row> rows(const IniStore &store)
    {
        QList<Row> out;
        for (IniRecord *r : *store.records())
            out.append({r->section(), r->key(), r->value(), r->id()});
        return out;
    }

    static QList<Row> rows(const QList<IniRecord *> &records)
    {
        QList<Row> out;
        for (IniRecord *r : records)
            out.append({r->section(), r->key(), r->value(), r->id()});
        return out;
    }

    // A small file with repeated sections, letter-case variants, duplicate
    // keys, keys named like their section and keys before the first header.
    static QByteArray randomFile(QRandomGenerator &random)
    {
        static const QList<QByteArray> sections = {"A", "a", "B", "S"};
        static const QList<QByteArray> keys = {"k", "K", "j", "A", "s", " k"};
        QByteArray text;
        if (random.bounded(3) == 0)
            text += "k=top\r\n";
        const int blocks = random.bounded(1, 7);
        for (int b = 0; b < blocks; ++b) {
            text += "[" + sections[random.bounded(int(sections.size()))] + "]\r\n";
            const int lines = random.bounded(0, 5);
            for (int l = 0; l < lines; ++l)
                text +=
                    keys[random.bounded(int(keys.size()))] + "=v" + QByteArray::number(random.bounded(100)) + "\r\n";
            if (random.bounded(4) == 0)
                text += "; note\r\n";
        }
        return text;
    }

private Q_SLOTS:
    void oneRewriteEqualsOnePerKey()
    {
        ScriptedUi ui;
        int compared = 0;
        for (int round = 0; round < 400; ++round) {
            QRandomGenerator random{quint32(round) + 7};
            const QByteArray text = randomFile(random);
            TestFolder dir;
            const QString one = dir.write(QStringLiteral("one.ini"), text);
            const QString many = dir.write(QStringLiteral("many.ini"), text);

            IniStore batch(ui);
            batch.setFileName(one);
            batch.load();
            NodeCollection nodes;
            fillTree(nodes, *batch.records());
            if (nodes.count() == 0)
                continue;
            // Any section node, as the user would pick it.
            QList<qsizetype> sectionNodes;
            for (qsizetype i = 1; i <= nodes.count(); ++i)
                if (nodes.parentNode(i) == 0)
                    sectionNodes.append(i);
            const QString section = nodes.text(sectionNodes[random.bounded(int(sectionNodes.size()))]);
            const QStringList keys = sectionDeletionKeys(nodes, section);

            IniStore sequential(ui);
            sequential.setFileName(many);
            sequential.load();
            for (const QString &key : keys)
                sequential.deleteKey(section, key);
            batch.deleteKeys(section, keys);

            QCOMPARE(TestFolder::read(one), TestFolder::read(many));
            QCOMPARE(rows(batch), rows(sequential));
            // The backup holds the file as it was before the command.
            QCOMPARE(TestFolder::read(dir.path(QStringLiteral("one.old"))), text);
            ++compared;
        }
        QVERIFY(compared > 300);
    }

    void aFailedRewriteLeavesEveryRecord()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray text = "[A]\r\nk=1\r\nj=2\r\nk=3\r\n[B]\r\nx=1\r\n";
        const QString path = dir.write(QStringLiteral("ro.ini"), text);
        TestFolder::makeReadOnly(path);
        IniStore store(ui);
        store.setFileName(path);
        store.load();
        const QList<Row> before = rows(store);

        try {
            store.deleteKeys(QStringLiteral("A"), {QStringLiteral("j"), QStringLiteral("k"), QStringLiteral("A")});
            QFAIL("a read-only file must refuse the rewrite");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::PathFileAccess);
        }
        // The file still holds every key, and so does the store.
        QCOMPARE(TestFolder::read(path), text);
        QCOMPARE(rows(store), before);
        QVERIFY(store.lastRemoved().isEmpty());
    }

    void lastRemovedNamesEveryRecordTakenOut()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=1\r\n");
        IniStore store(ui);
        store.setFileName(path);
        store.load();
        const QList<Row> before = rows(store);
        store.deleteKeys(QStringLiteral("a"), {QStringLiteral("K"), QStringLiteral("missing"), QStringLiteral("j")});
        QCOMPARE(rows(store.lastRemoved()), (QList<Row>{before[1], before[2]}));
        QCOMPARE(TestFolder::read(path), QByteArray("[B]\r\nx=1\r\n"));
        store.deleteKey(QStringLiteral("B"), QStringLiteral("x"));
        QCOMPARE(rows(store.lastRemoved()), QList<Row>{before[4]});
    }
};

QTEST_GUILESS_MAIN(TestStoreBatchDelete)
#include "test_store_batch_delete.moc"
