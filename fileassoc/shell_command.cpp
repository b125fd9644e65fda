#include "shell_command.h"

namespace {
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isFileField(const QString &word)
{
    return word == QStringLiteral("%1") || word == QStringLiteral("%L") || word == QStringLiteral("%l");
}

// The program part: a quoted run, or the shortest blank-ended prefix that is
// a file. Returns where the arguments start.
qsizetype takeProgram(const QString &command, qsizetype at, const FileProbe &isFile, QString &program)
{
    if (at < command.size() && command[at] == QLatin1Char('"')) {
        const qsizetype close = command.indexOf(QLatin1Char('"'), at + 1);
        const qsizetype end = close < 0 ? command.size() : close;
        program = command.sliced(at + 1, end - at - 1);
        return close < 0 ? end : end + 1;
    }
    qsizetype firstEnd = -1;
    for (qsizetype end = at; end <= command.size(); ++end) {
        if (end < command.size() && !isBlank(command[end]))
            continue;
        if (firstEnd < 0)
            firstEnd = end;
        if (isFile(command.sliced(at, end - at))) {
            program = command.sliced(at, end - at);
            return end;
        }
    }
    if (firstEnd < 0)
        firstEnd = command.size();
    program = command.sliced(at, firstEnd - at);
    return firstEnd;
}

bool needsQuotes(const QString &word)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=");
    if (word.isEmpty())
        return true;
    for (QChar c : word) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

QString quoted(const QString &word)
{
    if (!needsQuotes(word))
        return word;
    QString out = QStringLiteral("\"");
    for (QChar c : word) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}
} // namespace

QList<CommandWord> splitVerbCommand(const QString &command, const FileProbe &isFile)
{
    QList<CommandWord> words;
    qsizetype at = 0;
    while (at < command.size() && isBlank(command[at]))
        ++at;
    if (at == command.size())
        return words;
    QString program;
    at = takeProgram(command, at, isFile, program);
    words.append({program, false});

    QString word;
    bool inWord = false;
    bool inQuotes = false;
    // A quoted "%1" is the file too: the shell puts the path in its place.
    auto finish = [&] {
        if (inWord)
            words.append({word, isFileField(word)});
        word.clear();
        inWord = false;
    };
    for (; at < command.size(); ++at) {
        const QChar c = command[at];
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            inWord = true;
        } else if (isBlank(c) && !inQuotes) {
            finish();
        } else {
            word += c;
            inWord = true;
        }
    }
    finish();
    return words;
}

QString execLine(const QList<CommandWord> &words)
{
    QStringList parts;
    for (const CommandWord &word : words) {
        if (word.isFileField)
            parts << QStringLiteral("%f");
        else
            parts << quoted(word.text).replace(QLatin1Char('%'), QStringLiteral("%%"));
    }
    return parts.join(QLatin1Char(' '));
}
