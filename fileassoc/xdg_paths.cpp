#include "xdg_paths.h"

#include <QDir>

QString userDataHome()
{
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative value is to be ignored, so that nothing lands in whatever
    // the current folder happens to be.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    // Without a home of its own the user has no data folder; the file
    // system's root is nobody's.
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home) || QDir::cleanPath(home) == QStringLiteral("/"))
        return QString();
    return QDir::cleanPath(home) + QStringLiteral("/.local/share");
}

QString userApplicationsDir()
{
    return userDataHome() + QStringLiteral("/applications");
}

QString userMimeDir()
{
    return userDataHome() + QStringLiteral("/mime");
}

QString mimePackagePath()
{
    return userMimeDir() + QStringLiteral("/packages/larkspur.xml");
}
