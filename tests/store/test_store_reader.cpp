#include "app_error.h"
#include "ini_store.h"
#include "reference_encodings.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QtTest>

class TestStoreReader : public QObject {
    Q_OBJECT

    using Row = std::tuple<QString, QString, QString, qint32>;

    static QList<Row> load(const QByteArray &bytes)
    {
        TestFolder dir;
        ScriptedUi ui;
        IniStore store(ui);
        store.setFileName(dir.write(QStringLiteral("t.ini"), bytes));
        store.load();
        return rows(store);
    }
    static QList<Row> rows(const IniStore &store)
    {
        QList<Row> out;
        for (IniRecord *r : *store.records())
            out.append({r->section(), r->key(), r->value(), r->id()});
        return out;
    }
    static Row row(const char *s, const char *k, const char *v, qint32 id)
    {
        return {QString::fromUtf8(s), QString::fromUtf8(k), QString::fromUtf8(v), id};
    }

private Q_SLOTS:
    void recognisesTheThreeKindsOfLine()
    {
        ScriptedUi ui;
        QCOMPARE(load(""), QList<Row>{});
        QCOMPARE(load("[A]"), QList<Row>{row("A", "", "", 1)});
        QCOMPARE(load("x=1\r\n[A]\r\ny=2\r\n[A]\r\ny=3\r\n"),
                 (QList<Row>{row("", "x", "1", 1), row("A", "", "", 2), row("A", "y", "2", 3), row("A", "", "", 4),
                             row("A", "y", "3", 5)}));
        QCOMPARE(load("[A]\r\n [B]\r\nz=1\r\n"), (QList<Row>{row("A", "", "", 1), row("A", "z", "1", 2)}));
        QCOMPARE(load(" [B]\r\nz=1\r\n[C] note\r\n"), QList<Row>{row("", "z", "1", 1)});
        QCOMPARE(load(";comment\r\n;k=v\r\n"), QList<Row>{row("", ";k", "v", 1)});
        QCOMPARE(load("[a=b]\r\n[]\r\na=b=c\r\na=\r\n=b\r\n a = b \r\n"),
                 (QList<Row>{row("a=b", "", "", 1), row("", "", "", 2), row("", "a", "b=c", 3), row("", "a", "", 4),
                             row("", "", "b", 5), row("", " a ", " b ", 6)}));
        QCOMPARE(load("[\t]\r\n\tk\t=\tv\t"), (QList<Row>{row("\t", "", "", 1), row("\t", "\tk\t", "\tv\t", 2)}));
    }

    void readsEveryLineEndAndEncoding()
    {
        ScriptedUi ui;
        QCOMPARE(load("[A]\rk=1\nj=2\r\n"),
                 (QList<Row>{row("A", "", "", 1), row("A", "k", "1", 2), row("A", "j", "2", 3)}));
        QCOMPARE(load("\xEF\xBB\xBF[A]\r\n"), QList<Row>{row("A", "", "", 1)});
        QCOMPARE(load("[\xC3\xA9]\r\nk=\xE2\x82\xAC\r\n"),
                 (QList<Row>{row("\xC3\xA9", "", "", 1), row("\xC3\xA9", "k", "\xE2\x82\xAC", 2)}));
        QCOMPARE(load("k=caf\xE9\r\n"), QList<Row>{row("", "k", "caf\xC3\xA9", 1)});
    }

    // A UTF-16 file, in either byte order, reads as its text, not as bytes.
    void utf16FilesLoadWithTheirNames()
    {
        ScriptedUi ui;
        const QString text = QString::fromUtf8("; c\r\n[R\xC3\xA9seau]\r\nH\xC3\xB4te=a b\r\n[\xE4\xB8\xAD]\n"
                                               "\xF0\x9F\x98\x80=\xE2\x82\xAC\r");
        for (const ReferenceEncoding e : {ReferenceEncoding::Utf16LE, ReferenceEncoding::Utf16BE})
            QCOMPARE(load(*referenceFileBytes(text, e)),
                     (QList<Row>{row("R\xC3\xA9seau", "", "", 1), row("R\xC3\xA9seau", "H\xC3\xB4te", "a b", 2),
                                 row("\xE4\xB8\xAD", "", "", 3),
                                 row("\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xE2\x82\xAC", 4)}));
    }

