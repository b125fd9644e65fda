#include "text_helpers.h"

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

QString stripNulls(const QString &text)
{
    QString stripped = text;
    stripped.remove(QChar(0));
    return stripped.isEmpty() ? text : stripped;
}

qint32 lastIndexOf(const QString &text, const QString &part)
{
    if (part.isEmpty())
        return 0;
    return qint32(text.lastIndexOf(part) + 1);
}
