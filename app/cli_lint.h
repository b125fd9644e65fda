#pragma once

#include <QStringList>

class IniStore;

// larkspur-cli lint FILE [--json]: the findings of lintFile, one a line, as
// "FILE:LINE: message" (editors jump to such lines) or, with --json, as one
// JSON object each; exit code 1 when there is any, 0 when there is none.
int lintCommand(IniStore &store, const QStringList &args);
QString lintUsageError(const QStringList &args);
