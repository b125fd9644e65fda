#include "reference_encodings.h"
#include "test_files.h"

#include <QProcess>
#include <QtTest>

// larkspur-cli through its process interface: arguments in; stdout, stderr
// and the exit code out.
class TestCli : public QObject {
    Q_OBJECT

    struct Result {
        int code;
        QByteArray out;
        QByteArray err;
    };

    static Result run(const QStringList &args)
    {
        QProcess process;
        process.start(QStringLiteral(LARKSPUR_CLI_PATH), args);
        if (!process.waitForFinished(30000))
            qFatal("larkspur-cli did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

private Q_SLOTS:
    void dumpPrintsOneJsonObjectPerRecord()
    {
        TestFolder dir;
        const QString file =
            dir.write(QStringLiteral("a.ini"), "top=1\r\n[S \"q\"]\r\nk\\=a\tb\x01\r\n;x=\xC3\xA9\r\n");
        const Result r = run({QStringLiteral("dump"), file});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out,
                 QByteArray("{\"id\":1,\"section\":\"\",\"key\":\"top\",\"value\":\"1\"}\n"
                            "{\"id\":2,\"section\":\"S \\\"q\\\"\",\"key\":\"\",\"value\":\"\"}\n"
                            "{\"id\":3,\"section\":\"S \\\"q\\\"\",\"key\":\"k\\\\\",\"value\":\"a\\tb\\u0001\"}\n"
                            "{\"id\":4,\"section\":\"S \\\"q\\\"\",\"key\":\";x\",\"value\":\"\xC3\xA9\"}\n"));
        QVERIFY(r.err.isEmpty());

        // A Windows-1252 file comes out as UTF-8.
        const Result latin = run({QStringLiteral("dump"), dir.write(QStringLiteral("l.ini"), "k=\xE9\r\n")});
        QCOMPARE(latin.out, QByteArray("{\"id\":1,\"section\":\"\",\"key\":\"k\",\"value\":\"\xC3\xA9\"}\n"));
    }

    void getAndSet()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[Net]\r\nHost=a b\r\n");
        QCOMPARE(run({QStringLiteral("get"), file, QStringLiteral("NET"), QStringLiteral("host")}).out,
                 QByteArray("a b\n"));
        QCOMPARE(run({QStringLiteral("get"), file, QStringLiteral("Net"), QStringLiteral("none")}).out,
                 QByteArray("\n"));

        const Result set =
            run({QStringLiteral("set"), file, QStringLiteral("net"), QStringLiteral("HOST"), QStringLiteral("c")});
        QCOMPARE(set.code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[Net]\r\nHost=c\r\n"));

        const Result bad = run(
            {QStringLiteral("set"), file, QStringLiteral("Net"), QStringLiteral("Host"), QStringLiteral("x\n[Evil]")});
        QCOMPARE(bad.code, 1);
        QVERIFY(bad.err.startsWith("larkspur-cli: The value holds a line break"));
        QCOMPARE(TestFolder::read(file), QByteArray("[Net]\r\nHost=c\r\n"));
    }

    // A UTF-16 file stays UTF-16, in its own byte order, through set and add-section.
    void setKeepsAUtf16FileUtf16()
    {
        TestFolder dir;
        const QString value = QString::fromUtf8("\xC4\x89\xE2\x82\xAC");
        const QString before = QString::fromUtf8("; \xC3\xBC\r\n[Net]\r\nHost=a\r\n");
        const QString after = QString::fromUtf8("; \xC3\xBC\r\n[Net]\r\nHost=") + value + QStringLiteral("\r\n");
        for (const ReferenceEncoding e : {ReferenceEncoding::Utf16LE, ReferenceEncoding::Utf16BE}) {
            const QString file = dir.write(QStringLiteral("u.ini"), *referenceFileBytes(before, e));
            const Result set = run({QStringLiteral("set"), file, QStringLiteral("NET"), QStringLiteral("host"), value});
            QCOMPARE(set.code, 0);
            QCOMPARE(TestFolder::read(file), *referenceFileBytes(after, e));
            QCOMPARE(run({QStringLiteral("get"), file, QStringLiteral("Net"), QStringLiteral("Host")}).out,
                     value.toUtf8() + "\n");
            QCOMPARE(run({QStringLiteral("add-section"), file, QStringLiteral("Neu")}).code, 0);
            QCOMPARE(TestFolder::read(file), *referenceFileBytes(after + QStringLiteral("[Neu]\r\n"), e));
        }
    }

    void setOnAReadOnlyFileFails()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        TestFolder::makeReadOnly(file);
        const Result r =
            run({QStringLiteral("set"), file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QByteArray("larkspur-cli: Cannot save setting, file is Read Only\n"));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=1\r\n"));
    }

    void deleteRewritesWithABackup()
    {
        TestFolder dir;
        const QByteArray original = "; c\r\n[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=1\r\n";
        const QString file = dir.write(QStringLiteral("conf.ini"), original);
        QCOMPARE(run({QStringLiteral("delete"), file, QStringLiteral("a"), QStringLiteral("K")}).code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nj=2\r\n[B]\r\nx=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("conf.old"))), original);
        QCOMPARE(run({QStringLiteral("delete"), file, QStringLiteral("B"), QString()}).code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nj=2\r\n[B]\r\nx=1\r\n"));
    }

