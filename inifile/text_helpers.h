#pragma once

#include <QString>

// Small text helpers the store, the dialogs and the registration share.

// Removes leading and trailing space characters only (never tabs).
QString trimBlanks(const QString &text);

// Text without NUL characters; when that leaves nothing, Text as it came.
QString stripNulls(const QString &text);

// 1-based position of the last occurrence of Part in text (exact compare), 0 when none.
qint32 lastIndexOf(const QString &text, const QString &part);
