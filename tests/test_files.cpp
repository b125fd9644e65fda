#include "test_files.h"

#include <QFile>
#include <QtTest>

TestFolder::TestFolder()
{
    QVERIFY2(m_dir.isValid(), "cannot make a temporary folder");
}

QString TestFolder::path(const QString &name) const
{
    return m_dir.filePath(name);
}

QString TestFolder::write(const QString &name, const QByteArray &bytes) const
{
    const QString file = path(name);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file));
    return file;
}

QByteArray TestFolder::read(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return in.readAll();
}

void TestFolder::makeReadOnly(const QString &path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}
