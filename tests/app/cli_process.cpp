#include "cli_process.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

void startCli(QProcess &process, const CliUser &user, const QStringList &args)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!user.dataHome.isEmpty())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), user.dataHome);
    process.setProcessEnvironment(environment);
    const QString cli = QStringLiteral(LARKSPUR_CLI_PATH);
    if (!user.unprivileged) {
        process.start(cli, args);
        return;
    }
    QStringList groups;
    for (const gid_t group : user.groups)
        groups.append(QString::number(group));
    QStringList command{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534")};
    command.append(groups.isEmpty() ? QStringLiteral("--clear-groups")
                                    : QStringLiteral("--groups=") + groups.join(u','));
    process.start(QStringLiteral("setpriv"), command + QStringList{QStringLiteral("--"), cli} + args);
}

CliResult runCli(const CliUser &user, const QStringList &args)
{
    QProcess process;
    startCli(process, user, args);
    if (!process.waitForFinished(60000))
        qFatal("larkspur-cli did not finish");
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

SharedFolder::SharedFolder()
{
    QByteArray name = QByteArrayLiteral("/tmp/larkspur-test-XXXXXX");
    if (!::mkdtemp(name.data()) || ::chmod(name.constData(), 0755) != 0)
        qFatal("cannot make a shared temporary folder");
    m_path = QFile::decodeName(name);
}

SharedFolder::~SharedFolder()
{
    // Sticky and unwritable folders inside must not keep root from cleaning up.
    QDir(m_path).removeRecursively();
}

QString SharedFolder::path(const QString &name) const
{
    return m_path + QLatin1Char('/') + name;
}

QString SharedFolder::folder(const QString &name, mode_t mode, uid_t owner, gid_t group) const
{
    const QString folder = path(name);
    const QByteArray native = QFile::encodeName(folder);
    if (!QDir().mkpath(folder) || ::chown(native.constData(), owner, group) != 0
        || ::chmod(native.constData(), mode) != 0)
        qFatal("cannot make folder %s", native.constData());
    return folder;
}

QString SharedFolder::file(const QString &name, const QByteArray &bytes, mode_t mode, uid_t owner, gid_t group) const
{
    const QString file = path(name);
    const QByteArray native = QFile::encodeName(file);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() || !out.flush()
        || ::chown(native.constData(), owner, group) != 0 || ::chmod(native.constData(), mode) != 0)
        qFatal("cannot write test file %s", native.constData());
    return file;
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
