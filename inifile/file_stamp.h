#pragma once

#include <QString>

// Tells one version of a file from another without reading it: which file
// the path names (device and inode), its size and its modification time.
// Every write changes at least one of them, whether it replaces the file or
// rewrites it in place.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    // False for a missing file and for "not known".
    bool isValid() const { return size >= 0; }
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of the file `path` names (a symbolic link followed); invalid
// when there is none.
FileStamp stampOfFile(const QString &path);
