#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// larkspur-cli as a person runs it: as root (the test's own user) or as the
// unprivileged user 65534 with the groups given, through setpriv, and with a
// data folder of its own (where it keeps the old contents of a file it
// rewrites in place).
struct CliUser {
    bool unprivileged = false;
    QList<gid_t> groups;
    QString dataHome;
};

struct CliResult {
    int code;
    QByteArray out;
    QByteArray err;
};

// Starts larkspur-cli with `args` as `user`, not waiting for it.
void startCli(QProcess &process, const CliUser &user, const QStringList &args);

// Runs larkspur-cli with `args` as `user` to its end.
CliResult runCli(const CliUser &user, const QStringList &args);

// A temporary folder below /tmp that user 65534 may enter and read, with
// helpers to lay out folders and files owned by whom a test says.
class SharedFolder {
public:
    SharedFolder();
    ~SharedFolder();
    SharedFolder(const SharedFolder &) = delete;
    SharedFolder &operator=(const SharedFolder &) = delete;
    QString path(const QString &name) const;
    // A folder with this mode and owner (made when missing).
    QString folder(const QString &name, mode_t mode, uid_t owner = 0, gid_t group = 0) const;
    // A file with these bytes, mode, owner and group (written through its
    // own inode when it exists).
    QString file(const QString &name, const QByteArray &bytes, mode_t mode, uid_t owner = 0, gid_t group = 0) const;

private:
    QString m_path;
};

// Every name in the folder, hidden ones too, sorted.
QStringList namesIn(const QString &folder);
