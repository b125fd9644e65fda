#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Two versions of a configuration file compared line by line, as their text
// (a UTF-16 or Windows-1252 file read as such): what the History dialog and
// `larkspur-cli diff` show. A line counts with its line end, so that a
// change of line ends alone shows too.

struct DiffLine {
    enum Kind : quint8 { Context, Removed, Added, Folded };
    Kind kind = Context;
    // 1-based line numbers in the old and the new text; 0 where the line is
    // not there (an added line has no old number).
    qsizetype oldNumber = 0;
    qsizetype newNumber = 0;
    // The line without its line end.
    QString text;
    // The line end as the file spells it ("" for a last line without one).
    QByteArray eol;
    // Folded: how many unchanged lines the row stands for.
    qsizetype folded = 0;
};

// Changed lines with up to `context` unchanged lines on either side; runs of
// changes closer than twice that share one hunk. Starts are 0-based.
struct DiffHunk {
    qsizetype oldStart = 0;
    qsizetype oldCount = 0;
    qsizetype newStart = 0;
    qsizetype newCount = 0;
    QList<DiffLine> lines;
};

struct TextDiff {
    QList<DiffHunk> hunks;
    qsizetype oldLineCount = 0;
    qsizetype newLineCount = 0;
    bool identical() const { return hunks.isEmpty(); }
};

TextDiff diffTexts(const QByteArray &oldFile, const QByteArray &newFile, qsizetype context = 3);

// The hunks' lines with a Folded row for each run of unchanged lines left
// out before, between and after them.
QList<DiffLine> foldedRows(const TextDiff &diff);

// A unified diff ("--- oldLabel", "+++ newLabel", "@@ -a,b +c,d @@" hunks),
// in UTF-8, each line with its own line end, as `patch` reads it.
QByteArray unifiedDiff(const TextDiff &diff, const QString &oldLabel, const QString &newLabel);
