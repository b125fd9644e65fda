#pragma once

#include "find_state.h"
#include "ini_store.h"
#include "record_list.h"

// What one search run looks for, as the find dialog's controls say it.
struct SearchOptions {
    QString text;
    bool matchCase = false;
    bool matchWholeString = false;
    bool sections = true;
    bool keys = true;
    bool values = true;
};

// True when `field` holds the search text under the options' comparison:
// anywhere, or, for whole strings, where its first occurrence starts the
// field and is followed by a blank or the end, or is preceded by a blank.
bool fieldMatches(QStringView field, const SearchOptions &options);

// One run: the 0-based position of the first record after `lastFoundId`
// (by ID) whose section name (header records only), key name or value
// matches, or -1. The walk may begin at `from` when the caller knows that
// no record before it has an ID above `lastFoundId`.
qsizetype findNextRecord(const RecordList &records, const SearchOptions &options, qint32 lastFoundId,
                         qsizetype from = 0);

// Makes the record at 0-based `position` of the store's records the last
// hit of `state`.
void rememberHit(FindState &state, const IniStore &store, qsizetype position);
// Brings a pending hit of `state` over to the store's records when its file
// was read again since the hit: its ID becomes that of the record with the
// same section and key, the same one of them; when there is none, the search
// goes on behind the record that was before it, else from its place. A hit
// in another file stays as its number.
void followHit(FindState &state, const IniStore &store);
