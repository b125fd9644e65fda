#pragma once

#include "class_store.h"
#include "shell_command.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A verb of a file type: the name of its key under "shell" and its command.
struct ShellVerb {
    QString name;
    QString command;
};

// A file type of the store as the desktop is told of it.
struct FileTypeClass {
    QString name; // the file-type key, "inifile"
    QString description; // its default value, or its name when it has none
    QStringList extensions; // the extension keys whose default value names it
    QList<ShellVerb> verbs; // its "shell\<verb>\command" keys that hold a command
    std::optional<QString> defaultIcon; // its "DefaultIcon" value
};

// Every file type in `store` that has at least one verb, in the order its
// key was created.
QList<FileTypeClass> fileTypeClasses(const ClassStore &store);

// The file name of the desktop entry for a file type, "larkspur-inifile.desktop".
QString desktopEntryFileName(const QString &fileType);

// The desktop entry for `type`: the program the first verb runs, shown by
// the type's description, for files of `mimeTypes`, with one action per
// verb named by the verb. It stays out of the menus: it is there for the
// files, and the installed entry is the one a user starts the program from.
QByteArray desktopEntry(const FileTypeClass &type, const QStringList &mimeTypes, const FileProbe &isFile);
