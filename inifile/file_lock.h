#pragma once

#include <QString>

#include <chrono>

// One writer at a time: an exclusive record lock (fcntl, on the open file
// description) on the file a path names, taken through a descriptor open
// for writing and held from reading the file to replacing it, so that two
// programs changing the same file never build on the same old contents and
// lose each other's change. Other writers that lock the file with lockf or
// fcntl wait for it and are waited for; a reader's flock, which anyone who
// can read the file may take, no longer holds it up (a shared record lock
// still does, as it does for those writers). A file this program may not write gets a shared
// lock instead, which only waits for the writer at work. A write replaces
// the file by a new one, so the lock is taken again when the path names
// another file once it is held. The kernel drops the lock with the process:
// a killed writer leaves nothing locked, and the next writer's lock of the
// same file removes the temporary files it left (see posix_io.h), the
// copies of old contents the file no longer needs (see old_contents.h) and
// a backup's link to the file itself. A missing file is not locked (the
// write creates it).
//
// A lock of a file this program already holds costs nothing and waits for
// nothing: a command that locks the file for its whole read, check and
// write may call steps that lock it again for their own part.
class FileLock {
public:
    // Throws AppError (PathFileAccess) when the lock is not free within `timeout`.
    FileLock(const QString &path, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    int m_fd = -1;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};
