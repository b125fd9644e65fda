#pragma once

#include <QList>
#include <QString>

class RecordList;

// Names with blanks (spaces or tabs) at either end: a key line "host = x"
// holds the key "host ", which a look-up of "host" does not find, since
// names are matched exactly (letter case aside). These helpers find such
// near misses and say in words where the blanks are.

// `name` without the spaces and tabs at either end.
QString withoutEndBlanks(const QString &name);

// Where a name's end blanks stand, for a message: "a blank at the start of
// the line", "2 blanks before \"=\"" (`before` and `after` name what is on
// either side of the name); "" when it has none.
QString describeEndBlanks(const QString &name, const QString &before, const QString &after);

// Why `get` finds nothing: "no key K in [S]", or, when a record matches
// once the blanks at the ends of the names are taken off, a text naming
// that record and its blanks.
QString missingKeyMessage(const RecordList &records, const QString &section, const QString &key);
