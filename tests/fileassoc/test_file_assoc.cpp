#include "app_error.h"
#include "class_store.h"
#include "mod_file_assoc.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "xdg_paths.h"
#include "xdg_registry.h"

#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kTitle = QStringLiteral("DLL/OCX Register");
const QString kCreateMessage = QStringLiteral("An error occured while attempting to to create a registery key.");
const QString kAccessMessage = QStringLiteral("An error occured while attempting to access the registery.");
const QString kSetMessage = QStringLiteral("An error occured while attempting to set key default value.");
const QString kCommandKey = QStringLiteral("inifile\\shell\\Edit with Larkspur\\command");
const QString kStorePath = QStringLiteral("larkspur/classes.json");
const QString kEntryPath = QStringLiteral("applications/larkspur-inifile.desktop");
const QString kPackagePath = QStringLiteral("mime/packages/larkspur.xml");

// The registry the test's registration calls go through.
RegistryApi *g_registry = nullptr;

// The registration module of the running test: one object per registry and
// scripted person, so that its assoc().bShowErrors carries from call to call as the
// module's own variable does.
modFileAssoc &assoc()
{
    static std::unique_ptr<modFileAssoc> module;
    static RegistryApi *moduleRegistry = nullptr;
    static Interaction *moduleUi = nullptr;
    Interaction *ui = &ScriptedUi::currentOrConsole();
    if (!module || moduleRegistry != g_registry || moduleUi != ui) {
        module = std::make_unique<modFileAssoc>(*g_registry, *ui);
        moduleRegistry = g_registry;
        moduleUi = ui;
    }
    return *module;
}

ClassStore storedKeys()
{
    const std::optional<ClassStore> store = ClassStore::fromJson(TestFolder::read(classStorePath()));
    if (!store)
        qFatal("the key store does not read back");
    return *store;
}

// A key's default value, or what it lacks.
QString valueOf(const ClassStore &store, const QString &name)
{
    const ClassKey *key = store.find(name);
    if (!key)
        return QStringLiteral("<no key>");
    return key->value ? *key->value : QStringLiteral("<no value>");
}

QStringList keyNames(const ClassStore &store)
{
    QStringList names;
    for (const ClassKey &key : store.keys())
        names << key.name;
    return names;
}

QByteArray fileIn(const TestDataHome &data, const QString &relative)
{
    return TestFolder::read(data.path() + QLatin1Char('/') + relative);
}

// The entry the start-up registration makes for a program at `app`
// (a path without characters the entry would have to quote).
QByteArray expectedEntry(const QString &app, const QString &arguments = QString())
{
    const QString exec = app + arguments + QStringLiteral(" %f");
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
                             "MimeType=text/x-ini;\n"
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

// Stands in for the registry: records every call in order, and refuses the
// calls it is told to with the code it is given.
class RecordingRegistry : public RegistryApi {
public:
    RecordingRegistry() : m_previous(g_registry) { g_registry = this; }
    ~RecordingRegistry() override { g_registry = m_previous; }

    qint32 createKey(RegKey root, const QString &subKey, quint32 access, RegKey &key) override
    {
        calls << QStringLiteral("create %1 %2 0x%3").arg(rootName(root), subKey, QString::number(access, 16));
        return answer(refuseCreate, key);
    }
    qint32 openKey(RegKey root, const QString &subKey, quint32 access, RegKey &key) override
    {
        calls << QStringLiteral("open %1 %2 0x%3").arg(rootName(root), subKey, QString::number(access, 16));
        return answer(refuseOpen, key);
    }
    qint32 setDefaultValue(RegKey key, const QString &text) override
    {
        calls << QStringLiteral("set #%1 %2").arg(key).arg(text);
        return refuseSet;
    }
    qint32 closeKey(RegKey key) override
    {
        calls << QStringLiteral("close #%1").arg(key);
        return key ? RegError::Success : RegError::InvalidHandle;
    }

    QStringList calls;
    qint32 refuseCreate = RegError::Success;
    qint32 refuseOpen = RegError::Success;
    qint32 refuseSet = RegError::Success;

private:
    static QString rootName(RegKey root)
    {
        return root == HKEY_CLASSES_ROOT ? QStringLiteral("HKCR") : QStringLiteral("?");
    }
    qint32 answer(qint32 refusal, RegKey &key)
    {
        key = refusal ? 0 : ++m_handles;
        return refusal;
    }
    RegKey m_handles = 0;
    RegistryApi *m_previous;
};
} // namespace

