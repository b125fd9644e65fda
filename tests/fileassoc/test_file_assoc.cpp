#include "file_association.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "xdg_paths.h"

#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>

namespace {
const QString kTitle = QStringLiteral("DLL/OCX Register");
const QString kCreateMessage = QStringLiteral("An error occured while attempting to to create a registery key.");
const QString kAccessMessage = QStringLiteral("An error occured while attempting to access the registery.");
const QString kSetMessage = QStringLiteral("An error occured while attempting to set key default value.");
const QString kEntryPath = QStringLiteral("applications/larkspur-inifile.desktop");
const QString kPackagePath = QStringLiteral("mime/packages/larkspur.xml");

QStringList noMimeTypes(const QString &)
{
    return {};
}

QByteArray fileIn(const TestDataHome &data, const QString &relative)
{
    return TestFolder::read(data.path() + QLatin1Char('/') + relative);
}

ino_t inodeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// The entry the registration makes for a program at `app` (a path without
// characters the entry would have to quote), listed for files of `mimeType`.
QByteArray expectedEntry(const QString &app, const QString &mimeType = QStringLiteral("text/x-ini"))
{
    const QString exec = app + QStringLiteral(" %f");
    return (QStringLiteral("[Desktop Entry]\n"
                           "Type=Application\n"
                           "Version=1.4\n"
                           "Name=Larkspur\n"
                           "Exec=")
            + exec
            + QStringLiteral("\n"
                             "Icon=larkspur\n"
                             "Terminal=false\n"
                             "NoDisplay=true\n"
                             "MimeType=")
            + mimeType
            + QStringLiteral(";\n"
                             "Actions=Edit-with-Larkspur;\n"
                             "\n"
                             "[Desktop Action Edit-with-Larkspur]\n"
                             "Name=Edit with Larkspur\n"
                             "Exec=")
            + exec + QStringLiteral("\n"))
        .toUtf8();
}

void checkMessages(const ScriptedUi &ui, const QStringList &texts)
{
    QStringList shown;
    for (const ScriptedUi::Message &m : ui.messages) {
        shown << m.text;
        QCOMPARE(m.icon, MessageIcon::Critical);
        QCOMPARE(m.title, kTitle);
    }
    QCOMPARE(shown, texts);
}

// Puts an environment variable back as it was when the scope ends, whatever the test did to it.
class KeepEnv {
public:
    explicit KeepEnv(const char *name) : m_name(name), m_was(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name)) {}
    ~KeepEnv()
    {
        if (m_was)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_was;
    QByteArray m_value;
};
} // namespace

// The registration for INI files: the program check and its message, the
// files it leaves in the user's data folder, and the message of each step
// that the file system refuses.
class TestFileAssoc : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataHome> m_data;
    std::unique_ptr<TestFolder> m_programs;

    QString program(const QString &folder = QStringLiteral("bin")) const
    {
        QDir().mkpath(m_programs->path(folder));
        return m_programs->write(folder + QStringLiteral("/larkspur"), "#!/bin/sh\n");
    }

    // Registers `app` as a start does, with a desktop whose MIME database
    // knows no type for INI files, as on a system without one.
    static bool registerProgram(const QString &app)
    {
        return FileAssociation(ScriptedUi::currentOrConsole(), noMimeTypes).registerIniFiles(app);
    }

