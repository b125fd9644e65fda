#pragma once

#include <QStringList>

class IniStore;

// larkspur-cli's version history commands (see FileHistory):
//   history FILE      one line per kept version, oldest first: number, time,
//                     command that replaced it and size, separated by tabs
//   diff FILE N       a unified diff of version N against the file as it is
//   restore FILE N    writes version N back, the file's contents becoming a
//                     version first
int listVersions(IniStore &store, const QStringList &args);
int diffVersion(IniStore &store, const QStringList &args);
int restoreVersion(IniStore &store, const QStringList &args);
// What is wrong with N as a version number, "" when nothing is.
QString versionUsageError(const QStringList &args);
