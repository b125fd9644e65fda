#pragma once

#include "ini_store.h"

// The records the add dialog creates, without the dialog: the command-line
// tool adds sections and keys through the same steps.

// Appends a section header record for `sectionText` trimmed of blanks and
// returns it; nullptr when the name is blank. A name that could not be
// written as one line is refused (AppError) before anything changes.
IniRecord *addSectionRecord(IniStore &store, const QString &sectionText);
// Writes the record's header line at the end of the file; false after
// the box has said why it could not.
bool writeSectionRecord(IniStore &store, const IniRecord &record);

// Appends a key record of `section` (as given) named `keyText` trimmed of
// blanks, and returns it; nullptr when the name is blank. Names and value
// that could not be written (a line break, "=" in the key, a character the
// file's encoding cannot hold) are refused (AppError) before anything changes.
IniRecord *addKeyRecord(IniStore &store, const QString &section, const QString &keyText, const QString &value);
// Writes the key's value to the file; 1 when the file is read-only.
WriteResult writeKeyRecord(IniStore &store, const IniRecord &record, const QString &value);
