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

TestDataHome::TestDataHome() : m_hadPrevious(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
{
    QVERIFY2(m_dir.isValid(), "cannot make a temporary data folder");
    m_previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path()));
}

TestDataHome::~TestDataHome()
{
    if (m_hadPrevious)
        qputenv("XDG_DATA_HOME", m_previous);
    else
        qunsetenv("XDG_DATA_HOME");
}

QStringList TestDataHome::files() const
{
    QStringList out;
    const QDir root(m_dir.path());
    QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << root.relativeFilePath(it.next());
    out.sort();
    return out;
}

TestStateHome::TestStateHome() : m_hadPrevious(qEnvironmentVariableIsSet("XDG_STATE_HOME"))
{
    QVERIFY2(m_dir.isValid(), "cannot make a temporary state folder");
    m_previous = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.path()));
}

TestStateHome::~TestStateHome()
{
    if (m_hadPrevious)
        qputenv("XDG_STATE_HOME", m_previous);
    else
        qunsetenv("XDG_STATE_HOME");
}

QStringList TestStateHome::entries() const
{
    QStringList out;
    const QDir root(m_dir.path());
    QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << root.relativeFilePath(it.next());
    out.sort();
    return out;
}
