#pragma once

#include <QString>

// Small text helpers the store, the dialogs and the registration share.

// Removes leading and trailing space characters only (never tabs).
QString TrimSpaces(const QString &Text);

// Path, trimmed of blanks, ending in exactly one added "\" when it had none.
QString AddBackslash(const QString &Path);

// Text without NUL characters; when that leaves nothing, Text as it came.
QString StripNulls(const QString &Text);

// 1-based position of the last occurrence of Part in Text (exact compare), 0 when none.
qint32 FindLast(const QString &Text, const QString &Part);
