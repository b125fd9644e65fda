#pragma once

#include <QByteArray>
#include <QDir>
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

// Points an environment variable naming a folder at a fresh temporary
// folder while it lives; the old value comes back after.
class TestEnvironmentFolder {
public:
    explicit TestEnvironmentFolder(const char *variable);
    ~TestEnvironmentFolder();
    TestEnvironmentFolder(const TestEnvironmentFolder &) = delete;
    TestEnvironmentFolder &operator=(const TestEnvironmentFolder &) = delete;
    QString path() const { return m_dir.path(); }

protected:
    // The entries below the folder that `filters` admit, as paths relative
    // to it, sorted.
    QStringList listed(QDir::Filters filters) const;

private:
    const char *m_variable;
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};

// XDG_DATA_HOME, so that whatever the code under test registers lands there.
class TestDataHome : public TestEnvironmentFolder {
public:
    TestDataHome() : TestEnvironmentFolder("XDG_DATA_HOME") {}
    // Every file below the folder.
    QStringList files() const { return listed(QDir::Files | QDir::Hidden | QDir::System); }
};

// XDG_STATE_HOME, where the version history lies.
class TestStateHome : public TestEnvironmentFolder {
public:
    TestStateHome() : TestEnvironmentFolder("XDG_STATE_HOME") {}
    // Every entry below the folder: files, folders, links.
    QStringList entries() const
    {
        return listed(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};
