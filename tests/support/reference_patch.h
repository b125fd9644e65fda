#pragma once

#include <QByteArray>
#include <QString>

// A plain reader of unified diffs, as patch(1) applies them, for checking
// the diffs the program prints: applies `diff` to `old` and returns the
// result; on a diff that does not fit `old` (a context or removed line that
// is not there, wrong counts) returns "" and says why in `error`.
QByteArray applyUnifiedDiff(const QByteArray &old, const QByteArray &diff, QString &error);
