#pragma once

#include <QStringList>

class IniStore;

// larkspur-cli batch FILE --set S K V --delete S K --add-section S
// --add-key S K V --delete-section S ...: several edits in one run. The
// operations run in order, each writing the file as its own command does,
// and leave exactly what those commands run one after the other leave; the
// file is read again only after an operation whose records a fresh load
// would not give. When one is refused or fails, the file and its backup get
// their contents from before the batch back and the error names the
// operation. A read-only file refuses the whole batch before anything runs.

// What is wrong with the operations as a command line, "" when nothing is.
QString batchUsageError(const QStringList &args);
int runBatch(IniStore &store, const QStringList &args);
