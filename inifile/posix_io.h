#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The few system calls the file writers share, on native (encoded) paths.

// Writes all of `data` to the descriptor from `offset` on; returns errno or 0.
int writeAllAt(int fd, QByteArrayView data, qint64 offset);

// How many bytes a read takes beyond the size the system gives for a file.
// Kernel files (/proc, /sys) say they hold 0 bytes, and some of them
// (/proc/self/pagemap) stream without end; a file of settings is far smaller
// than this, so a read that gets this far stops here rather than filling
// memory. Every reader of a whole file keeps to it.
constexpr qint64 kUnsizedReadLimit = qint64(64) << 20;

// The whole contents of the descriptor, read from its start; errno in
// `error` (0 when all went well, EFBIG when it goes on kUnsizedReadLimit
// bytes past the size the system gives for it).
QByteArray readAllFrom(int fd, int &error);

// The folder a native path lies in ("." for a bare name).
QByteArray folderOf(const QByteArray &file);

// Flushes the folder `file` lies in, so that a rename or a new name in it
// survives a crash.
void syncFolderOf(const QByteArray &file);

// Whether `suffix` is what mkstemp puts at the end of a temporary name.
bool isTemporarySuffix(QStringView suffix);

// Locks the whole file open on `fd` for this open file description
// (F_RDLCK needs it open for reading, F_WRLCK for writing): a record lock
// that writers using lockf or fcntl see too, and that the kernel drops when
// the last descriptor of the description closes. With `wait` false it does
// not wait; answers 0 or errno (EAGAIN when another holds a lock in the way).
int lockWholeFile(int fd, short type, bool wait);

// A file this program writes before renaming it over another (or linking
// it in) is first named ".NAME.larkspur-XXXXXX" beside it: NAME the other's
// file name (cut to its first 238 bytes when longer, so that the whole
// fits in a file name), XXXXXX six letters or digits. No user's file is
// expected to look like that, and while its writer uses it the file is
// locked (F_WRLCK), so that a cleanup tells it from a killed writer's
// leftover.

// The mkstemp template for a temporary file beside the native path `path`.
QByteArray temporaryTemplateBeside(const QByteArray &path);

// Whether the file name `entry` is that of a temporary file beside a file
// named `fileName` (both file names, not paths).
bool isTemporaryNameOf(QByteArrayView entry, QByteArrayView fileName);

// Creates and opens the temporary file `tmpl` (a template, which becomes
// its name) and locks it; answers its descriptor, or -1 with errno set.
int createTemporary(QByteArray &tmpl);
