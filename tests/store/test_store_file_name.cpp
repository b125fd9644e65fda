#include "file_name_test.h"
#include "ini_store.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QDir>
#include <QtTest>

class TestStoreFileName : public QObject {
    Q_OBJECT

    const QString kTitle = QStringLiteral("Open Configuration (INI) File");

private Q_SLOTS:
    void nameTest()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("App.ini"), "[A]\r\n");
        dir.write(QStringLiteral(".hidden.ini"), "[A]\r\n");
        QVERIFY(namesExistingFile(file));
        QVERIFY(!namesExistingFile(dir.path(QStringLiteral("app.ini"))));
        QVERIFY(!namesExistingFile(dir.path(QStringLiteral(".hidden.ini"))));
        QVERIFY(!namesExistingFile(dir.path(QString())));
        QVERIFY(!namesExistingFile(dir.path(QStringLiteral("*.ini"))));
        QVERIFY(!namesExistingFile(dir.path(QStringLiteral("App.in?"))));
        QVERIFY(!namesExistingFile(QString()));
        QVERIFY(!namesExistingFile(QLatin1Char('"') + file + QLatin1Char('"')));
        QVERIFY(!namesExistingFile(file + QLatin1Char('/')));
        // "\" is a character of the name, not a folder separator.
        const QString odd = dir.write(QStringLiteral("a\\b.ini"), "");
        QVERIFY(namesExistingFile(odd));

        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path(QString()));
        QVERIFY(namesExistingFile(QStringLiteral("App.ini")));
        QVERIFY(namesExistingFile(QStringLiteral("./App.ini")));
        QDir::setCurrent(before);
    }

    void backupStandsBesideTheFile()
    {
        QCOMPARE(backupPathFor(QStringLiteral("/d/app.ini")), QStringLiteral("/d/app.old"));
        QCOMPARE(backupPathFor(QStringLiteral("/d/app.old")), QStringLiteral("/d/app.old.old"));
        QCOMPARE(backupPathFor(QStringLiteral("/d/bold")), QStringLiteral("/d/bold.old"));
        QCOMPARE(backupPathFor(QStringLiteral("/d/ab")), QStringLiteral("/d/ab.old"));
        QCOMPARE(backupPathFor(QStringLiteral("/d/abc")), QStringLiteral("/d/abc.old"));
        QCOMPARE(backupPathFor(QStringLiteral("abcd")), QStringLiteral("aold"));
        QCOMPARE(backupPathFor(QStringLiteral("x.INI")), QStringLiteral("x.old"));
    }

    void validNameIsTakenSilently()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("app.ini"), "");
        IniStore store(ui);
        store.setFileName(QStringLiteral("  ") + file + QChar(0) + QStringLiteral(" "));
        QCOMPARE(store.fileName(), file);
        // A "\" in the name is taken like any other character.
        const QString odd = dir.write(QStringLiteral("x\\app.ini"), "[A]\r\n");
        store.setFileName(odd);
        QCOMPARE(store.fileName(), odd);
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(ui.dialogs.isEmpty());
    }

    void emptyNameWarnsThenAsks()
    {
        ScriptedUi ui;
        IniStore store(ui);
        store.setFileName(QString());
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("Invalid command line arguments:  File Not Found\r\n"
                                                     "Source= clsINIRegistry: FileName"));
        QCOMPARE(ui.messages[0].icon, MessageIcon::Critical);
        QCOMPARE(ui.messages[0].title, QStringLiteral("Larkspur"));
        QCOMPARE(ui.dialogs.size(), 1);
        QCOMPARE(ui.dialogs[0].title, kTitle);
        QCOMPARE(ui.dialogs[0].initialFileName, QStringLiteral("*.ini"));
        QCOMPARE(ui.dialogs[0].filters[0].pattern, QStringLiteral("*.INI"));
        QCOMPARE(store.fileName(), QString());
    }

    void missingNameGoesStraightToTheDialogUntilAFilePasses()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString good = dir.write(QStringLiteral("good.ini"), "");
        const QString hidden = dir.write(QStringLiteral(".hidden.ini"), "");
        ui.dialogAnswers << hidden << dir.path(QStringLiteral("GOOD.ini")) << good;
        IniStore store(ui);
        store.setFileName(dir.path(QStringLiteral("missing.ini")));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(ui.dialogs.size(), 3);
        QCOMPARE(store.fileName(), good);
    }

    void cancelKeepsTheOpenFile()
    {
        ScriptedUi ui;
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "");
        IniStore store(ui);
        store.setFileName(file);
        store.setFileName(QStringLiteral("\"") + file + QStringLiteral("\""));
        QCOMPARE(ui.dialogs.size(), 1);
        QCOMPARE(store.fileName(), file);
        // With a file open, an empty name asks without the warning.
        store.setFileName(QString());
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(store.fileName(), file);
    }
};

QTEST_APPLESS_MAIN(TestStoreFileName)
#include "test_store_file_name.moc"
