#include "file_name_test.h"

#include "text_helpers.h"

#include <QFileInfo>

bool findsRegularFile(const QString &path)
{
    if (path.isEmpty() || path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?')))
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

bool namesExistingFile(const QString &s)
{
    if (!findsRegularFile(s))
        return false;
    // Only "/" separates folders on Linux; "\" is a character of a name
    // like any other, so a\b.ini is a file of its own.
    const QString namePart = s.sliced(lastIndexOf(s, QStringLiteral("/")));
    return QFileInfo(s).fileName() == namePart;
}

QString backupPathFor(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.sliced(slash + 1);
    if (name.size() > 3 && !name.endsWith(QStringLiteral("old")))
        return path.first(path.size() - 3) + QStringLiteral("old");
    return path + QStringLiteral(".old");
}
