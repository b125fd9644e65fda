#include "platform/mod_functions.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QDir>
#include <QtTest>

class TestModFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addBackslash()
    {
        QCOMPARE(AddBackslash(QStringLiteral("  C:\\data\\  ")), QStringLiteral("C:\\data\\"));
        QCOMPARE(AddBackslash(QStringLiteral(" C:\\data ")), QStringLiteral("C:\\data\\"));
        QCOMPARE(AddBackslash(QString()), QStringLiteral("\\"));
        QCOMPARE(AddBackslash(QStringLiteral("\tdir")), QStringLiteral("\tdir\\"));
    }

    void stripNulls()
    {
        QCOMPARE(StripNulls(QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0)), QStringLiteral("ab"));
        const QString onlyNulls(3, QChar(0));
        QCOMPARE(StripNulls(onlyNulls), onlyNulls);
        QCOMPARE(StripNulls(QString()), QString());
        // No 16-bit limit on the length.
        const QString longText(70000, QLatin1Char('x'));
        QCOMPARE(StripNulls(longText + QChar(0)), longText);
    }

    void findLast()
    {
        QCOMPARE(FindLast(QStringLiteral("C:\\a\\b\\c.ini"), QStringLiteral("\\")), 7);
        QCOMPARE(FindLast(QStringLiteral("c.ini"), QStringLiteral("\\")), 0);
        QCOMPARE(FindLast(QStringLiteral("aXbxc"), QStringLiteral("x")), 4);
        QCOMPARE(FindLast(QStringLiteral("abc"), QString()), 0);
    }

    void trimRemovesSpacesOnly()
    {
        QCOMPARE(TrimSpaces(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(TrimSpaces(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
        QCOMPARE(TrimSpaces(QStringLiteral("   ")), QString());
    }

    void appendLineEndsAnUnendedLastLineFirst()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString crlf = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=v");
        QVERIFY(AppendLine(crlf, QStringLiteral("[B]")));
        QCOMPARE(TestFolder::read(crlf), QByteArray("[A]\r\nk=v\r\n[B]\r\n"));

        const QString lf = dir.write(QStringLiteral("b.ini"), "[A]\nk=v\n");
        QVERIFY(AppendLine(lf, QStringLiteral("[B]")));
        QCOMPARE(TestFolder::read(lf), QByteArray("[A]\nk=v\n[B]\n"));

        const QString fresh = dir.path(QStringLiteral("new.ini"));
        QVERIFY(AppendLine(fresh, QStringLiteral("[N]")));
        QCOMPARE(TestFolder::read(fresh), QByteArray("[N]\r\n"));

        const QString latin = dir.write(QStringLiteral("l.ini"), "a=caf\xE9\r\n");
        QVERIFY(AppendLine(latin, QString::fromUtf8("[\xC3\xA9]")));
        QCOMPARE(TestFolder::read(latin), QByteArray("a=caf\xE9\r\n[\xE9]\r\n"));
        QVERIFY(ui.messages.isEmpty());
    }

    void appendLineReportsFailuresAndWritesNothing()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("ro.ini"), "[A]\r\n");
        TestFolder::makeReadOnly(file);
        QVERIFY(!AppendLine(file, QStringLiteral("[B]")));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\n"));
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].style, 16);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        QVERIFY(ui.messages[0].text.contains(QStringLiteral("Permission denied")));

        const QString other = dir.write(QStringLiteral("b.ini"), "[A]\r\n");
        QVERIFY(!AppendLine(other, QStringLiteral("[B]\r\nx=1")));
        QVERIFY(!AppendLine(dir.write(QStringLiteral("c.ini"), "a=\xE9\r\n"), QString::fromUtf8("[\xE2\x82\xAC]")));
        QCOMPARE(TestFolder::read(other), QByteArray("[A]\r\n"));

        const QString blocker = dir.write(QStringLiteral("file"), "x");
        QVERIFY(!AppendLine(blocker + QStringLiteral("/sub.ini"), QStringLiteral("[B]")));
        QVERIFY(!AppendLine(QString(), QStringLiteral("[B]")));
        QCOMPARE(ui.messages.size(), 5);
    }

    void openDialogDefaultsAndFilterPairs()
    {
        ScriptedUi ui;
        ui.dialogAnswers.enqueue(QStringLiteral("/tmp/x.ini") + QChar(0) + QChar(0));
        const QString filter = QStringLiteral("Configuration Files (*.INI)") + QChar(0) + QStringLiteral("*.INI") + QChar(0);
        QCOMPARE(CommonOpenDialog(QStringLiteral("Open"), filter, QString(), QStringLiteral("*.ini"), 0),
                 QStringLiteral("/tmp/x.ini"));
        QCOMPARE(ui.dialogs[0].title, QStringLiteral("Open"));
        QCOMPARE(ui.dialogs[0].filters.size(), 1);
        QCOMPARE(ui.dialogs[0].filters[0].description, QStringLiteral("Configuration Files (*.INI)"));
        QCOMPARE(ui.dialogs[0].filters[0].pattern, QStringLiteral("*.INI"));
        QCOMPARE(ui.dialogs[0].initialDir, QDir::currentPath());
        QCOMPARE(ui.dialogs[0].initialFileName, QStringLiteral("*.ini"));

        QCOMPARE(CommonOpenDialog(QString(), QString(), QStringLiteral("/etc"), QString(), 0), QString());
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
        QVERIFY(IsFormLoaded(QStringLiteral("frmFind")));
        QVERIFY(!IsFormLoaded(QStringLiteral("frmfind")));
        QVERIFY(!IsFormLoaded(QStringLiteral("frmAdd")));
    }
};

QTEST_APPLESS_MAIN(TestModFunctions)
#include "test_mod_functions.moc"
