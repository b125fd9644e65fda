#pragma once

#include <QString>

class Interaction;

// The helpers that talk to the person through `ui`.

// Shows the open-file dialog. Filter is a list of description/pattern pairs,
// each item followed by one NUL; empty parts take the defaults "Select File
// To Open", all files and the current folder. Returns the chosen full path,
// or "" when the user cancelled.
QString CommonOpenDialog(Interaction &ui, const QString &Title, const QString &Filter, const QString &InitialDir,
                         const QString &InitialFileName, qint32 OwnerWindow);

// Appends Text as a line of its own to the file (see appendLineToFile).
// Reports a failure in a message box and returns false.
bool AppendLine(Interaction &ui, const QString &FileName, const QString &Text);

// True when one of our loaded top-level windows has exactly this name.
bool IsFormLoaded(const Interaction &ui, const QString &Name);
