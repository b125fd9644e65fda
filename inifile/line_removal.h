#pragma once

#include "text_format.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Lines taken out of a configuration file and nothing else: every other
// byte stays as it was, comments, blank lines and spacing included. Lines
// are the reader's (CR LF, a lone CR or a lone LF ends one, counted after a
// byte-order mark), sections and keys are matched as the store matches them
// (letter case ignored, nothing trimmed), and a UTF-16 file goes back to
// its own encoding.

// A run of whole lines: the first one (0-based) and how many.
struct LineRun {
    qsizetype first = 0;
    qsizetype count = 0;
};

// The line of the record that IniStore::findRecord(section, key) finds
// first: a key line of the section, or its header when `key` is "". None
// when nothing matches.
std::optional<qsizetype> recordLine(const FileText &text, const QString &section, const QString &key);

// Every block headed by `section` (letter case ignored), each from its
// header to the line before the next header or the end of the file.
QList<LineRun> sectionBlocks(const FileText &text, const QString &section);

// The file's own bytes without the lines of `runs` (sorted, apart). When a
// line ended by a lone CR would come to stand before one starting with LF,
// the two would read as one line: the kept line then takes the line end of
// the last line taken out. Throws AppError, naming `path`, when the file
// cannot be written back exactly (see TextFormat::exact).
QByteArray bytesWithoutLines(const FileText &text, const QList<LineRun> &runs, const QString &path);
