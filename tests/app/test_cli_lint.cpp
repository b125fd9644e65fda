#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

// larkspur-cli lint on real-looking files against golden outputs: each
// golden/lint/NAME.ini beside NAME.expected (the plain report) and, when
// present, NAME.json.expected (the --json report). The exit code is 1
// exactly when the report is not empty.
class TestCliLint : public QObject {
    Q_OBJECT

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        return file.readAll();
    }

    struct Result {
        int code;
        QByteArray out;
    };

    // Run in the golden folder on the bare name, as the report names it.
    static Result lint(const QStringList &args)
    {
        QProcess process;
        process.setWorkingDirectory(QStringLiteral(LARKSPUR_LINT_GOLDEN));
        process.start(QStringLiteral(LARKSPUR_CLI_PATH), QStringList{QStringLiteral("lint")} + args);
        if (!process.waitForFinished(30000))
            qFatal("larkspur-cli did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput()};
    }

private Q_SLOTS:
    void reportsMatchTheGoldenFiles_data()
    {
        QTest::addColumn<QString>("name");
        const QDir golden(QStringLiteral(LARKSPUR_LINT_GOLDEN));
        const QStringList inputs = golden.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
        QVERIFY(inputs.size() >= 4);
        for (const QString &input : inputs)
            QTest::newRow(qPrintable(input)) << input;
    }

    void reportsMatchTheGoldenFiles()
    {
        QFETCH(QString, name);
        const QString golden = QStringLiteral(LARKSPUR_LINT_GOLDEN "/");
        const QString stem = name.chopped(4);
        const QByteArray expected = read(golden + stem + QStringLiteral(".expected"));
        const Result plain = lint({name});
        QCOMPARE(plain.out, expected);
        QCOMPARE(plain.code, expected.isEmpty() ? 0 : 1);
        if (!QFile::exists(golden + stem + QStringLiteral(".json.expected")))
            return;
        const Result json = lint({name, QStringLiteral("--json")});
        QCOMPARE(json.out, read(golden + stem + QStringLiteral(".json.expected")));
        QCOMPARE(json.code, plain.code);
    }
};

QTEST_GUILESS_MAIN(TestCliLint)
#include "test_cli_lint.moc"
