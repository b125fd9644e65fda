#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The few system calls the file writers share, on native (encoded) paths.

// Writes all of `data` to the descriptor from `offset` on; returns errno or 0.
int writeAllAt(int fd, QByteArrayView data, qint64 offset);

// The whole contents of the descriptor, read from its start; errno in
// `error` (0 when all went well).
QByteArray readAllFrom(int fd, int &error);

// The folder a native path lies in ("." for a bare name).
QByteArray folderOf(const QByteArray &file);

// Flushes the folder `file` lies in, so that a rename or a new name in it
// survives a crash.
void syncFolderOf(const QByteArray &file);

// Whether `suffix` is what mkstemp puts at the end of a temporary name.
bool isTemporarySuffix(QStringView suffix);
