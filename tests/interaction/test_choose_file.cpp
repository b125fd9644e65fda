#include "app_error.h"
#include "append_line.h"
#include "choose_file.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QDir>
#include <QtTest>

class TestChooseFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendLineEndsAnUnendedLastLineFirst()
    {
        TestFolder dir;
        const QString crlf = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=v");
        appendLine(crlf, QStringLiteral("[B]"));
        QCOMPARE(TestFolder::read(crlf), QByteArray("[A]\r\nk=v\r\n[B]\r\n"));

        const QString lf = dir.write(QStringLiteral("b.ini"), "[A]\nk=v\n");
        appendLine(lf, QStringLiteral("[B]"));
        QCOMPARE(TestFolder::read(lf), QByteArray("[A]\nk=v\n[B]\n"));

        const QString fresh = dir.path(QStringLiteral("new.ini"));
        appendLine(fresh, QStringLiteral("[N]"));
        QCOMPARE(TestFolder::read(fresh), QByteArray("[N]\r\n"));

        const QString latin = dir.write(QStringLiteral("l.ini"), "a=caf\xE9\r\n");
        appendLine(latin, QString::fromUtf8("[\xC3\xA9]"));
        QCOMPARE(TestFolder::read(latin), QByteArray("a=caf\xE9\r\n[\xE9]\r\n"));
    }

    void appendLineRefusesAndWritesNothing()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("ro.ini"), "[A]\r\n");
        TestFolder::makeReadOnly(file);
        try {
            appendLine(file, QStringLiteral("[B]"));
            QFAIL("a read-only file was written");
        } catch (const AppError &e) {
            QVERIFY(e.description().contains(QStringLiteral("Permission denied")));
        }
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\n"));

        const QString other = dir.write(QStringLiteral("b.ini"), "[A]\r\n");
        QVERIFY_THROWS_EXCEPTION(AppError, appendLine(other, QStringLiteral("[B]\r\nx=1")));
        QVERIFY_THROWS_EXCEPTION(
            AppError, appendLine(dir.write(QStringLiteral("c.ini"), "a=\xE9\r\n"), QString::fromUtf8("[\xC4\x81]")));
        QCOMPARE(TestFolder::read(other), QByteArray("[A]\r\n"));

        const QString blocker = dir.write(QStringLiteral("file"), "x");
        QVERIFY_THROWS_EXCEPTION(AppError, appendLine(blocker + QStringLiteral("/sub.ini"), QStringLiteral("[B]")));
        QVERIFY_THROWS_EXCEPTION(AppError, appendLine(QString(), QStringLiteral("[B]")));
    }

    void openDialogDefaultsAndFilterPairs()
    {
        ScriptedUi ui;
        ui.dialogAnswers.enqueue(QStringLiteral("/tmp/x.ini") + QChar(0) + QChar(0));
        const QString filter =
            QStringLiteral("Configuration Files (*.INI)") + QChar(0) + QStringLiteral("*.INI") + QChar(0);
        QCOMPARE(chooseFile(ui, QStringLiteral("Open"), filter, QString(), QStringLiteral("*.ini")),
                 QStringLiteral("/tmp/x.ini"));
        QCOMPARE(ui.dialogs[0].title, QStringLiteral("Open"));
        QCOMPARE(ui.dialogs[0].filters.size(), 1);
        QCOMPARE(ui.dialogs[0].filters[0].description, QStringLiteral("Configuration Files (*.INI)"));
        QCOMPARE(ui.dialogs[0].filters[0].pattern, QStringLiteral("*.INI"));
        QCOMPARE(ui.dialogs[0].initialDir, QDir::currentPath());
        QCOMPARE(ui.dialogs[0].initialFileName, QStringLiteral("*.ini"));

        QCOMPARE(chooseFile(ui, QString(), QString(), QStringLiteral("/etc"), QString()), QString());
        QCOMPARE(ui.dialogs[1].title, QStringLiteral("Select File To Open"));
        QCOMPARE(ui.dialogs[1].filters.size(), 1);
        QCOMPARE(ui.dialogs[1].filters[0].description, QStringLiteral("All Files (*.*)"));
        QCOMPARE(ui.dialogs[1].filters[0].pattern, QStringLiteral("*.*"));
        QCOMPARE(ui.dialogs[1].initialDir, QStringLiteral("/etc"));
    }
};

QTEST_APPLESS_MAIN(TestChooseFile)
#include "test_choose_file.moc"
