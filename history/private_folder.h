#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// A folder of the version history, opened once and then used only through
// its descriptor: everything below the state folder is reached one name at
// a time and never through a symbolic link, so that nobody can point a
// version of a password file somewhere else. Folders are 0700 and files
// 0600, whatever the umask and the configuration file's own mode. Failures
// throw AppError naming the path.
class PrivateFolder {
public:
    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(PrivateFolder &&other) noexcept;
    PrivateFolder &operator=(PrivateFolder &&other) noexcept;
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    // `names` in turn below the folder `base` (made 0700 with its missing
    // parents when `create` is set; it may be or lie below a symbolic link,
    // the person's own choice). Without `create`, a missing folder gives a
    // folder that is not open.
    static PrivateFolder open(const QString &base, const QStringList &names, bool create);

    bool isOpen() const { return m_fd >= 0; }
    const QString &path() const { return m_path; }

    // The names in the folder (no "." or ".."), in no particular order.
    QStringList entries() const;
    // Whether `name` is a regular file (a symbolic link is not). Here and
    // wherever a file is read, one found wider than 0600 is made 0600 again.
    bool isFile(const QString &name) const;
    // The whole file `name`; throws when it is missing or no regular file.
    QByteArray read(const QString &name) const;
    // Opens the regular file `name` for reading; throws when there is none.
    int loadFile(const QString &name) const;
    // Writes `bytes` under `name` in one step: a temporary file, renamed.
    void write(const QString &name, QByteArrayView bytes) const;
    // A new empty file (0600) under a fresh temporary name, for writing.
    int createTemporary(QString &name) const;
    void rename(const QString &from, const QString &to) const;
    // Removes the file `name`; false (logged) when it cannot.
    bool remove(const QString &name) const noexcept;

    // Whether the name is one createTemporary gives.
    static bool isTemporary(const QString &name);

private:
    PrivateFolder(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    QString pathOf(const QString &name) const;

    int m_fd = -1;
    QString m_path;
};

// Copies all of the file open as `from` into the file open as `to`, as
// cheaply as the file system allows: a shared copy-on-write clone where it
// can make one, else a copy inside the kernel, else through memory. Returns
// the number of bytes copied; throws AppError (naming `path`) on failure.
qint64 copyFileData(int from, int to, const QString &path);

// Whether the files open as `a` and `b` hold the same bytes.
bool sameFileData(int a, int b);