    void longLinesLoad()
    {
        ScriptedUi ui;
        const QByteArray value(100000, 'v');
        const QList<Row> got = load("[A]\r\nk=" + value + "\r\n[" + QByteArray(40000, 's') + "]\r\n");
        QCOMPARE(got.size(), 3);
        QCOMPARE(std::get<2>(got[1]).size(), 100000);
        QCOMPARE(std::get<0>(got[2]).size(), 40000);
    }

    void failuresArePassedOnAsLoadErrors()
    {
        ScriptedUi ui;
        TestFolder dir;
        IniStore store(ui);
        try {
            store.load();
            QFAIL("loading without a name must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::LoadFailed);
            QCOMPARE(e.description(), QStringLiteral("Filename is missing"));
        }

        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=v\r\n");
        store.setFileName(file);
        QVERIFY(store.load());
        const auto kept = store.records();
        QFile::remove(file);
        try {
            store.load();
            QFAIL("loading a vanished file must fail");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), ErrorKind::LoadFailed);
            QCOMPARE(e.description(), file + QStringLiteral(" File Not Found"));
        }
        QCOMPARE(store.records(), kept);
        QCOMPARE(store.records()->count(), 2);

        // A later load of another file works.
        store.setFileName(dir.write(QStringLiteral("b.ini"), "[B]\r\n"));
        QVERIFY(store.load());
        QCOMPARE(store.records()->count(), 1);
        // A caller holding the old list keeps the old records.
        QCOMPARE(kept->count(), 2);
        QCOMPARE(kept->at(2)->value(), QStringLiteral("v"));
    }

    void unreadableFileFailsWithTheSystemsWords()
    {
        if (::geteuid() == 0)
            QSKIP("root may read any file");
        ScriptedUi ui;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\n");
        QFile::setPermissions(file, QFileDevice::WriteOwner);
        IniStore store(ui);
        store.setFileName(file);
        QVERIFY_THROWS_EXCEPTION(AppError, store.load());
    }

    void lookUpIgnoresLetterCaseAndTakesTheFirst()
    {
        ScriptedUi ui;
        TestFolder dir;
        IniStore store(ui);
        store.setFileName(
            dir.write(QStringLiteral("a.ini"), "[MixedSec]\r\nKEY=1\r\nKEY=2\r\n[\xC3\xA9t\xC3\xA9]\r\nk=3\r\n"));
        store.load();
        QCOMPARE(store.value(QStringLiteral("MIXEDSEC"), QStringLiteral("key")), QStringLiteral("1"));
        QCOMPARE(store.value(QString::fromUtf8("\xC3\x89T\xC3\x89"), QStringLiteral("K")), QStringLiteral("3"));
        QCOMPARE(store.value(QStringLiteral("MixedSec"), QStringLiteral("KEY ")), QString());
        QCOMPARE(store.value(QStringLiteral("nosuch"), QStringLiteral("KEY")), QString());
        // Memory only: the file is not consulted.
        QFile::remove(store.fileName());
        QCOMPARE(store.value(QStringLiteral("mixedsec"), QStringLiteral("key")), QStringLiteral("1"));
    }

    void recordsAreSharedAndNumbered()
    {
        ScriptedUi ui;
        TestFolder dir;
        IniStore store(ui);
        store.setFileName(dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\nj=2\r\nl=3\r\n"));
        store.load();
        IniRecord *const fetched = store.records()->at(2);
        fetched->setValue(QStringLiteral("changed"));
        QCOMPARE(store.value(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("changed"));
        fetched->setKey(QStringLiteral("renamed"));
        QCOMPARE(store.value(QStringLiteral("a"), QStringLiteral("RENAMED")), QStringLiteral("changed"));

        QCOMPARE(store.records()->nextId(), 5);
        store.records()->removeAt(2);
        // No ID is handed out twice, even after a deletion in the middle.
        QCOMPARE(store.records()->nextId(), 5);
        store.records()->removeAt(3);
        QCOMPARE(store.records()->nextId(), 4);
        QVERIFY_THROWS_EXCEPTION(AppError, store.records()->at(3));
        QVERIFY_THROWS_EXCEPTION(AppError, store.records()->removeAt(0));
    }
};

QTEST_APPLESS_MAIN(TestStoreReader)
#include "test_store_reader.moc"
