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

// The dialog's checks, without adding anything: AppError for a name or value
// the add would refuse (see addSectionRecord and addKeyRecord). Blank names
// pass; the add does nothing for them.
void checkNewSection(const IniStore &store, const QString &sectionText);
void checkNewKey(const IniStore &store, const QString &section, const QString &keyText, const QString &value);

// New > Section and New > Key as the window runs them: the record is added
// and the file written in one step, and a write that was refused (the box
// has said why) or failed leaves the records as they were, an existing
// record of the same key keeping its own value. Returns the new record, in
// the store's records; nullptr when the name was blank, when nothing was
// written, or when the write read the file again (the records are new).
// A refused name or value throws AppError before anything changes, as does
// a failed key write, after the records are put back.
IniRecord *addSection(IniStore &store, const QString &sectionText);
IniRecord *addKey(IniStore &store, const QString &section, const QString &keyText, const QString &value);
