#pragma once

#include <QString>

// Shows the open-file dialog. Filter is a list of description/pattern pairs,
// each item followed by one NUL; empty parts take the defaults "Select File
// To Open", all files and the current folder. Returns the chosen full path,
// or "" when the user cancelled.
QString CommonOpenDialog(const QString &Title, const QString &Filter, const QString &InitialDir,
                         const QString &InitialFileName, qint32 OwnerWindow);

// Path, trimmed of blanks, ending in exactly one added "\" when it had none.
QString AddBackslash(const QString &Path);

// Text without NUL characters; when that leaves nothing, Text as it came.
QString StripNulls(const QString &Text);

// Appends Text as a line of its own to the file (created when missing): a
// last line without a line end is ended first, and the file's own line end
// follows Text. Reports a failure in a message box and returns false.
bool AppendLine(const QString &FileName, const QString &Text);

// 1-based position of the last occurrence of Part in Text (exact compare), 0 when none.
qint32 FindLast(const QString &Text, const QString &Part);

// True when one of our loaded top-level windows has exactly this name.
bool IsFormLoaded(const QString &Name);

// Removes leading and trailing space characters only (never tabs).
QString TrimSpaces(const QString &Text);
