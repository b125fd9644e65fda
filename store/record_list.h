#pragma once

#include "huge_pages.h"
#include "ini_record.h"

#include <QList>

#include <memory>

// The store's ordered record list. Positions are 1-based; there are no keys,
// so finding a record means walking the list from the front.
//
// The list holds its records by pointer, 8 bytes a position; the records
// live in the list's arena, which every record in the list comes from.
class RecordList {
public:
    RecordList();

    qsizetype count() const { return m_records.size(); }
    // The record at 1-based `position`; throws AppError when there is none.
    IniRecord *at(qsizetype position) const;
    void append(IniRecord *record);
    // Puts `record` at 1-based `position` (count() + 1 appends); throws AppError when out of range.
    void insert(qsizetype position, IniRecord *record);
    // Removes the record at 1-based `position`; throws AppError when there is none.
    // The record itself stays valid as long as the arena does.
    void removeAt(qsizetype position);

    // The ID a new record takes: one more than the highest in the list, so
    // that no two records share an ID even after deletions (while nothing
    // was deleted this is the count plus one).
    qint32 nextId() const;

    // A new blank record (section "", no key or value, ID 0) made in the
    // list's arena, not yet in the list.
    IniRecord *newRecord() { return m_arena->make(); }
    RecordArena &arena() const { return *m_arena; }

    auto begin() const { return m_records.cbegin(); }
    auto end() const { return m_records.cend(); }

    void reserve(qsizetype n) { m_records.reserve(n); }
    // The room reserved, in huge pages when it is large (see huge_pages.h).
    void adviseHugePages() { ::adviseHugePages(m_records); }

    // The records as one list, for changes of many records at once.
    const QList<IniRecord *> &records() const { return m_records; }
    void assign(QList<IniRecord *> records) { m_records = std::move(records); }

private:
    std::shared_ptr<RecordArena> m_arena;
    QList<IniRecord *> m_records;
};
