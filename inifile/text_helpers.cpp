#include "text_helpers.h"

QString TrimSpaces(const QString &Text)
{
    qsizetype begin = 0;
    qsizetype end = Text.size();
    while (begin < end && Text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && Text[end - 1] == QLatin1Char(' '))
        --end;
    return Text.sliced(begin, end - begin);
}

QString AddBackslash(const QString &Path)
{
    const QString trimmed = TrimSpaces(Path);
    return trimmed.endsWith(QLatin1Char('\\')) ? trimmed : trimmed + QLatin1Char('\\');
}

QString StripNulls(const QString &Text)
{
    QString stripped = Text;
    stripped.remove(QChar(0));
    return stripped.isEmpty() ? Text : stripped;
}

qint32 FindLast(const QString &Text, const QString &Part)
{
    if (Part.isEmpty())
        return 0;
    return qint32(Text.lastIndexOf(Part) + 1);
}
