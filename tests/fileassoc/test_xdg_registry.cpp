#include "class_store.h"
#include "test_files.h"
#include "xdg_paths.h"
#include "xdg_registry.h"

#include <QtTest>

#include <sys/stat.h>

namespace {
QStringList keyNames(const ClassStore &store)
{
    QStringList names;
    for (const ClassKey &key : store.keys())
        names << key.name;
    return names;
}

ClassStore onDisk()
{
    const std::optional<ClassStore> store = ClassStore::fromJson(TestFolder::read(classStorePath()));
    if (!store)
        qFatal("the key store does not read back");
    return *store;
}

ino_t inodeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
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

QStringList noMimeTypes(const QString &)
{
    return {};
}
} // namespace

// The keys' store, and the registry calls on the desktop that keep it: what
// each call answers, where the keys go, and what it does with a refused write.
class TestXdgRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // --- The store ---

    void creatingAKeyMakesTheKeysAboveIt()
    {
        ClassStore store;
        bool added = false;
        QCOMPARE(store.create("type\\shell\\open\\command", &added), QStringLiteral("type\\shell\\open\\command"));
        QVERIFY(added);
        QCOMPARE(keyNames(store),
                 (QStringList{"type", "type\\shell", "type\\shell\\open", "type\\shell\\open\\command"}));

        // An existing key in other letters is the same key, and keeps its spelling.
        QCOMPARE(store.create("TYPE\\Shell\\edit", &added), QStringLiteral("type\\shell\\edit"));
        QVERIFY(added);
        QCOMPARE(store.create("Type\\SHELL", &added), QStringLiteral("type\\shell"));
        QVERIFY(!added);
        QCOMPARE(store.keys().size(), 5);
        QCOMPARE(store.keys().last().name, QStringLiteral("type\\shell\\edit"));
    }

    void valuesAndTheirAbsence()
    {
        ClassStore store;
        store.create(".ini");
        QVERIFY(!store.value(".ini"));
        QVERIFY(store.setValue(".INI", QString()));
        QCOMPARE(store.value(".ini"), std::optional<QString>(QString()));
        QVERIFY(store.setValue(".Ini", "inifile"));
        QCOMPARE(store.value(".ini"), std::optional<QString>("inifile"));
        QVERIFY(!store.setValue("missing", "x"));
        QVERIFY(!store.find("missing"));
    }

    void validKeyNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("one part") << ".ini" << true;
        QTest::newRow("several") << "a\\b c\\d" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("leading separator") << "\\a" << false;
        QTest::newRow("trailing separator") << "a\\" << false;
        QTest::newRow("double separator") << "a\\\\b" << false;
    }

    void validKeyNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(ClassStore::isValidName(name), valid);
    }

    void theStoreReadsBackAsItWasWritten()
    {
        ClassStore store;
        store.create("z\\y");
        store.create(".ini");
        store.setValue("z\\y", "a \"quoted\" \\ value\nwith a line end");
        store.setValue(".ini", QString());
        const std::optional<ClassStore> back = ClassStore::fromJson(store.toJson());
        QVERIFY(back);
        QCOMPARE(keyNames(*back), (QStringList{"z", "z\\y", ".ini"}));
        QVERIFY(!back->value("z"));
        QCOMPARE(back->value("z\\y"), store.value("z\\y"));
        QCOMPARE(back->value(".ini"), std::optional<QString>(QString()));
    }

    void whatIsNoStore_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not json") << QByteArray("[Section]\nkey=value\n");
        QTest::newRow("an array") << QByteArray("[]");
        QTest::newRow("no root") << QByteArray("{\"other\": []}");
        QTest::newRow("bad key") << QByteArray("{\"HKEY_CLASSES_ROOT\": [{\"key\": \"\\\\a\"}]}");
        QTest::newRow("same key twice") << QByteArray("{\"HKEY_CLASSES_ROOT\": [{\"key\": \"a\"}, {\"key\": \"A\"}]}");
        QTest::newRow("number value") << QByteArray("{\"HKEY_CLASSES_ROOT\": [{\"key\": \"a\", \"value\": 1}]}");
    }

    void whatIsNoStore()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!ClassStore::fromJson(bytes));
    }

    void nothingIsAnEmptyStore()
    {
        const std::optional<ClassStore> store = ClassStore::fromJson(QByteArray());
        QVERIFY(store);
        QVERIFY(store->keys().isEmpty());
    }

    // --- The data folder ---

    void theDataFolderComesFromTheEnvironment()
    {
        TestDataHome data;
        QCOMPARE(userDataHome(), data.path());
        QCOMPARE(classStorePath(), data.path() + "/larkspur/classes.json");
        QCOMPARE(userApplicationsDir(), data.path() + "/applications");
        QCOMPARE(mimePackagePath(), data.path() + "/mime/packages/larkspur.xml");

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

    void withoutADataFolderEveryCallIsRefused()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "x", kKeyAccess, key), RegError::Success);
        {
            KeepEnv home("HOME");
            KeepEnv dataHome("XDG_DATA_HOME");
            qputenv("XDG_DATA_HOME", "");
            qputenv("HOME", "");
            RegKey other = 0;
            QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "y", kKeyAccess, other), RegError::AccessDenied);
            QCOMPARE(registry.openKey(HKEY_CLASSES_ROOT, "x", kKeyAccess, other), RegError::AccessDenied);
            QCOMPARE(registry.setDefaultValue(key, "v"), RegError::AccessDenied);
        }
        QCOMPARE(keyNames(onDisk()), QStringList{"x"});
        QVERIFY(!onDisk().value("x"));
        registry.closeKey(key);
    }

    // --- The calls ---

    void createOpenSetClose()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "kind\\shell\\Go\\command", kKeyAccess, key), RegError::Success);
        QVERIFY(key != 0);
        const RegKey created = key;
        QCOMPARE(registry.closeKey(created), RegError::Success);
        QCOMPARE(registry.closeKey(created), RegError::InvalidHandle);
        QCOMPARE(registry.setDefaultValue(created, "x"), RegError::InvalidHandle);
        QCOMPARE(keyNames(onDisk()),
                 (QStringList{"kind", "kind\\shell", "kind\\shell\\Go", "kind\\shell\\Go\\command"}));

        QCOMPARE(registry.openKey(HKEY_CLASSES_ROOT, "KIND\\SHELL\\go\\Command", kKeyAccess, key), RegError::Success);
        QVERIFY(key != created);
        QCOMPARE(registry.setDefaultValue(key, "/bin/true %1"), RegError::Success);
        QCOMPARE(registry.closeKey(key), RegError::Success);
        QCOMPARE(onDisk().value("kind\\shell\\Go\\command"), std::optional<QString>("/bin/true %1"));

        // A type with a verb is now on the desktop, though no extension points at it yet.
        const QByteArray entry = TestFolder::read(userApplicationsDir() + "/larkspur-kind.desktop");
        QVERIFY2(entry.contains("\nExec=/bin/true %f\n"), entry.constData());
        QVERIFY2(!entry.contains("MimeType="), entry.constData());
    }

    void whatTheCallsRefuse()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 99;
        QCOMPARE(registry.openKey(HKEY_CLASSES_ROOT, "missing", kKeyAccess, key), RegError::FileNotFound);
        QCOMPARE(key, RegKey(0));
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "a\\\\b", kKeyAccess, key), RegError::BadPathname);
        QCOMPARE(registry.openKey(HKEY_CLASSES_ROOT, QString(), kKeyAccess, key), RegError::BadPathname);
        // Only the classes root is kept.
        QCOMPARE(registry.createKey(RegKey(0x80000001u), "Software", kKeyAccess, key), RegError::InvalidHandle);
        QCOMPARE(registry.closeKey(0), RegError::InvalidHandle);
        QCOMPARE(data.files(), QStringList());
    }

    void aKeyTakenAwayUnderAnOpenHandle()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "gone", kKeyAccess, key), RegError::Success);
        QVERIFY(QFile::remove(classStorePath()));
        QCOMPARE(registry.setDefaultValue(key, "x"), RegError::KeyDeleted);
        QCOMPARE(registry.closeKey(key), RegError::Success);
    }

    void aStoreThatIsNotOursIsStartedAfresh()
    {
        TestDataHome data;
        QVERIFY(QDir().mkpath(data.path() + "/larkspur"));
        QFile garbage(classStorePath());
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a store");
        garbage.close();

        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.openKey(HKEY_CLASSES_ROOT, "x", kKeyAccess, key), RegError::FileNotFound);
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "x", kKeyAccess, key), RegError::Success);
        QCOMPARE(keyNames(onDisk()), QStringList{"x"});
    }

    void aStoreThatCannotBeReadRefusesEverything()
    {
        TestDataHome data;
        // A folder where the store's file should be.
        QVERIFY(QDir().mkpath(classStorePath()));
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "x", kKeyAccess, key), RegError::AccessDenied);
        QCOMPARE(registry.openKey(HKEY_CLASSES_ROOT, "x", kKeyAccess, key), RegError::AccessDenied);
    }

    void aRefusedEntryRefusesTheValueButTheStoreKeepsIt()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "t\\shell\\v\\command", kKeyAccess, key), RegError::Success);
        QVERIFY(QDir().mkpath(userApplicationsDir() + "/larkspur-t.desktop"));
        QCOMPARE(registry.setDefaultValue(key, "/bin/true %1"), RegError::AccessDenied);
        QCOMPARE(onDisk().value("t\\shell\\v\\command"), std::optional<QString>("/bin/true %1"));
        registry.closeKey(key);
    }

    void aRefusedMimePackageRefusesTheValue()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "t\\shell\\v\\command", kKeyAccess, key), RegError::Success);
        QCOMPARE(registry.setDefaultValue(key, "/bin/true %1"), RegError::Success);
        registry.closeKey(key);
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, ".tq", kKeyAccess, key), RegError::Success);
        QVERIFY(QFile(data.path() + "/mime").open(QIODevice::WriteOnly));
        QCOMPARE(registry.setDefaultValue(key, "t"), RegError::AccessDenied);
        registry.closeKey(key);
        // The entry still follows the new extension.
        const QByteArray entry = TestFolder::read(userApplicationsDir() + "/larkspur-t.desktop");
        QVERIFY2(entry.contains("\nMimeType=text/x-tq;\n"), entry.constData());
    }

    void aTypeTheDesktopKnowsIsNotDeclaredAgain()
    {
        TestDataHome data;
        QStringList askedFor;
        XdgRegistry registry([&askedFor](const QString &fileName) {
            askedFor << fileName;
            return QStringList{"text/x-ini", "application/x-wine-extension-ini"};
        });
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "inifile\\shell\\Edit\\command", kKeyAccess, key),
                 RegError::Success);
        QCOMPARE(registry.setDefaultValue(key, "/bin/true %1"), RegError::Success);
        registry.closeKey(key);
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, ".INI", kKeyAccess, key), RegError::Success);
        QCOMPARE(registry.setDefaultValue(key, "inifile"), RegError::Success);
        registry.closeKey(key);

        QCOMPARE(askedFor, QStringList{"file.ini"});
        const QByteArray entry = TestFolder::read(userApplicationsDir() + "/larkspur-inifile.desktop");
        QVERIFY2(entry.contains("\nMimeType=application/x-wine-extension-ini;\n"), entry.constData());
        QVERIFY(!QFile::exists(mimePackagePath()));
    }

    void anUnchangedEntryIsLeftAlone()
    {
        TestDataHome data;
        XdgRegistry registry(noMimeTypes);
        RegKey key = 0;
        QCOMPARE(registry.createKey(HKEY_CLASSES_ROOT, "t\\shell\\v\\command", kKeyAccess, key), RegError::Success);
        QCOMPARE(registry.setDefaultValue(key, "/bin/true %1"), RegError::Success);
        // A rewrite puts a new file in the entry's place; an untouched entry keeps its own.
        const QString entry = userApplicationsDir() + "/larkspur-t.desktop";
        const ino_t first = inodeOf(entry);
        QVERIFY(first != 0);
        QCOMPARE(registry.setDefaultValue(key, "/bin/true %1"), RegError::Success);
        QCOMPARE(inodeOf(entry), first);
        QCOMPARE(registry.setDefaultValue(key, "/bin/false %1"), RegError::Success);
        QVERIFY(inodeOf(entry) != first);
        QVERIFY(TestFolder::read(entry).contains("\nExec=/bin/false %f\n"));
        registry.closeKey(key);
    }
};

QTEST_GUILESS_MAIN(TestXdgRegistry)
#include "test_xdg_registry.moc"
