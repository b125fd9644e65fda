#pragma once

#include "text_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class OutputBuffer;

// A file counts as read-only when none of its write permission bits is set
// (even for root, who could write it anyway) or when this user may not
// write to it. A missing file is not read-only.
bool isReadOnlyFile(const QString &path);

// The whole file; throws AppError (FileNotFound when it is missing; see
// throwEndlessFile for one that goes on past its size). `spare` bytes of
// room are kept after the contents, for an edit in place.
QByteArray readWholeFile(const QString &path, qsizetype spare = 0);

// Refuses the file `path`, read kUnsizedReadLimit bytes (posix_io.h) past
// the size the system gives for it: a kernel file that never ends, or one
// that grows while it is read.
[[noreturn]] void throwEndlessFile(const QString &path);

// How replaceFileContents writes a file.
enum class FileWrite {
    // A new file takes the old one's place (a missing file is made new).
    NewFile,
    // The file is rewritten through its own inode.
    InPlace,
};

// How replaceFileContents will write `path` (a symbolic link followed), as
// far as can be told before trying: in place when the file has other names
// (hard links), which a new file would leave with the old contents; when a
// new file could not be given its owner and group (only root may give a file
// away, and only to a group the writer belongs to); when its folder does not
// let this user add or replace a name (a folder not writable, a sticky
// folder such as /tmp where only a file's owner may replace it); or when the
// file is mounted from another file system.
FileWrite plannedWrite(const QString &path);

// Replaces the file's contents with `data` so that a crash or a full disk
// never leaves it half-written. Usually the data goes to a temporary file
// beside it, is flushed to disk and renamed over the original, which keeps
// its permissions, owner and group; a symbolic link keeps pointing at the
// file it named. Where plannedWrite says so, or the rename is refused after
// all, the file is rewritten in place, its old contents first saved complete
// and flushed to disk: `oldContentsAt` names a file that holds them already
// (the backup), or else a copy is made (see old_contents.h) and removed once
// the new contents are on disk. A backup that linkAsBackup made a second name
// of the file does not count as another name of it, but it is no copy
// either. A missing file is created. Throws AppError on
// failure. Returns true when the file was replaced by a new one, false when
// it was rewritten in place.
bool replaceFileContents(const QString &path, QByteArrayView data, const QString &oldContentsAt = QString());
// replaceFileContents when a new file can take the old one's place; false,
// and nothing written, when only a rewrite in place could do it.
bool replaceWithNewFile(const QString &path, QByteArrayView data, const QString &oldContentsAt = QString());
// The same, the contents given to `write`'s buffer a piece at a time
// rather than whole; it must hand on every one of them (OutputBuffer::flush).
using ContentsWriter = std::function<void(OutputBuffer &)>;
bool replaceWithNewFile(const QString &path, const ContentsWriter &write, const QString &oldContentsAt = QString());

// The format decodeFile would find in the file, read through a small buffer
// rather than whole (a UTF-16 file excepted). Throws AppError like
// readWholeFile.
TextFormat formatOfFile(const QString &path);

// Gives the current contents of `path` the second name `backup` without
// copying them: a hard link, put in place in one step. It stays the old
// contents once `path` is replaced by a new file, but not if `path` is
// rewritten in place (ask plannedWrite first). False (and nothing changed)
// when the file system cannot do it or `backup` is a symbolic link; the
// caller then copies.
bool linkAsBackup(const QString &path, const QString &backup);

// Writes `bytes`, the old contents of `path`, to its backup as a file of its
// own, like replaceFileContents. A new backup gets the file's permissions
// (not the usual ones of a new file), so that it shows no more of the file
// to others than the file does.
void copyAsBackup(const QString &path, const QString &backup, QByteArrayView bytes);

// When `backup` is another name of the file `path` itself, as a rewrite
// killed between linking the backup and replacing the file leaves it, gives
// the backup a file of its own with the same contents: else the next write,
// in place for a file with two names, would change the backup too.
void separateBackup(const QString &path, const QString &backup);
