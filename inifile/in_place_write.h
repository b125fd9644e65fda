#pragma once

#include "file_access.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/stat.h>

// How an existing file `target` (a resolved path, `st` its stat) is to be
// written; see plannedWrite.
FileWrite plannedWriteOf(const QByteArray &target, const struct stat &st);

// Whether a new file made by this process could be given the owner and
// group of the file `st` describes.
bool mayKeepOwner(const struct stat &st);

// Rewrites the existing file `target` through its own inode, so that its
// other names, owner, group, permissions and extended attributes stay. The
// old contents are first saved complete: at `oldContentsAt` by the caller
// already, or else by saveOldContents, whose copy goes once the new contents
// are flushed to disk. The new size is reserved before a single byte is
// overwritten, so a full disk is found first. On a failure the old contents
// are put back where possible. Throws AppError naming `path`.
void rewriteInPlace(const QByteArray &target, QByteArrayView data, const QString &path, const QString &oldContentsAt);
