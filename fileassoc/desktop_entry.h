#pragma once

#include "shell_command.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A verb of a file type: the name the desktop shows and the command it runs.
struct ShellVerb {
    QString name;
    QString command;
};

// A file type as the desktop is told of it.
struct FileType {
    QString name; // "inifile", which names the entry's file
    QString description; // what the desktop shows for the program, "Larkspur"
    QList<ShellVerb> verbs; // the entry's actions, the first one also its own command
    std::optional<QString> defaultIcon; // an icon reference "file,index"; none for the program's own
};

// The file name of the desktop entry for a file type, "larkspur-inifile.desktop".
QString desktopEntryFileName(const QString &fileType);

// The desktop entry for `type`: the program the first verb runs, shown by
// the type's description, for files of `mimeTypes`, with one action per
// verb named by the verb. It stays out of the menus: it is there for the
// files, and the installed entry is the one a user starts the program from.
QByteArray desktopEntry(const FileType &type, const QStringList &mimeTypes, const FileProbe &isFile);
