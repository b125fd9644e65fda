#pragma once

#include "text_format.h"

#include <QString>

// Our profile writer: writes one key of one section into a configuration
// file, seeing sections and keys exactly as the store's reader does and
// matching their names without regard to letter case.
//  - An existing key: the first key line the reader would match gets the
//    new value (its own key spelling and line end are kept).
//  - A new key of an existing section: a line after the last key line of
//    the section's first occurrence (after its header when it has none).
//    Section "" is the key lines before the first header; its new keys go
//    after them, or at the very top.
//  - A new section: its header and the key line at the end of the file.
// Every other byte stays as it was.

// Refuses what would not read back as written: a line break anywhere, a key
// name holding "=", or a key line that the reader would take for a section
// header. Throws AppError.
void checkProfileWrite(const QString &section, const QString &key, const QString &value);

// The file's text after the write (pure; the texts must pass
// checkProfileWrite): `bytes` and the result are the text as decodeFile gives
// it, in format.encoding().
QByteArray applyProfileWrite(QByteArray bytes, const TextFormat &format, const QString &section, const QString &key,
                             const QString &value);

// writeProfileValue's step in memory: the file's own bytes after the write
// into `fileBytes`, the file's own bytes (empty for a missing file). Throws
// AppError like it, naming `fileName`; nothing is written.
QByteArray profileWrittenBytes(QByteArray fileBytes, const QString &section, const QString &key, const QString &value,
                               const QString &fileName);

// Writes into the file, creating it when missing, replacing it atomically.
// The file keeps its encoding (see FileEncoding). Returns false, writing
// nothing, when the file is read-only. Throws AppError when the texts are
// refused, the file would not be written back exactly (see
// TextFormat::exact) or the write fails.
bool writeProfileValue(const QString &section, const QString &key, const QString &value, const QString &fileName);
