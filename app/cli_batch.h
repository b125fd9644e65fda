#pragma once

#include <QStringList>

class IniStore;

// larkspur-cli batch FILE --set S K V --delete S K --add-section S
// --add-key S K V --delete-section S ...: several edits as one write. Under
// the file's lock, held throughout, the operations run in order on the
// file's bytes in memory, each as its own command would run on the file
// (one that needs records reads them from those bytes), and leave exactly
// what those commands run one after the other leave, backup included. The
// file then becomes one version in the history and is replaced once. When
// an operation is refused or fails, nothing at all is written and the error
// names the operation. A read-only file refuses the whole batch before
// anything runs.

// What is wrong with the operations as a command line, "" when nothing is.
QString batchUsageError(const QStringList &args);
int runBatch(IniStore &store, const QStringList &args);
