#include "xdg_registry.h"

#include "class_store.h"
#include "desktop_entry.h"
#include "mime_package.h"
#include "xdg_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {
bool makeFolderFor(const QString &path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

// Writes the whole file or leaves the old one as it was.
bool saveFile(const QString &path, const QByteArray &bytes)
{
    if (!makeFolderFor(path))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The desktop watches these files and reloads what changes, so an
// unchanged one is left alone; `written` tells whether it changed.
bool saveIfChanged(const QString &path, const QByteArray &bytes, bool *written = nullptr)
{
    if (written)
        *written = false;
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
        return true;
    current.close();
    if (!saveFile(path, bytes))
        return false;
    if (written)
        *written = true;
    return true;
}

// The store as it is on disk: a missing one is empty. One we cannot make
// sense of is taken as empty too, since every start writes all of its keys
// again; one we cannot read at all stops the call.
std::optional<ClassStore> loadStore()
{
    QFile file(classStorePath());
    if (!file.exists())
        return ClassStore();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<ClassStore> store = ClassStore::fromJson(file.readAll());
    return store ? *store : ClassStore();
}

// Every call stops here when the user has no data folder to write in.
bool haveDataHome()
{
    return !userDataHome().isEmpty();
}

// What every call on a named key checks before it touches the store.
qint32 checkKeyAccess(RegKey root, const QString &subKey)
{
    if (root != HKEY_CLASSES_ROOT)
        return RegError::InvalidHandle;
    if (!ClassStore::isValidName(subKey))
        return RegError::BadPathname;
    if (!haveDataHome())
        return RegError::AccessDenied;
    return RegError::Success;
}

bool isRegularFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

// Writes the MIME declarations and desktop entries that follow from `store`.
bool publish(const ClassStore &store, const XdgRegistry::MimeLookup &knownMimeTypes)
{
    const QList<FileTypeClass> types = fileTypeClasses(store);
    QList<MimeDeclaration> declared;
    QList<QStringList> typeMimeTypes;
    for (const FileTypeClass &type : types) {
        QStringList mimeTypes;
        for (const QString &extension : type.extensions) {
            bool declare = false;
            const QString mime =
                mimeTypeForExtension(extension, knownMimeTypes(QStringLiteral("file") + extension.toLower()), declare);
            const bool known = std::any_of(declared.cbegin(), declared.cend(),
                                           [&mime](const MimeDeclaration &d) { return d.type == mime; });
            if (declare && !known)
                declared.append(ownMimeDeclaration(extension));
            if (!mimeTypes.contains(mime))
                mimeTypes << mime;
        }
        typeMimeTypes << mimeTypes;
    }

    bool ok = true;
    if (!declared.isEmpty()) {
        bool written = false;
        if (!saveIfChanged(mimePackagePath(), mimePackage(declared), &written))
            ok = false;
        if (written)
            updateMimeDatabase(userMimeDir());
    }
    for (qsizetype i = 0; i < types.size(); ++i) {
        const QString path = userApplicationsDir() + QLatin1Char('/') + desktopEntryFileName(types[i].name);
        if (!saveIfChanged(path, desktopEntry(types[i], typeMimeTypes[i], isRegularFile)))
            ok = false;
    }
    return ok;
}
} // namespace

XdgRegistry::XdgRegistry(MimeLookup knownMimeTypes)
    : m_knownMimeTypes(knownMimeTypes ? std::move(knownMimeTypes) : MimeLookup(systemMimeTypesForFileName))
{}

RegKey XdgRegistry::openHandle(const QString &name)
{
    const RegKey key = m_nextHandle++;
    m_open.insert(key, name);
    return key;
}

qint32 XdgRegistry::createKey(RegKey root, const QString &subKey, quint32 access, RegKey &key)
{
    Q_UNUSED(access);
    key = 0;
    if (const qint32 refused = checkKeyAccess(root, subKey); refused != RegError::Success)
        return refused;
    // A key is only worth making where its desktop entry can follow it.
    if (!makeFolderFor(classStorePath()) || !QDir().mkpath(userApplicationsDir()))
        return RegError::AccessDenied;
    std::optional<ClassStore> store = loadStore();
    if (!store)
        return RegError::AccessDenied;
    bool added = false;
    const QString name = store->create(subKey, &added);
    if (added && !saveFile(classStorePath(), store->toJson()))
        return RegError::AccessDenied;
    key = openHandle(name);
    return RegError::Success;
}

qint32 XdgRegistry::openKey(RegKey root, const QString &subKey, quint32 access, RegKey &key)
{
    Q_UNUSED(access);
    key = 0;
    if (const qint32 refused = checkKeyAccess(root, subKey); refused != RegError::Success)
        return refused;
    const std::optional<ClassStore> store = loadStore();
    if (!store)
        return RegError::AccessDenied;
    const ClassKey *found = store->find(subKey);
    if (!found)
        return RegError::FileNotFound;
    key = openHandle(found->name);
    return RegError::Success;
}

qint32 XdgRegistry::setDefaultValue(RegKey key, const QString &text)
{
    const auto open = m_open.constFind(key);
    if (open == m_open.cend())
        return RegError::InvalidHandle;
    if (!haveDataHome())
        return RegError::AccessDenied;
    std::optional<ClassStore> store = loadStore();
    if (!store)
        return RegError::AccessDenied;
    if (!store->setValue(*open, text))
        return RegError::KeyDeleted;
    if (!saveFile(classStorePath(), store->toJson()))
        return RegError::AccessDenied;
    return publish(*store, m_knownMimeTypes) ? RegError::Success : RegError::AccessDenied;
}

qint32 XdgRegistry::closeKey(RegKey key)
{
    return m_open.remove(key) ? RegError::Success : RegError::InvalidHandle;
}
