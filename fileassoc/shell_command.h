#pragma once

#include <QList>
#include <QString>

#include <functional>

// Whether a path names an existing regular file.
using FileProbe = std::function<bool(const QString &path)>;

// One word of a verb's command: a literal argument or the place of the file.
struct CommandWord {
    QString text;
    bool isFileField = false;
};

// Splits a verb's command the way the Windows shell reads it: a program that
// is not in double quotes may hold blanks, and is the shortest run of words
// from the start that names an existing file (the first word when none
// does); the arguments after it are split at blanks, double quotes group
// words, and "%1" (or "%L") on its own is the file the verb was picked on.
QList<CommandWord> splitVerbCommand(const QString &command, const FileProbe &isFile);

// The same command as a desktop entry's Exec value (before the entry's own
// escaping of backslashes): words with reserved characters in double quotes,
// "%" doubled, and the file's place as the field code "%f".
QString execLine(const QList<CommandWord> &words);
