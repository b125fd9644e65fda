#include "test_files.h"

#include <QDir>
#include <QDirIterator>
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

TestEnvironmentFolder::TestEnvironmentFolder(const char *variable)
    : m_variable(variable), m_hadPrevious(qEnvironmentVariableIsSet(variable))
{
    QVERIFY2(m_dir.isValid(), "cannot make a temporary folder");
    m_previous = qgetenv(variable);
    qputenv(variable, QFile::encodeName(m_dir.path()));
}

TestEnvironmentFolder::~TestEnvironmentFolder()
{
    if (m_hadPrevious)
        qputenv(m_variable, m_previous);
    else
        qunsetenv(m_variable);
}

QStringList TestEnvironmentFolder::listed(QDir::Filters filters) const
{
    QStringList out;
    const QDir root(m_dir.path());
    QDirIterator it(m_dir.path(), filters, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << root.relativeFilePath(it.next());
    out.sort();
    return out;
}
