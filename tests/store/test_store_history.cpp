#include "app_error.h"
#include "append_line.h"
#include "file_history.h"
#include "ini_store.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QFile>
#include <QtTest>

// The store keeps the file's contents before each of its writes, under the
// write's own command, and writes a version back as one more write.
class TestStoreHistory : public QObject {
    Q_OBJECT

    static constexpr char kCommented[] = "; Settings of the app\r\n"
                                         ";   (edit with care)\r\n"
                                         "\r\n"
                                         "[Net]\r\n"
                                         "; the proxy, if any\r\n"
                                         "proxy = http://p:8080\r\n"
                                         "host=example.org\r\n"
                                         "\r\n"
                                         "[Old]\r\n"
                                         "a=1 ; stays a value\r\n"
                                         "b=2\r\n";

    struct Opened {
        TestStateHome state;
        TestFolder dir;
        std::shared_ptr<FileHistory> history = FileHistory::fromEnvironment();
        IniStore store{ScriptedUi::currentOrConsole(), history};
        QString file;
        explicit Opened(const QByteArray &bytes)
        {
            file = dir.write(QStringLiteral("app.ini"), bytes);
            store.setFileName(file);
            store.load();
        }
        QByteArray bytes() const { return TestFolder::read(file); }
        QStringList commands() const
        {
            QStringList out;
            for (const FileVersion &version : history->versions(file))
                out.append(version.command);
            return out;
        }
    };

private Q_SLOTS:
    void twoDeletesThenARestoreGiveTheOriginalBack()
    {
        ScriptedUi ui;
        Opened o(kCommented);
        o.store.deleteKey(QStringLiteral("Net"), QStringLiteral("proxy "));
        const QByteArray once = o.bytes();
        QVERIFY(!once.contains("; the proxy"));
        o.store.deleteKeys(QStringLiteral("Old"), {QStringLiteral("a"), QStringLiteral("b"), QString()});
        const QByteArray twice = o.bytes();
        QCOMPARE(twice, QByteArray("[Net]\r\nhost=example.org\r\n"));
        QCOMPARE(o.commands(), (QStringList{"delete key [Net] proxy ", "delete section [Old]"}));
        QCOMPARE(o.history->contents(o.file, 1), QByteArray(kCommented));
        QCOMPARE(o.history->contents(o.file, 2), once);

        const quint64 loads = o.store.loadCount();
        o.store.restoreVersion(1);
        QCOMPARE(o.bytes(), QByteArray(kCommented));
        QCOMPARE(o.store.loadCount(), loads + 1);
        QCOMPARE(o.store.value(QStringLiteral("net"), QStringLiteral("PROXY ")), QStringLiteral(" http://p:8080"));
        QCOMPARE(o.store.fileChanged(), false);
        // The restore is one more version: it can be undone in turn.
        QCOMPARE(o.commands().last(), QStringLiteral("restore version 1"));
        QCOMPARE(o.history->contents(o.file, 3), twice);
        o.store.restoreVersion(3);
        QCOMPARE(o.bytes(), twice);
        QCOMPARE(o.store.records()->count(), 2);
        QVERIFY(ui.messages.isEmpty());
    }

    // Each write's version is the file as that write found it, named by it.
    void everyWriteKeepsWhatItReplaces()
    {
        ScriptedUi ui;
        Opened o("[A]\r\nk=1\r\n");
        QList<QByteArray> before;
        before << o.bytes();
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        before << o.bytes();
        QVERIFY(o.store.writeFollowing(
            [&] {
                appendLine(o.file, QStringLiteral("[New]"));
                return true;
            },
            QStringLiteral("add section [New]")));
        before << o.bytes();
        o.store.rewriteFile(o.file);
        before << o.bytes();
        // Set twice to the value it has: the file stays the same, and the
        // second set finds it equal to the newest version.
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        QCOMPARE(o.commands(), (QStringList{"set [A] k", "add section [New]", "rewrite", "set [A] k"}));
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(o.history->contents(o.file, i + 1), before[i]);

        // A read-only file is not written: no version either.
        TestFolder::makeReadOnly(o.file);
        o.store.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("3"));
        QCOMPARE(o.commands().size(), 4);
        QVERIFY_THROWS_EXCEPTION(AppError, o.store.restoreVersion(1));
        QCOMPARE(o.bytes(), QByteArray("[A]\r\nk=2\r\n"));
    }

    void aStoreWithoutAHistoryKeepsNone()
    {
        ScriptedUi ui;
        TestStateHome state;
        TestFolder dir;
        IniStore store(ui);
        const QString file = dir.write(QStringLiteral("a.ini"), kCommented);
        store.setFileName(file);
        store.load();
        store.setValue(QStringLiteral("Net"), QStringLiteral("host"), QStringLiteral("x"));
        store.deleteKey(QStringLiteral("Old"), QStringLiteral("a"));
        QCOMPARE(state.entries(), QStringList());
        QVERIFY_THROWS_EXCEPTION(AppError, store.restoreVersion(1));
    }

    void aHistoryThatCannotBeKeptNeverStopsAWrite()
    {
        ScriptedUi ui;
        Opened o(kCommented);
        QFile blocker(o.state.path() + QStringLiteral("/larkspur"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        int notices = 0;
        o.history->setFailureNotice([&](const QString &) { ++notices; });
        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no version of .* was kept")));
        QCOMPARE(o.store.setValue(QStringLiteral("Net"), QStringLiteral("host"), QStringLiteral("x")),
                 WriteResult::Written);
        o.store.deleteKey(QStringLiteral("Net"), QStringLiteral("proxy "));
        QVERIFY(o.store.writeFollowing(
            [&] {
                appendLine(o.file, QStringLiteral("[New]"));
                return true;
            },
            QStringLiteral("add section [New]")));
        QCOMPARE(o.bytes(), QByteArray("[Net]\r\nhost=x\r\n[Old]\r\na=1 ; stays a value\r\nb=2\r\n[New]\r\n"));
        QCOMPARE(notices, 1);
        QVERIFY(ui.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStoreHistory)
#include "test_store_history.moc"
