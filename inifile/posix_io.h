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
