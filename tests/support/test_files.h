#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder for one test, with helpers to lay files in it and read them back.
class TestFolder {
public:
    TestFolder();
    QString path(const QString &name) const;
    // Writes `bytes` to `name` and returns the file's path.
    QString write(const QString &name, const QByteArray &bytes) const;
    static QByteArray read(const QString &path);
    // Takes every write bit away, which the program treats as read-only.
    static void makeReadOnly(const QString &path);

private:
    QTemporaryDir m_dir;
};

// Points XDG_DATA_HOME at a fresh temporary folder while it lives, so that
// whatever the code under test registers lands there; the old value comes back after.
class TestDataHome {
public:
    TestDataHome();
    ~TestDataHome();
    QString path() const { return m_dir.path(); }
    // Every file below the folder, as paths relative to it, sorted.
    QStringList files() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};

// Points XDG_STATE_HOME, where the version history lies, at a fresh
// temporary folder while it lives; the old value comes back after.
class TestStateHome {
public:
    TestStateHome();
    ~TestStateHome();
    QString path() const { return m_dir.path(); }
    // Every entry below the folder (files, folders, links), as paths
    // relative to it, sorted.
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};
