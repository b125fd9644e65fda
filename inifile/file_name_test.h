#pragma once

#include <QString>

// Whether `s` names an existing file the way the store accepts names: a
// regular, non-hidden file (no folder), no wildcards, and the name part of
// `s` (after its last "/"; a "\" is part of the name) equal to the file's
// own name, letter case included. A relative name is taken from the current
// folder.
bool namesExistingFile(const QString &s);

// Whether a file search for `path` finds a regular, non-hidden file.
bool findsRegularFile(const QString &path);

// The backup that stands beside `path`: the last three characters of the
// name become "old", or ".old" is appended when the name is three
// characters or shorter or already ends in "old".
QString backupPathFor(const QString &path);
