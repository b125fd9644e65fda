#pragma once

#include <QByteArrayView>
#include <QList>

#include <vector>

// A line diff: which lines of an old text stay, which go and which come in
// to make the new text. Where it can be found within a bounded amount of
// work the edit script is a shortest one (Myers' algorithm); on large texts
// with many changes the lines that occur once in both texts anchor the
// comparison first (patience diff), so that a file of a million lines
// rewritten without its comments still compares in well under a second.

// One run of the edit script. Same: old[oldStart, +count) equals
// new[newStart, +count). Removed: old[oldStart, +count) goes; newStart is
// where the new text stands then. Added: new[newStart, +count) comes in;
// oldStart is where the old text stands then. The runs cover both texts in
// order; between two Same runs, the Removed run comes before the Added one.
struct DiffRun {
    enum Kind : quint8 { Same, Removed, Added };
    Kind kind;
    qsizetype oldStart;
    qsizetype newStart;
    qsizetype count;
    friend bool operator==(const DiffRun &, const DiffRun &) = default;
};

// Lines as numbers: equal numbers for equal lines, small numbers from 0 up
// (as numberLines gives them), since tables are made by number.
using LineIds = std::vector<quint32>;

// Numbers the lines of both texts alike: equal lines get equal numbers.
void numberLines(const QList<QByteArrayView> &oldLines, const QList<QByteArrayView> &newLines, LineIds &oldIds,
                 LineIds &newIds);

QList<DiffRun> diffLines(const LineIds &oldLines, const LineIds &newLines);
