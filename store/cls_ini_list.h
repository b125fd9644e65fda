#pragma once

#include "cls_ini.h"
#include "huge_pages.h"

#include <QList>

#include <memory>

// The store's ordered record list. Positions are 1-based; there are no keys,
// so finding a record means walking the list from the front.
//
// The list holds its records by pointer, 8 bytes a position; the records
// live in the list's arena, which every record in the list comes from.
class clsINIList {
public:
    clsINIList();

    qsizetype Count() const { return m_records.size(); }
    // The record at 1-based `position`; throws AppError when there is none.
    const clsINIPtr &Item(qsizetype position) const;
    void Add(clsINIPtr record);
    // Puts `record` at 1-based `position` (Count() + 1 appends); throws AppError when out of range.
    void Insert(qsizetype position, clsINIPtr record);
    // Removes the record at 1-based `position`; throws AppError when there is none.
    // The record itself stays valid as long as the arena does.
    void Remove(qsizetype position);

    // The ID a new record takes: one more than the highest in the list, so
    // that no two records share an ID even after deletions (while nothing
    // was deleted this is the count plus one).
    qint32 NextID() const;

    // A new blank record (section "", no key or value, ID 0) made in the
    // list's arena, not yet in the list.
    clsINIPtr NewRecord() { return m_arena->make(); }
    RecordArena &arena() const { return *m_arena; }

    auto begin() const { return m_records.cbegin(); }
    auto end() const { return m_records.cend(); }

    void reserve(qsizetype n) { m_records.reserve(n); }
    // The room reserved, in huge pages when it is large (see huge_pages.h).
    void adviseHugePages() { ::adviseHugePages(m_records); }

    // The records as one list, for changes of many records at once.
    const QList<clsINIPtr> &records() const { return m_records; }
    void assign(QList<clsINIPtr> records) { m_records = std::move(records); }

private:
    std::shared_ptr<RecordArena> m_arena;
    QList<clsINIPtr> m_records;
};
