#include "record_list.h"

#include "app_error.h"

namespace {
[[noreturn]] void throwNoRecord(qsizetype position)
{
    throw AppError(ErrorKind::OutOfRange,
                   QStringLiteral("Subscript out of range: there is no record %1").arg(position));
}
} // namespace

RecordList::RecordList() : m_arena(RecordArena::create()) {}

IniRecord *RecordList::at(qsizetype position) const
{
    if (position < 1 || position > m_records.size())
        throwNoRecord(position);
    return m_records[position - 1];
}

void RecordList::append(IniRecord *record)
{
    Q_ASSERT(&record->arena() == m_arena.get());
    m_records.append(record);
}

void RecordList::insert(qsizetype position, IniRecord *record)
{
    if (position < 1 || position > m_records.size() + 1)
        throwNoRecord(position);
    Q_ASSERT(&record->arena() == m_arena.get());
    m_records.insert(position - 1, record);
}

void RecordList::removeAt(qsizetype position)
{
    if (position < 1 || position > m_records.size())
        throwNoRecord(position);
    m_records.removeAt(position - 1);
}

qint32 RecordList::nextId() const
{
    // Records are shared and their IDs assignable, so nothing cached here
    // could be trusted; one pass costs a few milliseconds at a million records.
    qint32 highest = 0;
    for (IniRecord *record : m_records)
        highest = qMax(highest, record->id());
    return highest + 1;
}
