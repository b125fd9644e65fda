#include "add_entry.h"
#include "ini_store.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QtTest>

// The window's add: the record and the file change together, or neither does.
class TestAddEntry : public QObject {
    Q_OBJECT

    static QStringList rows(const IniStore &store)
    {
        QStringList out;
        for (IniRecord *r : *store.records())
            out << r->section() + u'|' + r->key() + u'|' + r->value();
        return out;
    }

private Q_SLOTS:
    void addedKeyAndSectionAreInFileAndRecords()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        IniStore store(ui);
        store.setFileName(path);
        store.load();

        IniRecord *key = addKey(store, QStringLiteral("A"), QStringLiteral(" j "), QStringLiteral("2"));
        QVERIFY(key);
        QCOMPARE(key->key(), QStringLiteral("j"));
        IniRecord *section = addSection(store, QStringLiteral(" B "));
        QVERIFY(section);
        QCOMPARE(rows(store), (QStringList{"A||", "A|k|1", "A|j|2", "B||"}));
        QCOMPARE(TestFolder::read(path), QByteArray("[A]\r\nk=1\r\nj=2\r\n[B]\r\n"));
        QVERIFY(!addKey(store, QStringLiteral("A"), QStringLiteral("  "), QStringLiteral("3")));
        QVERIFY(!addSection(store, QStringLiteral(" ")));
        QCOMPARE(store.records()->count(), 4);
        QVERIFY(ui.messages.isEmpty());
    }

    void refusedWriteLeavesEveryRecordAsItWas()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QByteArray bytes = "[A]\r\nk=1\r\n";
        const QString path = dir.write(QStringLiteral("a.ini"), bytes);
        IniStore store(ui);
        store.setFileName(path);
        store.load();
        TestFolder::makeReadOnly(path);
        const QStringList before = rows(store);

        // A key of the same name: the existing record keeps its own value.
        QVERIFY(!addKey(store, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")));
        QVERIFY(!addKey(store, QStringLiteral("A"), QStringLiteral("n"), QStringLiteral("3")));
        QVERIFY(!addSection(store, QStringLiteral("B")));
        QCOMPARE(rows(store), before);
        QCOMPARE(TestFolder::read(path), bytes);
        QCOMPARE(ui.messages.size(), 3);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Cannot save setting, file is Read Only"));
        QCOMPARE(ui.messages[1].text, QStringLiteral("Cannot save setting, file is Read Only"));
    }
};

QTEST_MAIN(TestAddEntry)
#include "test_add_entry.moc"