    void addSectionAndKeyAsTheAddDialogDoes()
    {
        TestFolder dir;
        // The last line has no line end: it is ended before the header goes on.
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\nk=1");
        QCOMPARE(run({QStringLiteral("add-section"), file, QStringLiteral("  New  ")}).code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=1\n[New]\n"));

        QCOMPARE(run({QStringLiteral("add-key"), file, QStringLiteral("New"), QStringLiteral(" key "), QString()}).code,
                 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=1\n[New]\nkey=\n"));
        // An existing key (letter case ignored) keeps one line, with the new value.
        QCOMPARE(
            run({QStringLiteral("add-key"), file, QStringLiteral("a"), QStringLiteral("K"), QStringLiteral("2")}).code,
            0);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=2\n[New]\nkey=\n"));

        const Result blank = run({QStringLiteral("add-section"), file, QStringLiteral("   ")});
        QCOMPARE(blank.code, 1);
        QCOMPARE(blank.err, QByteArray("larkspur-cli: The section name is blank\n"));
        const Result broken =
            run({QStringLiteral("add-key"), file, QStringLiteral("A"), QStringLiteral("x\ny"), QStringLiteral("1")});
        QCOMPARE(broken.code, 1);
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\nk=2\n[New]\nkey=\n"));
    }

    void deleteSectionDeletesWhatTheTreeShowsUnderIt()
    {
        TestFolder dir;
        // The repeated [Net] lands under Disp in the tree, so its key stays.
        const QByteArray text =
            "[Net]\r\nhost=a\r\nNet=self\r\n[NET]\r\nport=1\r\n[Disp]\r\nw=1\r\n[Net]\r\nlate=2\r\n";
        const QString file = dir.write(QStringLiteral("a.ini"), text);
        const Result r = run({QStringLiteral("delete-section"), file, QStringLiteral("Net")});
        QCOMPARE(r.code, 0);
        QCOMPARE(TestFolder::read(file), QByteArray("[NET]\r\nport=1\r\nlate=2\r\n[Disp]\r\nw=1\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("a.old"))), text);

        const Result missing = run({QStringLiteral("delete-section"), file, QStringLiteral("net")});
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err, QByteArray("larkspur-cli: Section not selected or invalid\n"));
    }

    void badFilesAndUsage()
    {
        TestFolder dir;
        const Result missing = run({QStringLiteral("dump"), dir.path(QStringLiteral("missing.ini"))});
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err, QByteArray("larkspur-cli: Filename is missing\n"));
        QVERIFY(missing.out.isEmpty());

        const Result folder =
            run({QStringLiteral("get"), dir.path(QString()), QStringLiteral("A"), QStringLiteral("k")});
        QCOMPARE(folder.code, 1);

        QCOMPARE(run({}).code, 2);
        QCOMPARE(run({QStringLiteral("frobnicate"), QStringLiteral("x.ini")}).code, 2);
        QCOMPARE(run({QStringLiteral("get"), QStringLiteral("x.ini"), QStringLiteral("A")}).code, 2);
        const Result help = run({QStringLiteral("--help")});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains("delete FILE SECTION KEY"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
