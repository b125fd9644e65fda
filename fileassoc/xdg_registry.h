#pragma once

#include "registry_api.h"

#include <QHash>
#include <QStringList>

#include <functional>

// The registry calls on a freedesktop desktop. The keys and default values
// are kept in a small store in the user's data folder; after every value
// written, each file type with a verb becomes a desktop entry in the user's
// applications folder (the type's description its name, each verb an action
// of that name, the extension keys that point at the type its MIME types),
// and extensions the desktop has no MIME type for get one declared in the
// user's MIME database. Nothing is written outside the user's data folder.
// A write that the file system refuses is the refused registry call.
class XdgRegistry : public RegistryApi {
public:
    // What the desktop's MIME database says of a file name.
    using MimeLookup = std::function<QStringList(const QString &fileName)>;
    explicit XdgRegistry(MimeLookup knownMimeTypes = nullptr);

    qint32 createKey(RegKey root, const QString &subKey, quint32 access, RegKey &key) override;
    qint32 openKey(RegKey root, const QString &subKey, quint32 access, RegKey &key) override;
    qint32 setDefaultValue(RegKey key, const QString &text) override;
    qint32 closeKey(RegKey key) override;

private:
    RegKey openHandle(const QString &name);

    QHash<RegKey, QString> m_open;
    RegKey m_nextHandle = 1;
    MimeLookup m_knownMimeTypes;
};
