#include "desktop_entry.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {
// The icon the installed program brings, for types whose icon the desktop cannot show.
const QString kProgramIcon = QStringLiteral("larkspur");

// A value of type string or localestring as the entry must spell it.
QString escaped(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

// Action identifiers follow the rules of key names: A-Z, a-z, 0-9 and "-".
QString actionId(const QString &verb, const QStringList &taken)
{
    QString id;
    for (QChar c : verb) {
        const bool allowed = (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                             || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                             || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        id += allowed ? c : QLatin1Char('-');
    }
    if (id.isEmpty())
        id = QStringLiteral("verb");
    QString unique = id;
    for (int n = 2; taken.contains(unique); ++n)
        unique = id + QLatin1Char('-') + QString::number(n);
    return unique;
}

// A Windows icon reference is a file and an icon index ("C:\app.exe,0"); the
// desktop shows image files only, and finds the program's own icon by name.
QString iconFor(const std::optional<QString> &defaultIcon, const FileProbe &isFile)
{
    if (!defaultIcon)
        return kProgramIcon;
    QString file = *defaultIcon;
    file.remove(QRegularExpression(QStringLiteral(",-?[0-9]+$")));
    const QString suffix = QFileInfo(file).suffix().toLower();
    const bool image =
        suffix == QStringLiteral("svg") || suffix == QStringLiteral("png") || suffix == QStringLiteral("xpm");
    return image && QFileInfo(file).isAbsolute() && isFile(file) ? file : kProgramIcon;
}

QString line(const QString &key, const QString &value)
{
    return key + QLatin1Char('=') + value + QLatin1Char('\n');
}
} // namespace

QString desktopEntryFileName(const QString &fileType)
{
    QString name;
    for (QChar c : fileType.toLower()) {
        const bool allowed = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                             || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')
                             || c == QLatin1Char('_');
        name += allowed ? c : QLatin1Char('_');
    }
    return QStringLiteral("larkspur-") + name + QStringLiteral(".desktop");
}

QByteArray desktopEntry(const FileType &type, const QStringList &mimeTypes, const FileProbe &isFile)
{
    QStringList ids;
    for (const ShellVerb &verb : type.verbs)
        ids << actionId(verb.name, ids);
    auto exec = [&isFile](const ShellVerb &verb) { return escaped(execLine(splitVerbCommand(verb.command, isFile))); };

    QString text = QStringLiteral("[Desktop Entry]\n");
    text += line(QStringLiteral("Type"), QStringLiteral("Application"));
    text += line(QStringLiteral("Version"), QStringLiteral("1.4"));
    text += line(QStringLiteral("Name"), escaped(type.description));
    if (!type.verbs.isEmpty())
        text += line(QStringLiteral("Exec"), exec(type.verbs.first()));
    text += line(QStringLiteral("Icon"), escaped(iconFor(type.defaultIcon, isFile)));
    text += line(QStringLiteral("Terminal"), QStringLiteral("false"));
    text += line(QStringLiteral("NoDisplay"), QStringLiteral("true"));
    if (!mimeTypes.isEmpty())
        text += line(QStringLiteral("MimeType"), mimeTypes.join(QLatin1Char(';')) + QLatin1Char(';'));
    if (!ids.isEmpty())
        text += line(QStringLiteral("Actions"), ids.join(QLatin1Char(';')) + QLatin1Char(';'));
    for (qsizetype i = 0; i < type.verbs.size(); ++i) {
        text += QStringLiteral("\n[Desktop Action ") + ids[i] + QStringLiteral("]\n");
        text += line(QStringLiteral("Name"), escaped(type.verbs[i].name));
        text += line(QStringLiteral("Exec"), exec(type.verbs[i]));
    }
    return text.toUtf8();
}
