#include "mod_functions.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QDir>
#include <QtTest>

class TestModFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendLineEndsAnUnendedLastLineFirst()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString crlf = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=v");
        QVERIFY(AppendLine(ui, crlf, QStringLiteral("[B]")));
        QCOMPARE(TestFolder::read(crlf), QByteArray("[A]\r\nk=v\r\n[B]\r\n"));

        const QString lf = dir.write(QStringLiteral("b.ini"), "[A]\nk=v\n");
        QVERIFY(AppendLine(ui, lf, QStringLiteral("[B]")));
        QCOMPARE(TestFolder::read(lf), QByteArray("[A]\nk=v\n[B]\n"));

        const QString fresh = dir.path(QStringLiteral("new.ini"));
        QVERIFY(AppendLine(ui, fresh, QStringLiteral("[N]")));
        QCOMPARE(TestFolder::read(fresh), QByteArray("[N]\r\n"));

        const QString latin = dir.write(QStringLiteral("l.ini"), "a=caf\xE9\r\n");
        QVERIFY(AppendLine(ui, latin, QString::fromUtf8("[\xC3\xA9]")));
        QCOMPARE(TestFolder::read(latin), QByteArray("a=caf\xE9\r\n[\xE9]\r\n"));
        QVERIFY(ui.messages.isEmpty());
    }

    void appendLineReportsFailuresAndWritesNothing()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("ro.ini"), "[A]\r\n");
        TestFolder::makeReadOnly(file);
        QVERIFY(!AppendLine(ui, file, QStringLiteral("[B]")));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\n"));
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].style, 16);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("Permission denied")));

        const QString other = dir.write(QStringLiteral("b.ini"), "[A]\r\n");
        QVERIFY(!AppendLine(ui, other, QStringLiteral("[B]\r\nx=1")));
        QVERIFY(!AppendLine(ui, dir.write(QStringLiteral("c.ini"), "a=\xE9\r\n"), QString::fromUtf8("[\xC4\x81]")));
        QCOMPARE(TestFolder::read(other), QByteArray("[A]\r\n"));

        const QString blocker = dir.write(QStringLiteral("file"), "x");
        QVERIFY(!AppendLine(ui, blocker + QStringLiteral("/sub.ini"), QStringLiteral("[B]")));
        QVERIFY(!AppendLine(ui, QString(), QStringLiteral("[B]")));
        QCOMPARE(ui.messages.size(), 5);
    }

    void openDialogDefaultsAndFilterPairs()
    {
        ScriptedUi ui;
        ui.dialogAnswers.enqueue(QStringLiteral("/tmp/x.ini") + QChar(0) + QChar(0));
        const QString filter =
            QStringLiteral("Configuration Files (*.INI)") + QChar(0) + QStringLiteral("*.INI") + QChar(0);
        QCOMPARE(CommonOpenDialog(ui, QStringLiteral("Open"), filter, QString(), QStringLiteral("*.ini"), 0),
                 QStringLiteral("/tmp/x.ini"));
        QCOMPARE(ui.dialogs[0].title, QStringLiteral("Open"));
        QCOMPARE(ui.dialogs[0].filters.size(), 1);
        QCOMPARE(ui.dialogs[0].filters[0].description, QStringLiteral("Configuration Files (*.INI)"));
        QCOMPARE(ui.dialogs[0].filters[0].pattern, QStringLiteral("*.INI"));
        QCOMPARE(ui.dialogs[0].initialDir, QDir::currentPath());
        QCOMPARE(ui.dialogs[0].initialFileName, QStringLiteral("*.ini"));

        QCOMPARE(CommonOpenDialog(ui, QString(), QString(), QStringLiteral("/etc"), QString(), 0), QString());
        QCOMPARE(ui.dialogs[1].title, QStringLiteral("Select File To Open"));
        QCOMPARE(ui.dialogs[1].filters.size(), 1);
        QCOMPARE(ui.dialogs[1].filters[0].description, QStringLiteral("All Files (*.*)"));
        QCOMPARE(ui.dialogs[1].filters[0].pattern, QStringLiteral("*.*"));
        QCOMPARE(ui.dialogs[1].initialDir, QStringLiteral("/etc"));
    }

    void isFormLoadedComparesExactly()
    {
        ScriptedUi ui;
        ui.forms = {QStringLiteral("frmINI"), QStringLiteral("frmFind")};
        QVERIFY(IsFormLoaded(ui, QStringLiteral("frmFind")));
        QVERIFY(!IsFormLoaded(ui, QStringLiteral("frmfind")));
        QVERIFY(!IsFormLoaded(ui, QStringLiteral("frmAdd")));
    }
};

QTEST_APPLESS_MAIN(TestModFunctions)
#include "test_mod_functions.moc"