// The shell verb registration: the checks and their messages, the calls it
// makes in their order, and what it leaves in the user's data folder.
class TestFileAssoc : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataHome> m_data;
    std::unique_ptr<TestFolder> m_programs;
    // The desktop's registry, told that the MIME database knows no type for
    // INI files, as on a system without one.
    std::unique_ptr<XdgRegistry> m_registry;

    QString program(const QString &folder = QStringLiteral("bin")) const
    {
        QDir().mkpath(m_programs->path(folder));
        return m_programs->write(folder + QStringLiteral("/larkspur"), "#!/bin/sh\n");
    }

private Q_SLOTS:
    void init()
    {
        m_data = std::make_unique<TestDataHome>();
        m_programs = std::make_unique<TestFolder>();
        m_registry = std::make_unique<XdgRegistry>([](const QString &) { return QStringList(); });
        g_registry = m_registry.get();
    }

    void cleanup()
    {
        g_registry = nullptr;
        m_registry.reset();
        m_programs.reset();
        m_data.reset();
    }

    // --- What a start leaves behind ---

    void startUpRegistersTheVerb()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(assoc().RegisterShellVerb(app));
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(assoc().bShowErrors);

        const ClassStore keys = storedKeys();
        QCOMPARE(keyNames(keys),
                 (QStringList{".INI", "inifile", "inifile\\shell", "inifile\\shell\\Edit with Larkspur", kCommandKey}));
        QCOMPARE(valueOf(keys, ".INI"), QString("inifile"));
        QCOMPARE(valueOf(keys, "inifile"), QString("Larkspur"));
        QCOMPARE(valueOf(keys, kCommandKey), QString(app + " %1"));
        // The keys on the way get no value; no icon is registered.
        QCOMPARE(valueOf(keys, "inifile\\shell"), QStringLiteral("<no value>"));
        QCOMPARE(valueOf(keys, "inifile\\shell\\Edit with Larkspur"), QStringLiteral("<no value>"));
        QVERIFY(!keys.find("inifile\\DefaultIcon"));

        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app));
        const QByteArray package = fileIn(*m_data, kPackagePath);
        QVERIFY2(package.contains("<mime-type type=\"text/x-ini\">"), package.constData());
        QVERIFY2(package.contains("<glob pattern=\"*.ini\"/>"), package.constData());

        // The package is compiled into the user's MIME database where the tool for it is installed.
        if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
            QVERIFY(fileIn(*m_data, QStringLiteral("mime/globs2")).contains("text/x-ini:*.ini"));

        // Nothing but the store, the entry and the MIME database.
        for (const QString &file : m_data->files()) {
            QVERIFY2(file == kStorePath || file == kEntryPath || file.startsWith(QStringLiteral("mime/")),
                     qPrintable(file));
        }
    }

    void aSecondStartChangesNothing()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(assoc().RegisterShellVerb(app));
        const QByteArray store = fileIn(*m_data, kStorePath);
        const QByteArray entry = fileIn(*m_data, kEntryPath);
        const QByteArray package = fileIn(*m_data, kPackagePath);
        const QStringList files = m_data->files();

        QVERIFY(assoc().RegisterShellVerb(app));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(fileIn(*m_data, kStorePath), store);
        QCOMPARE(fileIn(*m_data, kEntryPath), entry);
        QCOMPARE(fileIn(*m_data, kPackagePath), package);
        QCOMPARE(m_data->files(), files);
    }

    void aStartFromAnotherFolderPointsTheVerbThere()
    {
        ScriptedUi ui;
        const QString first = program(QStringLiteral("old"));
        QVERIFY(assoc().RegisterShellVerb(first));
        // Another verb of the type, registered before, stays.
        QVERIFY(assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Print", first, "/p", false, QString(), true));
        const QStringList before = keyNames(storedKeys());

        const QString moved = program(QStringLiteral("new place"));
        QVERIFY(assoc().RegisterShellVerb(moved));
        QVERIFY(ui.messages.isEmpty());
        const ClassStore after = storedKeys();
        QCOMPARE(keyNames(after), before);
        QCOMPARE(valueOf(after, kCommandKey), QString(moved + " %1"));
        QCOMPARE(valueOf(after, "inifile\\shell\\Print\\command"), QString(first + " /p %1"));
        QCOMPARE(valueOf(after, ".INI"), QString("inifile"));

        // The folder's blank puts the program in quotes in the entry.
        const QString entry = QString::fromUtf8(fileIn(*m_data, kEntryPath));
        QVERIFY2(entry.contains("\nExec=\"" + moved + "\" %f\n"), qPrintable(entry));
        QVERIFY2(entry.contains("\n[Desktop Action Print]\nName=Print\nExec=" + first + " /p %f\n"), qPrintable(entry));
        QVERIFY2(entry.contains("\nActions=Edit-with-Larkspur;Print;\n"), qPrintable(entry));
    }

    void theExtensionKeyIsTheSameInAnyLetterCase()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(assoc().RegisterFileType("ini", "IniFile", "Larkspur", "Edit with Larkspur", app, QString(), false,
                                         QString(), true));
        QVERIFY(assoc().RegisterShellVerb(app));
        QVERIFY(ui.messages.isEmpty());
        // The keys keep the spelling they were made with.
        QCOMPARE(keyNames(storedKeys()),
                 (QStringList{".ini", "IniFile", "IniFile\\shell", "IniFile\\shell\\Edit with Larkspur",
                              "IniFile\\shell\\Edit with Larkspur\\command"}));
        QCOMPARE(valueOf(storedKeys(), ".INI"), QString("inifile"));
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app));
    }

    void anExtensionWithoutItsDotGetsOne()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(assoc().RegisterFileType("cfg", "cfgfile", "Config", "Edit with Larkspur", app, QString(), false,
                                         QString(), true));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(valueOf(storedKeys(), ".cfg"), QString("cfgfile"));
        QVERIFY(!storedKeys().find("cfg"));
        const QString entry = QString::fromUtf8(fileIn(*m_data, "applications/larkspur-cfgfile.desktop"));
        QVERIFY2(entry.contains("\nMimeType=text/x-cfg;\n"), qPrintable(entry));
        QVERIFY2(entry.contains("\nName=Config\n"), qPrintable(entry));
    }

    void argumentsAreTrimmedBehindOneBlank()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Edit with Larkspur", app, "  -x  ", false,
                                         QString(), true));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(valueOf(storedKeys(), kCommandKey), QString(app + " -x %1"));
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(app, " -x"));
    }

    void setIconWithoutAnIconPathUsesTheProgram()
    {
        ScriptedUi ui;
        const QString app = program();
        QVERIFY(assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Edit with Larkspur", app, QString(), true,
                                         QString(), true));
        QVERIFY(ui.messages.isEmpty());
        const ClassStore keys = storedKeys();
        QCOMPARE(valueOf(keys, "inifile\\DefaultIcon"), QString(app + ",0"));
        // The keys are all made before the first value is set.
        QCOMPARE(keyNames(keys), (QStringList{".INI", "inifile", "inifile\\shell", "inifile\\shell\\Edit with Larkspur",
                                              kCommandKey, "inifile\\DefaultIcon"}));
        // A program is no image: the entry keeps the program's icon name.
        QVERIFY(fileIn(*m_data, kEntryPath).contains("\nIcon=larkspur\n"));
    }

    void setIconWithAnImageShowsIt()
    {
        ScriptedUi ui;
        const QString app = program();
        const QString icon = m_programs->write("ini.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
        QVERIFY(assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Edit with Larkspur", app, QString(), true,
                                         "  " + icon + "  ", true));
        QCOMPARE(valueOf(storedKeys(), "inifile\\DefaultIcon"), QString(icon));
        QVERIFY(fileIn(*m_data, kEntryPath).contains(("\nIcon=" + icon + "\n").toUtf8()));
        QVERIFY(ui.messages.isEmpty());
    }

    // --- The two checks: a message, false, and nothing written ---

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
        QVERIFY(!assoc().RegisterShellVerb(path));
        checkMessages(ui, {"The application path '" + path + "' cannot be found."});
        QCOMPARE(m_data->files(), QStringList());
    }

    void noMessageWhenErrorsAreNotShown()
    {
        ScriptedUi ui;
        QVERIFY(!assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Edit with Larkspur", m_programs->path("none"),
                                          QString(), false, QString(), false));
        QVERIFY(!assoc().bShowErrors);
        QVERIFY(!assoc().RegisterFileType(".I*I", "inifile", "Larkspur", "Edit with Larkspur", program(), QString(),
                                          false, QString(), false));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(m_data->files(), QStringList());
    }

    void anIllegalCharacterInTheExtension_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("shown");
        const QString chars = QStringLiteral("\\/:*?<>|\"");
        for (QChar c : chars) {
            QTest::newRow(qPrintable(QStringLiteral("char ") + c))
                << QStringLiteral("in") + c << QStringLiteral(".in") + c;
        }
        QTest::newRow("dot given") << ".i?i"
                                   << ".i?i";
        QTest::newRow("at the end of a long one") << "configuration|"
                                                  << ".configuration|";
    }

    void anIllegalCharacterInTheExtension()
    {
        QFETCH(QString, extension);
        QFETCH(QString, shown);
        ScriptedUi ui;
        QVERIFY(!assoc().RegisterFileType(extension, "inifile", "Larkspur", "Edit with Larkspur", program(), QString(),
                                          false, QString(), true));
        checkMessages(ui, {"The file extension '" + shown + "' contains an illegal char (\\/:*?<>|\")."});
        QCOMPARE(m_data->files(), QStringList());
    }

    void aBackslashBelongsToTheProgramPath()
    {
        ScriptedUi ui;
        const QString app = program(QStringLiteral("back\\slash"));
        QVERIFY(assoc().RegisterShellVerb(app));
        QCOMPARE(valueOf(storedKeys(), kCommandKey), QString(app + " %1"));
        // A program whose own name holds one is found as well.
        const QString odd = m_programs->write(QStringLiteral("back\\slash/lark\\spur"), "#!/bin/sh\n");
        QVERIFY(assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Edit with Larkspur", odd, QString(), false,
                                         QString(), true));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(valueOf(storedKeys(), kCommandKey), QString(odd + " %1"));
    }

    void theProgramPathIsCheckedFirst()
    {
        ScriptedUi ui;
        const QString missing = m_programs->path("missing");
        QVERIFY(!assoc().RegisterFileType("*", "inifile", "Larkspur", "Edit with Larkspur", missing, QString(), false,
                                          QString(), true));
        checkMessages(ui, {"The application path '" + missing + "' cannot be found."});
    }

    void anEmptyExtensionFailsBeforeAnythingIsWritten()
    {
        ScriptedUi ui;
        RecordingRegistry registry;
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 assoc().RegisterFileType(QString(), "inifile", "Larkspur", "Edit with Larkspur",
                                                          program(), QString(), false, QString(), true));
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(registry.calls.isEmpty());
    }

    // --- Refused writes: each step says so, and the next one runs ---

    void everyCallRefusedWhenTheApplicationsFolderCannotBeMade()
    {
        ScriptedUi ui;
        // A file where the folder should be: nothing can be made in it, even by root.
        QVERIFY(QFile(m_data->path() + "/applications").open(QIODevice::WriteOnly));
        QVERIFY(assoc().RegisterShellVerb(program()));
        checkMessages(ui, {kCreateMessage, kCreateMessage, kAccessMessage, kAccessMessage, kAccessMessage});
        QCOMPARE(m_data->files(), QStringList{"applications"});
    }

    void everyCallRefusedWhenTheStoreFolderCannotBeMade()
    {
        ScriptedUi ui;
        QVERIFY(QFile(m_data->path() + "/larkspur").open(QIODevice::WriteOnly));
        QVERIFY(assoc().RegisterShellVerb(program()));
        checkMessages(ui, {kCreateMessage, kCreateMessage, kAccessMessage, kAccessMessage, kAccessMessage});
        QCOMPARE(m_data->files(), QStringList{"larkspur"});
    }

    void refusedValuesAfterTheKeysWereMade()
    {
        ScriptedUi ui;
        const QString app = program();
        const QString entryPath = m_data->path() + "/" + kEntryPath;
        // The entry cannot be written where a folder stands in its place. On a
        // first start only the command makes an entry, so only its value is refused.
        QVERIFY(QDir().mkpath(entryPath));
        QVERIFY(assoc().RegisterShellVerb(app));
        checkMessages(ui, {kSetMessage});

        // Once there is an entry to follow, every value written must reach it.
        QVERIFY(QDir(entryPath).removeRecursively());
        ui.messages.clear();
        QVERIFY(assoc().RegisterShellVerb(app));
        QVERIFY(ui.messages.isEmpty());
        QVERIFY(QFile::remove(entryPath));
        QVERIFY(QDir().mkpath(entryPath));
        const QString moved = program(QStringLiteral("moved"));
        QVERIFY(assoc().RegisterShellVerb(moved));
        checkMessages(ui, {kSetMessage, kSetMessage, kSetMessage});

        // The store took the values: the next start that can write the entry
        // makes it from all of them.
        QCOMPARE(valueOf(storedKeys(), kCommandKey), QString(moved + " %1"));
        QVERIFY(QDir(entryPath).removeRecursively());
        ui.messages.clear();
        QVERIFY(assoc().RegisterShellVerb(moved));
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(fileIn(*m_data, kEntryPath), expectedEntry(moved));
    }

    void theCallsAndTheirOrder()
    {
        ScriptedUi ui;
        RecordingRegistry registry;
        const QString app = program();
        QVERIFY(assoc().RegisterFileType("ini", "inifile", "Larkspur", "Edit with Larkspur", app, QString(), true,
                                         QString(), true));
        QCOMPARE(registry.calls, (QStringList{
                                     "create HKCR .ini 0x3f",
                                     "close #1",
                                     "create HKCR " + kCommandKey + " 0x3f",
                                     "close #2",
                                     "create HKCR inifile\\DefaultIcon 0x3f",
                                     "close #3",
                                     "open HKCR inifile\\DefaultIcon 0x3f",
                                     "set #4 " + app + ",0",
                                     "close #4",
                                     "open HKCR .ini 0x3f",
                                     "set #5 inifile",
                                     "close #5",
                                     "open HKCR inifile 0x3f",
                                     "set #6 Larkspur",
                                     "close #6",
                                     "open HKCR " + kCommandKey + " 0x3f",
                                     "set #7 " + app + " %1",
                                     "close #7",
                                 }));
        QVERIFY(ui.messages.isEmpty());
    }

    void refusedCallsAreReportedOneByOne()
    {
        ScriptedUi ui;
        RecordingRegistry registry;
        registry.refuseCreate = RegError::AccessDenied;
        registry.refuseOpen = RegError::FileNotFound;
        const QString app = program();
        QVERIFY(assoc().RegisterFileType(".INI", "inifile", "Larkspur", "Edit with Larkspur", app, QString(), true,
                                         QString(), true));
        checkMessages(ui, {kCreateMessage, kCreateMessage, kCreateMessage, kAccessMessage, kAccessMessage,
                           kAccessMessage, kAccessMessage});
        // A refused create still closes what it got; a refused open has nothing to close.
        QCOMPARE(registry.calls.filter("close"), (QStringList{"close #0", "close #0", "close #0"}));
        QVERIFY(registry.calls.filter("set").isEmpty());

        ui.messages.clear();
        registry.calls.clear();
        registry.refuseCreate = RegError::Success;
        registry.refuseOpen = RegError::Success;
        registry.refuseSet = RegError::AccessDenied;
        QVERIFY(assoc().RegisterShellVerb(app));
        checkMessages(ui, {kSetMessage, kSetMessage, kSetMessage});
        QCOMPARE(registry.calls.filter("close").size(), 5);
    }

    void theRegistryRoutinesOnTheirOwn()
    {
        ScriptedUi ui;
        assoc().bShowErrors = true;
        QVERIFY(!assoc().SetKeyDefaultValue(HKEY_CLASSES_ROOT, "never made", "x"));
        QVERIFY(assoc().CreateRegistryKey(HKEY_CLASSES_ROOT, "a\\b"));
        QVERIFY(assoc().SetKeyDefaultValue(HKEY_CLASSES_ROOT, "A\\B", "value"));
        QVERIFY(!assoc().CreateRegistryKey(HKEY_CLASSES_ROOT, "\\leading"));
        checkMessages(ui, {kAccessMessage, kCreateMessage});
        QCOMPARE(valueOf(storedKeys(), "a\\b"), QString("value"));

        assoc().bShowErrors = false;
        QVERIFY(!assoc().SetKeyDefaultValue(HKEY_CLASSES_ROOT, "never made", "x"));
        QVERIFY(!assoc().CreateRegistryKey(HKEY_CLASSES_ROOT, QString()));
        QCOMPARE(ui.messages.size(), 2);
    }

    void theProgramStandsInItsFolder()
    {
        QCOMPARE(ProgramPath("/opt/larkspur/bin"), QStringLiteral("/opt/larkspur/bin/larkspur"));
        QCOMPARE(ProgramPath("/"), QStringLiteral("/larkspur"));
        // Blanks belong to the folder's name; a backslash is a character like any other.
        QCOMPARE(ProgramPath("/tmp/odd name "), QStringLiteral("/tmp/odd name /larkspur"));
        QCOMPARE(ProgramPath("/tmp/back\\"), QStringLiteral("/tmp/back\\/larkspur"));
    }
};

QTEST_GUILESS_MAIN(TestFileAssoc)
#include "test_file_assoc.moc"
