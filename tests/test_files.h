#pragma once

#include <QByteArray>
#include <QString>
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
