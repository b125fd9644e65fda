#include "main_window.h"
#include "node_tree_view.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "xdg_paths.h"

#include <QMimeDatabase>
#include <QtTest>

// The main window's load: every window registers the editor beside the
// running program as the "Edit with Larkspur" verb for INI files.
class TestMainWindowLoad : public QObject {
    Q_OBJECT

    // The MIME type the desktop lists INI files under: the system's own when
    // it has one, else the one the registration declares.
    static QString iniMimeType()
    {
        for (const QMimeType &type : QMimeDatabase().mimeTypesForFileName(QStringLiteral("file.ini"))) {
            if (type.name() != QStringLiteral("text/x-ini"))
                return type.name();
        }
        return QStringLiteral("text/x-ini");
    }

private Q_SLOTS:

    void aNewWindowRegistersTheEditorBesideIt()
    {
        TestDataHome data;
        ScriptedUi ui;
        const QString app = QCoreApplication::applicationDirPath() + QStringLiteral("/larkspur");
        QVERIFY2(QFileInfo(app).isFile(), "the build puts the editor beside the tests");

        MainWindow w(ui, QString());
        QVERIFY(ui.messages.isEmpty());
        const QString entry = QString::fromUtf8(TestFolder::read(userApplicationsDir() + "/larkspur-inifile.desktop"));
        QVERIFY2(entry.contains("\nName=Larkspur\nExec=" + app + " %f\n"), qPrintable(entry));
        QVERIFY2(entry.contains("\nMimeType=" + iniMimeType() + ";\n"), qPrintable(entry));
        QVERIFY2(entry.contains("\n[Desktop Action Edit-with-Larkspur]\nName=Edit with Larkspur\n"), qPrintable(entry));
    }

    void startUpGoesOnWhenTheRegistrationIsRefused()
    {
        TestDataHome data;
        // A file where the applications folder should be refuses every call.
        QVERIFY(QFile(data.path() + "/applications").open(QIODevice::WriteOnly));
        ScriptedUi ui;
        TestFolder dir;
        const QString path = dir.write(QStringLiteral("app.ini"), "[A]\r\nk=v\r\n");
        MainWindow w(ui, path);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.windowTitle(), QStringLiteral("Configuration Editor - ") + path);
        QCOMPARE(w.tree()->nodes().count(), 2);

        const QString create = QStringLiteral("An error occured while attempting to to create a registery key.");
        const QString access = QStringLiteral("An error occured while attempting to access the registery.");
        QStringList texts;
        for (const ScriptedUi::Message &m : ui.messages) {
            texts << m.text;
            QCOMPARE(m.icon, MessageIcon::Critical);
            QCOMPARE(m.title, QStringLiteral("DLL/OCX Register"));
        }
        QCOMPARE(texts, (QStringList{create, create, access, access, access}));
        QCOMPARE(data.files(), QStringList{"applications"});
    }
};

QTEST_MAIN(TestMainWindowLoad)
#include "test_main_window_load.moc"
