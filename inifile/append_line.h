#pragma once

#include <QByteArray>
#include <QString>

// Appends Text as a line of its own to the file (created when missing): a
// last line without a line end is ended first, and the file's own line end
// and encoding are used. Throws AppError, the file untouched, when the name
// is empty, the text holds a line break or a character the file's encoding
// cannot store, the file is read-only, a UTF-16 file would not be written
// back exactly (see TextFormat::exact), or the write fails.
void appendLine(const QString &fileName, const QString &text);

// appendLine's step in memory: the file's own bytes with Text appended to
// `fileBytes`, the file's own bytes (empty for a missing file). Throws
// AppError like it, naming `fileName`; nothing is written.
QByteArray appendedLineBytes(QByteArray fileBytes, const QString &text, const QString &fileName);
