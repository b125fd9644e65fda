#include "reference_patch.h"
#include "test_files.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

// larkspur-cli's history, diff and restore, and the versions its writes
// keep, through the process interface, with the state folder a fresh
// temporary one.
class TestCliHistory : public QObject {
    Q_OBJECT

    struct Result {
        int code;
        QByteArray out;
        QByteArray err;
    };

    static QProcessEnvironment environment(const QString &stateHome, const QByteArray &maxVersions = QByteArray())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (!maxVersions.isEmpty())
            env.insert(QStringLiteral("LARKSPUR_HISTORY_MAX_VERSIONS"), QString::fromLatin1(maxVersions));
        return env;
    }

    static Result run(const QString &stateHome, const QStringList &args)
    {
        QProcess process;
        process.setProcessEnvironment(environment(stateHome));
        process.start(QStringLiteral(LARKSPUR_CLI_PATH), args);
        if (!process.waitForFinished(30000))
            qFatal("larkspur-cli did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // The lines of `history`, each split at its tabs.
    static QList<QStringList> listing(const QString &stateHome, const QString &file)
    {
        const Result r = run(stateHome, {QStringLiteral("history"), file});
        if (r.code != 0)
            return {{QStringLiteral("failed: ") + QString::fromLocal8Bit(r.err)}};
        QList<QStringList> lines;
        for (const QByteArray &line : r.out.split('\n'))
            if (!line.isEmpty())
                lines.append(QString::fromUtf8(line).split(QLatin1Char('\t')));
        return lines;
    }

private Q_SLOTS:
    // A batch is one write: one version, the file as it was before it.
    void aBatchKeepsOneVersion()
    {
        TestStateHome state;
        TestFolder dir;
        const QByteArray original = "[A]\r\nk=1\r\nj=2\r\n";
        const QString file = dir.write(QStringLiteral("app.ini"), original);
        QCOMPARE(
            run(state.path(), {"batch", file, "--set", "A", "k", "5", "--delete", "A", "j", "--add-section", "N"}).code,
            0);
        const QList<QStringList> lines = listing(state.path(), file);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].mid(2), (QStringList{"batch: 3 operations", QString::number(original.size())}));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=5\r\n[N]\r\n"));
    }

    void twoDeletesThenRestoreTheFirstVersion()
    {
        TestStateHome state;
        TestFolder dir;
        const QByteArray original = "; app settings\r\n\r\n[Net]\r\n; where to go\r\nproxy=p:80\r\nhost=h\r\n"
                                    "\r\n[Old]\r\n; unused\r\nx=1\r\n";
        const QString file = dir.write(QStringLiteral("app.ini"), original);
        QCOMPARE(run(state.path(), {"delete", file, "Net", "proxy"}).code, 0);
        const QByteArray once = TestFolder::read(file);
        QCOMPARE(run(state.path(), {"delete-section", file, "Old"}).code, 0);
        const QByteArray twice = TestFolder::read(file);
        QCOMPARE(twice, QByteArray("[Net]\r\nhost=h\r\n"));

        QList<QStringList> lines = listing(state.path(), file);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0][0], QStringLiteral("1"));
        QVERIFY2(QDateTime::fromString(lines[0][1], QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid(),
                 qPrintable(lines[0][1]));
        QCOMPARE(lines[0][2], QStringLiteral("delete key [Net] proxy"));
        QCOMPARE(lines[0][3], QString::number(original.size()));
        QCOMPARE(lines[1].mid(2), (QStringList{"delete section [Old]", QString::number(once.size())}));

        // Each diff, read as patch reads it, turns its version into the file.
        for (const auto &[number, version] : {std::pair{1, original}, std::pair{2, once}}) {
            const Result diff = run(state.path(), {"diff", file, QString::number(number)});
            QCOMPARE(diff.code, 0);
            QVERIFY(diff.out.startsWith("--- " + QFile::encodeName(file) + "\tversion "));
            QString error;
            QCOMPARE(applyUnifiedDiff(version, diff.out, error), twice);
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }

        const Result restored = run(state.path(), {"restore", file, "1"});
        QCOMPARE(restored.code, 0);
        QCOMPARE(restored.err, QByteArray());
        QCOMPARE(TestFolder::read(file), original);
        lines = listing(state.path(), file);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[2][2], QStringLiteral("restore version 1"));
        QCOMPARE(run(state.path(), {"diff", file, "1"}).out, QByteArray());
        QCOMPARE(run(state.path(), {"restore", file, "3"}).code, 0);
        QCOMPARE(TestFolder::read(file), twice);
    }

    void versionNumbersAreChecked()
    {
        TestStateHome state;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        // Only a plain decimal: no blank, sign or leading zero.
        for (const char *bad : {"0", "-1", "x", "+1", "1.5", " 1", "1 ", "01", "", "1e0", "0x1"}) {
            const Result r = run(state.path(), {"diff", file, QString::fromLatin1(bad)});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains("is no version number") && r.err.contains("usage: larkspur-cli diff FILE N"),
                     r.err.constData());
        }
        for (const char *command : {"diff", "restore"})
            QCOMPARE(run(state.path(), {command, file, "01"}).code, 2);
        // A long argument is shown by its opening only.
        const QString huge = QString(5000, QLatin1Char('9'));
        const Result longNumber = run(state.path(), {"diff", file, huge});
        QCOMPARE(longNumber.code, 2);
        QVERIFY2(longNumber.err.startsWith("larkspur-cli: '99999999999999999999") && longNumber.err.size() < 200,
                 longNumber.err.left(300).constData());
        QCOMPARE(run(state.path(), {"restore", file}).code, 2);
        QCOMPARE(run(state.path(), {"history", file, "1"}).code, 2);
        const Result missing = run(state.path(), {"restore", file, "7"});
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err, "larkspur-cli: " + QFile::encodeName(file) + " has no version 7\n");
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(run(state.path(), {"history", file}).out, QByteArray());
    }

    // A state folder that is a regular file: every write goes on, with one
    // warning line each, and the files are as without a history.
    void aHistoryThatCannotBeWrittenNeverStopsAWrite()
    {
        TestStateHome state;
        TestFolder dir;
        const QString blocked = state.path() + QStringLiteral("/state");
        const QString file = dir.write(QStringLiteral("a.ini"), "; c\r\n[A]\r\nk=1\r\nj=0\r\n");
        QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
        const QList<QStringList> commands{
            {"set", file, "A", "k", "2"}, {"add-section", file, "B"}, {"delete", file, "A", "k"}};
        for (const QStringList &command : commands) {
            const Result r = run(blocked, command);
            QCOMPARE(r.code, 0);
            QCOMPARE(r.out, QByteArray());
            QCOMPARE(r.err.count('\n'), 1);
            QVERIFY2(r.err.contains("no version of") && r.err.contains(QFile::encodeName(file)), r.err.constData());
        }
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nj=0\r\n"));
        QCOMPARE(TestFolder::read(dir.path(QStringLiteral("a.old"))),
                 QByteArray("; c\r\n[A]\r\nk=2\r\nj=0\r\n[B]\r\n"));
        QVERIFY(run(blocked, {"history", file}).code == 1);
    }

    // Two programs setting keys of one file at once: each version is the
    // file exactly as its write found it, so that one after the other the
    // versions, and then the file, differ by a single line.
    void concurrentWritersKeepEveryVersionInOrder()
    {
        TestStateHome state;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nx=0\r\ny=0\r\n");
        for (int round = 1; round <= 40; ++round) {
            QProcess first;
            QProcess second;
            for (QProcess *p : {&first, &second})
                p->setProcessEnvironment(environment(state.path(), "1000"));
            first.start(QStringLiteral(LARKSPUR_CLI_PATH), {"set", file, "A", "x", QString::number(round)});
            second.start(QStringLiteral(LARKSPUR_CLI_PATH), {"set", file, "A", "y", QString::number(round)});
            QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
            QCOMPARE(first.exitCode() + second.exitCode(), 0);
        }
        const QList<QStringList> lines = listing(state.path(), file);
        QCOMPARE(lines.size(), 80);
        const QDir root(state.path() + QStringLiteral("/larkspur/history"));
        const QDir folder(root.filePath(root.entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0)));
        QByteArray previous;
        for (const QStringList &line : lines + QList<QStringList>{{QStringLiteral("now")}}) {
            const QByteArray bytes =
                line[0] == QLatin1String("now")
                    ? TestFolder::read(file)
                    : TestFolder::read(folder.filePath(line[0].rightJustified(6, u'0') + QStringLiteral(".data")));
            if (!previous.isEmpty()) {
                const QList<QByteArray> a = previous.split('\n');
                const QList<QByteArray> b = bytes.split('\n');
                QCOMPARE(a.size(), b.size());
                int differing = 0;
                for (int i = 0; i < a.size(); ++i)
                    differing += a[i] != b[i];
                QVERIFY2(differing == 1, bytes.constData());
            }
            previous = bytes;
        }
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nx=40\r\ny=40\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
