#pragma once

#include <QStringList>

class clsINIRegistry;

// larkspur-cli's version history commands (see FileHistory):
//   history FILE      one line per kept version, oldest first: number, time,
//                     command that replaced it and size, separated by tabs
//   diff FILE N       a unified diff of version N against the file as it is
//   restore FILE N    writes version N back, the file's contents becoming a
//                     version first
int listVersions(clsINIRegistry &store, const QStringList &args);
int diffVersion(clsINIRegistry &store, const QStringList &args);
int restoreVersion(clsINIRegistry &store, const QStringList &args);
// What is wrong with N as a version number, "" when nothing is.
QString versionUsageError(const QStringList &args);
