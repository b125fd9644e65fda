#pragma once

#include <QString>

class Interaction;

// Shows the open-file dialog through `ui`. `filter` is a list of
// description/pattern pairs, each item followed by one NUL; empty parts take
// the defaults "Select File To Open", all files and the current folder.
// Returns the chosen full path, or "" when the person cancelled.
QString chooseFile(Interaction &ui, const QString &title, const QString &filter, const QString &initialDir,
                   const QString &initialFileName);
