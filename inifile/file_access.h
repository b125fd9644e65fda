#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A file counts as read-only when none of its write permission bits is set
// (even for root, who could write it anyway) or when this user may not
// write to it. A missing file is not read-only.
bool isReadOnlyFile(const QString &path);

// The whole file; throws AppError (53 when it is missing).
QByteArray readWholeFile(const QString &path, const QString &source);

// Replaces the file's contents with `data` so that a crash or a full disk
// never leaves it half-written: the data goes to a temporary file beside
// it, is flushed to disk and renamed over the original. The file keeps its
// permissions, owner and group; a symbolic link keeps pointing at the file
// it named. Where no rename is possible (a folder we may not write to, a
// file mounted on its own) the file is rewritten in place, with its space
// reserved first. A missing file is created. Throws AppError on failure.
// Returns true when the file was replaced by a new one (the usual way), false
// when it had to be rewritten in place.
bool replaceFileContents(const QString &path, QByteArrayView data, const QString &source);

// Gives the current contents of `path` the second name `backup` without
// copying them: a hard link, put in place in one step. It stays the old
// contents once `path` is replaced by a new file, but not if `path` is
// rewritten in place. False (and nothing changed) when the file system
// cannot do it or `backup` is a symbolic link; the caller then copies.
bool linkAsBackup(const QString &path, const QString &backup);