private Q_SLOTS:
    void init()
    {
        m_data = std::make_unique<TestDataHome>();
        m_programs = std::make_unique<TestFolder>();
    }

    void cleanup()
    {
        m_programs.reset();
        m_data.reset();
    }

    // --- What a start leaves behind ---

    void startUpRegistersTheVerb()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(registerProgram(app));
        QVERIFY(ui.messages.isEmpty());

        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app));
        const QByteArray package = fileIn(*m_data, kPackagePath);
        QVERIFY2(package.contains("<mime-type type=\"text/x-ini\">"), package.constData());
        QVERIFY2(package.contains("<glob pattern=\"*.ini\"/>"), package.constData());

        // The package is compiled into the user's MIME database where the tool for it is installed.
        if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
            QVERIFY(fileIn(*m_data, QStringLiteral("mime/globs2")).contains("text/x-ini:*.ini"));

        // Nothing but the entry and the MIME database.
        for (const QString &file : m_data->files())
            QVERIFY2(file == kEntryPath || file.startsWith(QStringLiteral("mime/")), qPrintable(file));
    }

    void aSecondStartChangesNothing()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(registerProgram(app));
        const QByteArray entry = fileIn(*m_data, kEntryPath);
        const QByteArray package = fileIn(*m_data, kPackagePath);
        const QStringList files = m_data->files();
        const ino_t entryFile = inodeOf(m_data->path() + "/" + kEntryPath);
        QVERIFY(entryFile != 0);

        QVERIFY(registerProgram(app));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(fileIn(*m_data, kEntryPath), entry);
        QCOMPARE(fileIn(*m_data, kPackagePath), package);
        QCOMPARE(m_data->files(), files);
        // The desktop reloads what changes: an unchanged entry keeps its own file.
        QCOMPARE(inodeOf(m_data->path() + "/" + kEntryPath), entryFile);
    }

    void aStartFromAnotherFolderPointsTheVerbThere()
    {
        ScriptedUi ui;
        QVERIFY(registerProgram(program(QStringLiteral("old"))));
        const QString moved = program(QStringLiteral("new place"));
        QVERIFY(registerProgram(moved));
        QVERIFY(ui.messages.isEmpty());

        // The folder's blank puts the program in quotes in the entry.
        const QString entry = QString::fromUtf8(fileIn(*m_data, kEntryPath));
        QVERIFY2(entry.contains("\nExec=\"" + moved + "\" %f\n"), qPrintable(entry));
        QVERIFY2(entry.contains("\n[Desktop Action Edit-with-Larkspur]\nName=Edit with Larkspur\nExec=\"" + moved
                                + "\" %f\n"),
                 qPrintable(entry));
        QVERIFY2(!entry.contains("/old/"), qPrintable(entry));
    }

    void aBackslashBelongsToTheProgramPath()
    {
        ScriptedUi ui;
        // Quoted for the command line, then escaped as a string: four backslashes for one.
        auto execOf = [](QString app) { return "\nExec=\"" + app.replace("\\", "\\\\\\\\") + "\" %f\n"; };
        const QString app = program(QStringLiteral("back\\slash"));
        QVERIFY(registerProgram(app));
        QVERIFY2(QString::fromUtf8(fileIn(*m_data, kEntryPath)).contains(execOf(app)), fileIn(*m_data, kEntryPath));
        // A program whose own name holds one is found as well.
        const QString odd = m_programs->write(QStringLiteral("back\\slash/lark\\spur"), "#!/bin/sh\n");
        QVERIFY(registerProgram(odd));
        QVERIFY(ui.messages.isEmpty());
        QVERIFY2(QString::fromUtf8(fileIn(*m_data, kEntryPath)).contains(execOf(odd)), fileIn(*m_data, kEntryPath));
    }

    void aTypeTheDesktopKnowsIsNotDeclaredAgain()
    {
        ScriptedUi ui;
        QStringList askedFor;
        FileAssociation association(ui, [&askedFor](const QString &fileName) {
            askedFor << fileName;
            return QStringList{"text/x-ini", "application/x-wine-extension-ini"};
        });
        const QString app = program();
        QVERIFY(association.registerIniFiles(app));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(askedFor, QStringList{"file.ini"});
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app, "application/x-wine-extension-ini"));
        QCOMPARE(m_data->files(), QStringList{kEntryPath});
    }

    void aKeyStoreOfAnOlderVersionIsIgnored()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(QDir().mkpath(m_data->path() + "/larkspur"));
        // What an older version kept beside its entry: keys that point INI files elsewhere.
        const QByteArray old = "{\"keys\": [{\"key\": \".INI\", \"value\": \"otherfile\"}]}\n";
        QFile store(m_data->path() + "/larkspur/classes.json");
        QVERIFY(store.open(QIODevice::WriteOnly));
        QCOMPARE(store.write(old), old.size());
        store.close();

        QVERIFY(registerProgram(app));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app));
        QCOMPARE(fileIn(*m_data, "larkspur/classes.json"), old);
    }

    // --- The program check: a message, false, and nothing written ---

    void aProgramPathThatIsNoFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "nowhere/larkspur";
        QTest::newRow("folder") << "bin";
        QTest::newRow("hidden") << "bin/.larkspur";
        QTest::newRow("empty") << "";
    }

    void aProgramPathThatIsNoFile()
    {
        QFETCH(QString, name);
        ScriptedUi ui;
        program();
        m_programs->write("bin/.larkspur", "#!/bin/sh\n");
        const QString path = name.isEmpty() ? name : m_programs->path(name);
        QVERIFY(!registerProgram(path));
        checkMessages(ui, {"The application path '" + path + "' cannot be found."});
        QCOMPARE(m_data->files(), QStringList());
    }

    // --- Refused writes: each step says so, and the next one runs ---

    void everyStepRefusedWhenTheApplicationsFolderCannotBeMade()
    {
        ScriptedUi ui;
        // A file where the folder should be: nothing can be made in it, even by root.
        QVERIFY(QFile(m_data->path() + "/applications").open(QIODevice::WriteOnly));
        QVERIFY(registerProgram(program()));
        checkMessages(ui, {kCreateMessage, kCreateMessage, kAccessMessage, kAccessMessage, kAccessMessage});
        QCOMPARE(m_data->files(), QStringList{"applications"});
    }

    void everyStepRefusedWithoutADataFolder()
    {
        ScriptedUi ui;
        const QString app = program();
        {
            KeepEnv home("HOME");
            KeepEnv dataHome("XDG_DATA_HOME");
            qputenv("XDG_DATA_HOME", "");
            qputenv("HOME", "");
            QVERIFY(registerProgram(app));
        }
        checkMessages(ui, {kCreateMessage, kCreateMessage, kAccessMessage, kAccessMessage, kAccessMessage});
        QCOMPARE(m_data->files(), QStringList());
    }

    void aRefusedEntryIsReportedOnceAndMadeByTheNextStart()
    {
        ScriptedUi ui;
        const QString app = program();
        const QString entryPath = m_data->path() + "/" + kEntryPath;
        // The entry cannot be written where a folder stands in its place.
        QVERIFY(QDir().mkpath(entryPath));
        QVERIFY(registerProgram(app));
        checkMessages(ui, {kSetMessage});
        // The MIME package was written all the same.
        QVERIFY(fileIn(*m_data, kPackagePath).contains("<glob pattern=\"*.ini\"/>"));

        QVERIFY(QDir(entryPath).removeRecursively());
        ui.messages.clear();
        QVERIFY(registerProgram(app));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app));
    }

    void aRefusedMimePackageLeavesTheEntry()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(QFile(m_data->path() + "/mime").open(QIODevice::WriteOnly));
        QVERIFY(registerProgram(app));
        checkMessages(ui, {kSetMessage});
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app));
        QCOMPARE(m_data->files(), (QStringList{kEntryPath, "mime"}));
    }

    // --- Where the files go, and where the program is ---

    void theDataFolderComesFromTheEnvironment()
    {
        QCOMPARE(userDataHome(), m_data->path());
        QCOMPARE(userApplicationsDir(), m_data->path() + "/applications");
        QCOMPARE(mimePackagePath(), m_data->path() + "/mime/packages/larkspur.xml");

        // A relative folder is not taken: the home's data folder is.
        KeepEnv home("HOME");
        qputenv("HOME", "/home/someone/");
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(userDataHome(), QStringLiteral("/home/someone/.local/share"));
        qputenv("XDG_DATA_HOME", "");
        QCOMPARE(userDataHome(), QStringLiteral("/home/someone/.local/share"));
        // No home, no data folder.
        for (const char *noHome : {"", "/", "relative"}) {
            qputenv("HOME", noHome);
            QCOMPARE(userDataHome(), QString());
        }
    }

    void theProgramStandsInItsFolder()
    {
        QCOMPARE(FileAssociation::programPath("/opt/larkspur/bin"), QStringLiteral("/opt/larkspur/bin/larkspur"));
        QCOMPARE(FileAssociation::programPath("/"), QStringLiteral("/larkspur"));
        // Blanks belong to the folder's name; a backslash is a character like any other.
        QCOMPARE(FileAssociation::programPath("/tmp/odd name "), QStringLiteral("/tmp/odd name /larkspur"));
        QCOMPARE(FileAssociation::programPath("/tmp/back\\"), QStringLiteral("/tmp/back\\/larkspur"));
    }
};

QTEST_GUILESS_MAIN(TestFileAssoc)
#include "test_file_assoc.moc"
